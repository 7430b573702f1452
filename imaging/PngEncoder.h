#pragma once

#include "ImageEncoder.h"

#include <QSize>

#include <memory>

class QIODevice;

namespace fw {

// A PNG encoder: RGB, eight bits a sample, the Up filter and zlib's run-length strategy.
std::unique_ptr<ImageEncoder> MakePngEncoder(QIODevice& out, QSize size);

}  // namespace fw
