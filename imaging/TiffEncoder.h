#pragma once

#include "ImageEncoder.h"

#include <QSize>

#include <memory>

class QIODevice;

namespace fw {

// A TIFF encoder: uncompressed RGB, in strips of libtiff's default size.
std::unique_ptr<ImageEncoder> MakeTiffEncoder(QIODevice& out, QSize size);

}  // namespace fw
