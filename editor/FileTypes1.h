#pragma once

#include <memory>
#include "framework/FileTypes.h"

// The program's four file types, registered once at start-up and then used by name only:
// "TIFFTYPE", "PNGTYPE", "JPEGTYPE" and "TextType".
namespace FileTypes1 {

extern std::shared_ptr<fw::FileType> pTIFFTYPE;
extern std::shared_ptr<fw::FileType> pPNGTYPE;
extern std::shared_ptr<fw::FileType> pJPEGTYPE;
extern std::shared_ptr<fw::FileType> pTextType;

void Initialize();

}  // namespace FileTypes1
