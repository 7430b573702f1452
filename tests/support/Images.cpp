#include "Images.h"

#include <memory>

std::string FirstDifference(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return "different sizes";
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      if (a.pixel(x, y) != b.pixel(x, y)) {
        return "first at (" + std::to_string(x) + ", " + std::to_string(y) + ")";
      }
    }
  }
  return "none";
}

QImage NoiseImage(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  std::uint32_t state = 12345;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      state = state * 1103515245u + 12345u;
      image.setPixel(x, y, 0xFF000000u | (state >> 8));
    }
  }
  return image;
}

LogoInfoPtr Char(std::int32_t chr, std::int32_t pos, fw::Color color) {
  auto r = std::make_shared<LogoInfo>();
  r->mChr = chr;
  r->mPos = pos;
  r->mColor = color;
  return r;
}
