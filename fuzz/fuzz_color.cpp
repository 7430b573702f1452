// The colour text codec on arbitrary text: reading never fails, gives a colour with a top byte
// of 0, and the colour's text reads back as the same colour.
#include "editor/Module1.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
  const fw::Color c = Module1::StrToColor(text);
  if ((c >> 24) != 0) std::abort();
  const QString form = Module1::ColorToStr(c);
  if (form.count(u':') != 2 || Module1::StrToColor(form) != c) std::abort();
  return 0;
}
