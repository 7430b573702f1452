// Draws the glyph sheet QuenzPic.png (6 x 6 cells of 46 pixels: A to Z, then 0 to 9, dark on
// light) and the program's icon from a freely licensed font, DejaVu Sans Bold, with the outlines
// of GlyphOutline.h.
//
//   cmake --build build --target make-glyph-sheet
//   QT_QPA_PLATFORM=offscreen build/make-glyph-sheet resources
#include "GlyphOutline.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {

using glyph_outline::CellGlyphPath;
using glyph_outline::kCell;
using glyph_outline::kColumns;
using glyph_outline::kGlyphs;

QImage Sheet(const QFont& font) {
  QImage sheet(kCell * kColumns, kCell * kColumns, QImage::Format_RGB32);
  sheet.fill(Qt::white);
  QPainter painter(&sheet);
  painter.setRenderHint(QPainter::Antialiasing);
  for (int k = 0; k < 36; ++k) {
    const QPainterPath path = CellGlyphPath(font, QChar::fromLatin1(kGlyphs[k]), kCell);
    const QRectF box = path.boundingRect();
    std::printf("%c: x %.1f-%.1f y %.1f-%.1f\n", kGlyphs[k], box.left(), box.right(), box.top(),
                box.bottom());
    painter.save();
    painter.translate((k % kColumns) * kCell, (k / kColumns) * kCell);
    painter.setClipRect(0, 0, kCell, kCell);
    painter.fillPath(path, Qt::black);
    painter.restore();
  }
  return sheet;
}

// A white tile with a blue Q and an orange L, the way the program draws a logo.
QImage Icon(const QFont& font) {
  constexpr int kSize = 256;
  QImage icon(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
  icon.fill(Qt::transparent);
  QPainter painter(&icon);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(0x33, 0x33, 0x33), 6));
  painter.setBrush(Qt::white);
  painter.drawRoundedRect(QRectF(8, 8, kSize - 16, kSize - 16), 36, 36);
  const double cell = 150;
  const QPainterPath q = CellGlyphPath(font, u'Q', cell);
  const QPainterPath l = CellGlyphPath(font, u'L', cell);
  painter.translate(14, 40);
  painter.fillPath(l.translated(78, 12), QColor(0xF0, 0x8C, 0x00));
  painter.fillPath(q, QColor(0x1E, 0x5A, 0xC8));
  return icon;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
  const std::optional<QFont> font = glyph_outline::LoadFont();
  if (!font) {
    std::fprintf(stderr, "cannot load %s\n", glyph_outline::kFontPath);
    return 1;
  }
  if (!Sheet(*font).save(out + QStringLiteral("/QuenzPic.png"))) return 1;
  if (!Icon(*font).save(out + QStringLiteral("/quenz-logo-maker.png"))) return 1;
  return 0;
}
