#pragma once

#include "base/Text.h"

#include <QByteArray>

#include <cstdint>
#include <memory>

// One character of a logo: which glyph it shows, where it stands and in which colour.
class LogoInfo {
 public:
  // A record with the values of a new one: black, at x 0, the glyph of A.
  LogoInfo() = default;
  // The record of the n-th character (n from 1) made from the character ch: at its default x of
  // (n - 1) * 92, with the glyph of ch.
  LogoInfo(std::int32_t n, const QByteArray& ch);

  // Sets the glyph index from the first byte of ch: digits 0-9 give 26-35, capitals A-Z give
  // 0-25, any other byte leaves the index as it was.
  void SetChar(const QByteArray& ch);
  // Moves the character by d preview pixels. The position saturates at the ends of its range
  // instead of wrapping around.
  void SetDifPos(std::int32_t d);
  void SetCharColor(fw::Color c);

  fw::Color mColor = 0;   // the colour the glyph is drawn in
  std::int32_t mPos = 0;  // x of the glyph's left edge, in preview pixels; may be negative
  std::int32_t mChr = 0;  // the glyph's index in the glyph table
};

using LogoInfoPtr = std::shared_ptr<LogoInfo>;

// Whether a byte of a logo text makes a character of the logo: a digit or a capital, the bytes
// that have a glyph of their own. Every other byte is shown in the text and left out of the logo.
constexpr bool MakesCharacter(char b) {
  return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z');
}

// The spacing of the characters' default positions, two thirds of a preview glyph.
constexpr std::int32_t kDefaultSpacing = 92;
