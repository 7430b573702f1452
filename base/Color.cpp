#include "Color.h"

#include <algorithm>

namespace fw {

namespace {

int ClampChannel(int v) {
  return std::clamp(v, 0, 255);
}

}  // namespace

Color RGB(int red, int green, int blue, int alpha) {
  return (Color(ClampChannel(alpha)) << 24) | (Color(ClampChannel(red)) << 16) |
         (Color(ClampChannel(green)) << 8) | Color(ClampChannel(blue));
}

int RedOf(Color c) {
  return int((c >> 16) & 0xFF);
}
int GreenOf(Color c) {
  return int((c >> 8) & 0xFF);
}
int BlueOf(Color c) {
  return int(c & 0xFF);
}

}  // namespace fw
