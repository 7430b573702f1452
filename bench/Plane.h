// A glyph's coverage as floating-point values, one a pixel, 0 on the ground and 1 on the ink:
// what the glyph measuring tool compares, whichever way a glyph was drawn.
#pragma once

#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace glyph_measure {

struct Plane {
  Plane() = default;
  Plane(int w, int h) : width(w), height(h), values(std::size_t(w) * std::size_t(h), 0.0F) {}

  float At(int x, int y) const { return values[std::size_t(y) * std::size_t(width) + x]; }
  float& At(int x, int y) { return values[std::size_t(y) * std::size_t(width) + x]; }
  double Sum() const {
    double sum = 0;
    for (const float v : values)
      sum += v;
    return sum;
  }

  int width = 0;
  int height = 0;
  std::vector<float> values;
};

// The coverage of a part of a dark-on-light image: 1 - red / 255.
inline Plane PlaneOf(const QImage& image, QRect part) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  Plane plane(part.width(), part.height());
  for (int y = 0; y < part.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(part.y() + y));
    for (int x = 0; x < part.width(); ++x)
      plane.At(x, y) = float(255 - qRed(row[part.x() + x])) / 255.0F;
  }
  return plane;
}

inline Plane PlaneOf(const QImage& image) {
  return PlaneOf(image, image.rect());
}

// The plane black on white, at 8 bits, rounded.
inline QImage ImageOf(const Plane& plane) {
  QImage image(plane.width, plane.height, QImage::Format_RGB32);
  for (int y = 0; y < plane.height; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < plane.width; ++x) {
      const int level = int(std::lround(std::clamp(plane.At(x, y), 0.0F, 1.0F) * 255.0F));
      row[x] = qRgb(255 - level, 255 - level, 255 - level);
    }
  }
  return image;
}

}  // namespace glyph_measure
