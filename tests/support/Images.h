#pragma once

#include "base/Text.h"
#include "editor/LogoInfo.h"

#include <QImage>

#include <cstdint>
#include <string>

// Where two images differ first, for failure messages: "none", "different sizes" or the pixel.
std::string FirstDifference(const QImage& a, const QImage& b);

// A picture whose every pixel differs from its neighbours, the same at every call: it
// compresses badly.
QImage NoiseImage(int width, int height);

// A character record with its glyph, x position and colour.
LogoInfoPtr Char(std::int32_t chr, std::int32_t pos, fw::Color color);
