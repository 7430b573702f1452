// The outlines that the glyph sheet is drawn from: DejaVu Sans Bold, each capital and digit
// scaled, condensed and placed in its cell. Shared by the tool that draws the sheet and by the
// tool that measures the program's glyphs against these outlines at any height.
#pragma once

#include <QFont>
#include <QFontDatabase>
#include <QPainterPath>
#include <QString>
#include <QTransform>

#include <algorithm>
#include <optional>

namespace glyph_outline {

constexpr int kCell = 46;
constexpr int kColumns = 6;
constexpr double kCapHeight = 36.0;  // the height of a capital, in pixels of the cell
constexpr double kBaseline = 41.0;   // from the cell's top
constexpr double kMaxWidth = 28.0;   // wider glyphs are condensed to this

inline constexpr char kFontPath[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
// The sheet's glyphs in the order of its cells, row by row.
inline constexpr char kGlyphs[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

// The font of the outlines, at a size large enough that its outlines are not hinted to a grid;
// nothing when the font file cannot be loaded. Needs a QGuiApplication.
inline std::optional<QFont> LoadFont() {
  const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(kFontPath));
  if (id < 0) return std::nullopt;
  QFont font(QFontDatabase::applicationFontFamilies(id).value(0));
  font.setBold(true);
  font.setPixelSize(200);
  return font;
}

// The outline of a glyph scaled so that capitals are capHeight high, condensed where it would
// be wider than maxWidth, centred in a cell with its baseline at baseline.
inline QPainterPath GlyphPath(const QFont& font, QChar ch, double capHeight, double baseline,
                              double maxWidth, double cell) {
  QPainterPath raw;
  raw.addText(0, 0, font, QString(ch));
  QPainterPath h;
  h.addText(0, 0, font, QStringLiteral("H"));
  const double scale = capHeight / h.boundingRect().height();
  const QRectF ink = raw.boundingRect();
  const double sx = std::min(scale, maxWidth / ink.width());
  // A descender (J, the tail of Q) would leave the cell: squeeze such a glyph to fit.
  const double bottom = baseline + ink.bottom() * scale;
  const double limit = cell - cell / 46.0;
  const double top = baseline + ink.top() * scale;
  const double sy = bottom > limit ? scale * (limit - top) / (bottom - top) : scale;
  QTransform t;
  t.translate(cell / 2.0, top);
  t.scale(sx, sy);
  t.translate(-ink.center().x(), -ink.top());
  return t.map(raw);
}

// The outline of a glyph in a cell of any size: the sheet's cell, scaled.
inline QPainterPath CellGlyphPath(const QFont& font, QChar ch, double cell) {
  return GlyphPath(font, ch, cell * kCapHeight / kCell, cell * kBaseline / kCell,
                   cell * kMaxWidth / kCell, cell);
}

}  // namespace glyph_outline
