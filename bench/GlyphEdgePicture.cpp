// Draws docs/glyph-edges-552.png: glyphs of the sheet at export height 552, black on white, as
// the earlier enlargement drew them (from the distance to the mask's edge, sampled bilinearly,
// which the program keeps for masks too large to trace) and as the program draws them now, from
// the outline traced from the mask; below, parts of both four times enlarged: the tips of the
// W's counters, the K's crotch and the R's leg.
//
//   cmake --build build --target glyph-edge-picture
//   QT_QPA_PLATFORM=offscreen build/bench/glyph-edge-picture docs/glyph-edges-552.png
#include "editor/Module1.h"
#include "imaging/EdgeDistance.h"
#include "imaging/Picture.h"
#include "imaging/Stencil.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <memory>

namespace {

constexpr int kHeight = 552;
constexpr int kCell = Module1::kGlyphCell;
constexpr int kGlyphs[] = {22, 10, 0, 17, 34, 18};  // W K A R 8 S
constexpr int kGap = 24;
constexpr int kZoom = 4;

// The glyph's cell as a black stencil.
fw::Stencil StencilOf(int glyph) {
  const QImage sheet = Module1::QuenzPic()->Image().convertToFormat(QImage::Format_RGB32);
  auto alpha = std::make_shared<std::vector<std::uint8_t>>(std::size_t(kCell) * kCell);
  for (int y = 0; y < kCell; ++y) {
    for (int x = 0; x < kCell; ++x) {
      const QRgb p = sheet.pixel((glyph % Module1::kGlyphColumns) * kCell + x,
                                 (glyph / Module1::kGlyphColumns) * kCell + y);
      (*alpha)[std::size_t(y) * kCell + std::size_t(x)] = std::uint8_t(255 - qGray(p));
    }
  }
  fw::Stencil stencil;
  stencil.width = kCell;
  stencil.height = kCell;
  stencil.alpha = alpha;
  stencil.uniform = qRgb(0, 0, 0);
  return stencil;
}

// The glyph enlarged to kHeight from its outline (now) or, without one, from its edge distance
// (earlier).
QImage Drawn(int glyph, bool now) {
  fw::Stencil stencil = StencilOf(glyph);
  if (now) {
    stencil.outline = fw::TraceOutline(stencil.alpha->data(), kCell, kCell);
  } else {
    stencil.distance =
        std::make_shared<std::vector<float>>(fw::EdgeDistance(stencil.alpha->data(), kCell, kCell));
  }
  QImage out(kHeight, kHeight, QImage::Format_RGB32);
  out.fill(Qt::white);
  const fw::StencilScaler scaler(stencil, QRect(0, 0, kCell, kCell),
                                 fw::DeviceRect{0, 0, kHeight, kHeight},
                                 QRect(0, 0, kHeight, kHeight));
  scaler.DrawRows(0, kHeight, out, QPoint(0, 0), true);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
    return 2;
  }
  constexpr int kCount = int(std::size(kGlyphs));
  QImage rows[2][kCount];
  for (int r = 0; r < 2; ++r) {
    for (int g = 0; g < kCount; ++g)
      rows[r][g] = Drawn(kGlyphs[g], r == 1);
  }
  // Parts to enlarge: (glyph's place in kGlyphs, the part of its square).
  const struct {
    int glyph;
    QRect part;
  } details[] = {{0, QRect(215, 95, 200, 150)},
                 {0, QRect(146, 300, 200, 150)},
                 {1, QRect(137, 147, 200, 150)},
                 {3, QRect(245, 215, 200, 150)}};
  const int width = kCount * kHeight + (kCount - 1) * kGap;
  const int zoomTop = 2 * kHeight + kGap;
  const int zoomHeight = kZoom * 150;
  QImage out(width, zoomTop + 2 * zoomHeight + kGap, QImage::Format_RGB32);
  out.fill(Qt::white);
  QPainter painter(&out);
  for (int r = 0; r < 2; ++r) {
    for (int g = 0; g < kCount; ++g)
      painter.drawImage(g * (kHeight + kGap), r * kHeight, rows[r][g]);
  }
  for (int r = 0; r < 2; ++r) {
    int x = 0;
    for (const auto& d : details) {
      const QImage part = rows[r][d.glyph].copy(d.part).scaled(d.part.size() * kZoom);
      painter.drawImage(x, zoomTop + r * (zoomHeight + kGap), part);
      painter.setPen(QColor(200, 0, 0));
      painter.drawRect(x, zoomTop + r * (zoomHeight + kGap), part.width() - 1, part.height() - 1);
      x += part.width() + kGap;
    }
  }
  painter.setPen(QColor(200, 0, 0));
  painter.drawLine(0, kHeight, width, kHeight);
  painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 18));
  painter.drawText(8, 28, QStringLiteral("before: from the edge distance"));
  painter.drawText(8, kHeight + 28, QStringLiteral("after: from the traced outline"));
  painter.drawText(8, zoomTop + 28, QStringLiteral("before, 4 ×"));
  painter.drawText(8, zoomTop + zoomHeight + kGap + 28, QStringLiteral("after, 4 ×"));
  painter.end();
  if (!out.save(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
