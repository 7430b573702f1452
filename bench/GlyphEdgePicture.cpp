// Draws docs/glyph-edges-552.png: the A and the V of the glyph sheet at export height 552, as
// the earlier sampler drew them (the mask's alpha sampled bilinearly, its ramp steepened by the
// scale factor) and as the program draws them now, from the distance to the glyph's edge; below
// the two, the left edge of the A four times enlarged, earlier on the left, now on the right.
//
//   cmake --build build --target glyph-edge-picture
//   QT_QPA_PLATFORM=offscreen build/bench/glyph-edge-picture docs/glyph-edges-552.png
#include "editor/Module1.h"
#include "imaging/Picture.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kHeight = 552;
constexpr int kCell = Module1::kGlyphCell;
constexpr int kA = 0;
constexpr int kV = 21;
constexpr int kGap = kHeight * 150 / 138 - kHeight;  // the characters 150 preview pixels apart

// The earlier sampler, for comparison only: each pixel's centre mapped to the cell, the cell's
// coverage interpolated bilinearly there, and the ramp steepened around half coverage.
QImage Earlier(int glyph) {
  const QImage sheet = Module1::QuenzPic()->Image().convertToFormat(QImage::Format_RGB32);
  const int x0 = (glyph % Module1::kGlyphColumns) * kCell;
  const int y0 = (glyph / Module1::kGlyphColumns) * kCell;
  const auto alpha = [&](int x, int y) {
    return 255 -
           qGray(sheet.pixel(x0 + std::clamp(x, 0, kCell - 1), y0 + std::clamp(y, 0, kCell - 1)));
  };
  const double scale = double(kHeight) / kCell;
  QImage out(kHeight, kHeight, QImage::Format_RGB32);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kHeight; ++x) {
      const double u = (x + 0.5) / scale - 0.5;
      const double v = (y + 0.5) / scale - 0.5;
      const int bx = int(std::floor(u));
      const int by = int(std::floor(v));
      const double fx = u - bx;
      const double fy = v - by;
      const double a = (alpha(bx, by) * (1 - fx) + alpha(bx + 1, by) * fx) * (1 - fy) +
                       (alpha(bx, by + 1) * (1 - fx) + alpha(bx + 1, by + 1) * fx) * fy;
      const int steep = std::clamp(int(std::lround(128 + (a - 128) * scale)), 0, 255);
      out.setPixel(x, y, qRgb(255 - steep, 255 - steep, 255 - steep));
    }
  }
  return out;
}

// The glyph as the program draws it now into a picture, black on white.
QImage Now(int glyph) {
  fw::Picture picture(kHeight, kHeight);
  fw::Picture& source = *Module1::gMoji[std::size_t(glyph)];
  source.Graphics().SetForeColor(0);
  source.Graphics().FillRect(0, 0, kCell, kCell);
  picture.Graphics().DrawPicture(source, 0, 0, kHeight, kHeight, 0, 0, kCell, kCell);
  return picture.Image();
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
    return 2;
  }
  Module1::InitMoji();
  const QImage rows[2][2] = {{Earlier(kA), Earlier(kV)}, {Now(kA), Now(kV)}};
  // A part of the A's left edge, from the middle of its height.
  const QRect detail(100, 230, 120, 130);
  constexpr int kZoom = 4;
  const int width = 2 * kHeight + kGap;
  QImage out(width, 2 * kHeight + kZoom * detail.height(), QImage::Format_RGB32);
  out.fill(Qt::white);
  QPainter painter(&out);
  for (int r = 0; r < 2; ++r) {
    painter.drawImage(0, r * kHeight, rows[r][0]);
    painter.drawImage(kHeight + kGap, r * kHeight, rows[r][1]);
  }
  const int zoomTop = 2 * kHeight;
  for (int r = 0; r < 2; ++r) {
    const QImage part = rows[r][0].copy(detail).scaled(detail.size() * kZoom);
    painter.drawImage(r * (width / 2), zoomTop, part);
  }
  painter.setPen(QColor(200, 0, 0));
  painter.drawLine(0, kHeight, width, kHeight);
  painter.drawLine(0, zoomTop, width, zoomTop);
  painter.drawLine(width / 2, zoomTop, width / 2, out.height());
  painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 14));
  painter.drawText(8, 24, QStringLiteral("before"));
  painter.drawText(8, kHeight + 24, QStringLiteral("after"));
  painter.drawText(8, zoomTop + 24, QStringLiteral("before, 4 x"));
  painter.drawText(width / 2 + 8, zoomTop + 24, QStringLiteral("after, 4 x"));
  painter.end();
  if (!out.save(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
