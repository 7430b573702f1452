#include "Module1.h"
#include "imaging/Picture.h"

namespace Module1 {

std::vector<fw::PicturePtr> gMoji;

namespace {
fw::PicturePtr gQuenzPic;
}

fw::PicturePtr QuenzPic() {
  if (!gQuenzPic) gQuenzPic = fw::Picture::OpenFromApp(QStringLiteral("QuenzPic"));
  return gQuenzPic;
}

void InitMoji() {
  for (int r = 0; r < kGlyphColumns; ++r) {
    for (int c = 0; c < kGlyphColumns; ++c) {
      auto glyph = std::make_shared<fw::Picture>(kGlyphCell, kGlyphCell, 32);
      glyph->Graphics().FillRect(0, 0, kGlyphCell, kGlyphCell);
      const fw::PicturePtr mask = glyph->Mask(true);
      const fw::PicturePtr sheet = QuenzPic();
      if (sheet) {
        mask->Graphics().DrawPicture(*sheet, 0, 0, kGlyphCell, kGlyphCell, c * kGlyphCell,
                                     r * kGlyphCell, kGlyphCell, kGlyphCell);
      }
      gMoji.push_back(glyph);
    }
  }
}

QString ColorToStr(fw::Color c) {
  QString text;
  AppendColorToStr(text, c);
  return text;
}

void AppendColorToStr(QString& text, fw::Color c) {
  fw::AppendStr(text, (c >> 16) & 0xFF);
  text.append(u':');
  fw::AppendStr(text, (c >> 8) & 0xFF);
  text.append(u':');
  fw::AppendStr(text, c & 0xFF);
}

fw::Color StrToColor(QStringView s) {
  const std::int32_t red = fw::ToInt32(fw::Val(fw::NthFieldView(s, u":", 1)));
  const std::int32_t green = fw::ToInt32(fw::Val(fw::NthFieldView(s, u":", 2)));
  const std::int32_t blue = fw::ToInt32(fw::Val(fw::NthFieldView(s, u":", 3)));
  return fw::RGB(red, green, blue, 0);
}

QString kSave(const QString& language) {
  return fw::GetLocalizedString(QStringLiteral("Module1.kSave"), QStringLiteral("Save"), language);
}

}  // namespace Module1
