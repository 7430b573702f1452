#include "LogoInfo.h"

#include <algorithm>
#include <limits>

LogoInfo::LogoInfo(std::int32_t n, const QByteArray& ch)
    : mPos(std::int32_t(std::clamp<std::int64_t>((std::int64_t(n) - 1) * kDefaultSpacing,
                                                 std::numeric_limits<std::int32_t>::min(),
                                                 std::numeric_limits<std::int32_t>::max()))) {
  SetChar(ch);
}

void LogoInfo::SetChar(const QByteArray& ch) {
  const int b = fw::AscB(ch);
  if (b >= '0' && b <= '9') {
    mChr = (b - '0') + 26;
  } else if (b >= 'A' && b <= 'Z') {
    mChr = b - 'A';
  }
}

void LogoInfo::SetDifPos(std::int32_t d) {
  mPos = std::int32_t(std::clamp<std::int64_t>(std::int64_t(mPos) + d,
                                               std::numeric_limits<std::int32_t>::min(),
                                               std::numeric_limits<std::int32_t>::max()));
}

void LogoInfo::SetCharColor(fw::Color c) {
  mColor = c;
}
