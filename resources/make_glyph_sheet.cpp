// Draws the glyph sheet QuenzPic.png (6 x 6 cells of 46 pixels: A to Z, then 0 to 9, dark on
// light) and the program's icon from a freely licensed font, DejaVu Sans Bold.
//
//   cmake --build build --target make-glyph-sheet
//   QT_QPA_PLATFORM=offscreen build/make-glyph-sheet resources
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kCell = 46;
constexpr int kColumns = 6;
constexpr double kCapHeight = 36.0;  // the height of a capital, in pixels of the cell
constexpr double kBaseline = 41.0;   // from the cell's top
constexpr double kMaxWidth = 28.0;   // wider glyphs are condensed to this

const char kFontPath[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
const char kGlyphs[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

// The outline of a glyph scaled so that capitals are kCapHeight high, condensed where it would
// be wider than kMaxWidth, centred in a cell with its baseline at kBaseline.
QPainterPath GlyphPath(const QFont& font, QChar ch, double capHeight, double baseline,
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

QImage Sheet(const QFont& font) {
  QImage sheet(kCell * kColumns, kCell * kColumns, QImage::Format_RGB32);
  sheet.fill(Qt::white);
  QPainter painter(&sheet);
  painter.setRenderHint(QPainter::Antialiasing);
  for (int k = 0; k < 36; ++k) {
    const QPainterPath path =
        GlyphPath(font, QChar::fromLatin1(kGlyphs[k]), kCapHeight, kBaseline, kMaxWidth, kCell);
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
  QPainterPath q = GlyphPath(font, u'Q', 150 * 36.0 / 46, 150 * 41.0 / 46, 150 * 28.0 / 46, cell);
  QPainterPath l = GlyphPath(font, u'L', 150 * 36.0 / 46, 150 * 41.0 / 46, 150 * 28.0 / 46, cell);
  painter.translate(14, 40);
  painter.fillPath(l.translated(78, 12), QColor(0xF0, 0x8C, 0x00));
  painter.fillPath(q, QColor(0x1E, 0x5A, 0xC8));
  return icon;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
  const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(kFontPath));
  if (id < 0) {
    std::fprintf(stderr, "cannot load %s\n", kFontPath);
    return 1;
  }
  QFont font(QFontDatabase::applicationFontFamilies(id).value(0));
  font.setBold(true);
  font.setPixelSize(200);
  if (!Sheet(font).save(out + QStringLiteral("/QuenzPic.png"))) return 1;
  if (!Icon(font).save(out + QStringLiteral("/quenz-logo-maker.png"))) return 1;
  return 0;
}
