#pragma once

#include "ImageEncoder.h"

#include <QSize>

#include <memory>

class QIODevice;

namespace fw {

// A JPEG encoder at that quality, 75 when it is -1.
std::unique_ptr<ImageEncoder> MakeJpegEncoder(QIODevice& out, QSize size, int quality);

}  // namespace fw
