#pragma once

#include <QColor>
#include <QRgb>

#include <cstdint>

namespace fw {

// A colour as 0x00RRGGBB: red in bits 16-23, green in 8-15, blue in 0-7.
using Color = std::uint32_t;

// Builds a colour from its channels. Each channel is clamped to 0..255 and alpha goes to the top
// byte, so RGB(r, g, b, 0) has a top byte of 0.
Color RGB(int red, int green, int blue, int alpha = 0);
int RedOf(Color c);
int GreenOf(Color c);
int BlueOf(Color c);

// The one way a colour reaches Qt: opaque, the top byte left out.
inline QRgb ToQRgb(Color c) {
  return qRgb(RedOf(c), GreenOf(c), BlueOf(c));
}
inline QColor ToQColor(Color c) {
  return QColor(ToQRgb(c));
}
// A colour chosen in Qt, back as a colour of the program.
inline Color FromQColor(const QColor& c) {
  return RGB(c.red(), c.green(), c.blue());
}

}  // namespace fw
