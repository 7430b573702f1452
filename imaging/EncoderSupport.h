#pragma once

// What the three encoders share: the rows they take, the resolution they write, and a place for
// their C library's words.

#include <QImage>
#include <QRgb>

#include <cstdint>
#include <cstdio>

namespace fw::encoders {

// The encoders' own reasons for a failure: English sources, translated only where the failure is
// told (ImageEncoder::Error), never where a library may be calling back.
extern const char* const kNotEnoughMemory;
extern const char* const kEncoderFailed;
extern const char* const kTiffWriterFailed;

// The resolution, in dots a metre, of a new Qt image: what Qt's own writers put in a file.
inline int DotsPerMeter() {
  return QImage(1, 1, QImage::Format_RGB32).dotsPerMeterX();
}

// Packs a row of RGB32 pixels as R, G, B bytes.
inline void PackRgb(const uchar* bits, int width, std::uint8_t* out) {
  const auto* in = reinterpret_cast<const QRgb*>(bits);
  for (int x = 0; x < width; ++x) {
    const QRgb p = in[x];
    out[0] = std::uint8_t(p >> 16);
    out[1] = std::uint8_t(p >> 8);
    out[2] = std::uint8_t(p);
    out += 3;
  }
}

// A C library's message, kept in a plain buffer: it is written where no C++ object may live.
struct Message {
  char text[256] = {};
  void Set(const char* s) noexcept { std::snprintf(text, sizeof text, "%s", s ? s : ""); }
};

}  // namespace fw::encoders
