#pragma once

#include "base/Text.h"
#include "imaging/Picture.h"

#include <QString>

#include <vector>

// The glyph table, the colour text form and the localisable caption of the program.
namespace Module1 {

constexpr int kGlyphCell = 46;    // a glyph's cell on the sheet, in pixels
constexpr int kGlyphColumns = 6;  // cells per row of the sheet
constexpr int kGlyphCount = 36;   // A to Z, then 0 to 9

// The 36 glyph stencils: element k is the sheet's cell in row k / 6, column k % 6. Each is a
// 46 x 46 picture whose mask is the cell; its colour is refilled before every draw.
extern std::vector<fw::PicturePtr> gMoji;

// Cuts the 36 glyphs from the sheet and appends them to gMoji.
void InitMoji();
// The glyph sheet, loaded from the program's resources on first use and then kept.
fw::PicturePtr QuenzPic();

// "red:green:blue" in decimal.
QString ColorToStr(fw::Color c);
// Appends ColorToStr(c) to text, without a text of its own in between: a document writes one
// for every character.
void AppendColorToStr(QString& text, fw::Color c);
// The colour of a text in that form: missing or non-numeric fields read as 0, extra fields are
// ignored, and channels outside 0 to 255 are clamped.
fw::Color StrToColor(QStringView s);

// The caption of the close prompt's save button in a language ("" for the user's own).
QString kSave(const QString& language);

}  // namespace Module1
