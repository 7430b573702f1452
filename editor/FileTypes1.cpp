#include "FileTypes1.h"
#include "framework/FileTypes.h"

namespace FileTypes1 {

std::shared_ptr<fw::FileType> pTIFFTYPE;
std::shared_ptr<fw::FileType> pPNGTYPE;
std::shared_ptr<fw::FileType> pJPEGTYPE;
std::shared_ptr<fw::FileType> pTextType;

namespace {

void Declare(std::shared_ptr<fw::FileType>& global, const QString& name, const QString& ext) {
  global = std::make_shared<fw::FileType>();
  global->Name = name;
  global->Extensions = ext;
  global->MacType = QString();
  global->MacCreator = QString();
  global->MimeType = QString();
  global->Imported = true;
  global->ConformsTo = QString();
  global->Register();
}

}  // namespace

void Initialize() {
  Declare(pTIFFTYPE, QStringLiteral("TIFFTYPE"), QStringLiteral(".TIF"));
  Declare(pPNGTYPE, QStringLiteral("PNGTYPE"), QStringLiteral(".PNG"));
  Declare(pJPEGTYPE, QStringLiteral("JPEGTYPE"), QStringLiteral("JPG"));
  Declare(pTextType, QStringLiteral("TextType"), QStringLiteral(".TXT"));
}

}  // namespace FileTypes1
