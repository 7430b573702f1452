// Reads an image file and tells what the end-to-end test checks of it:
//   probe FILE                  -> "WIDTH HEIGHT FORMAT"
//   probe FILE X Y              -> the pixel at (X, Y) as "RRGGBB"
//   probe FILE X Y W H          -> how many pixels of the rectangle are darker than mid-grey
#include <QGuiApplication>
#include <QImageReader>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2 && argc != 4 && argc != 6) {
    std::fprintf(stderr, "usage: probe FILE [X Y [W H]]\n");
    return 2;
  }
  QImageReader reader(QString::fromLocal8Bit(argv[1]));
  const QByteArray format = reader.format();
  const QImage image = reader.read().convertToFormat(QImage::Format_RGB32);
  if (image.isNull()) {
    std::fprintf(stderr, "probe: %s: %s\n", argv[1], qPrintable(reader.errorString()));
    return 1;
  }
  if (argc == 2) {
    std::printf("%d %d %s\n", image.width(), image.height(), format.constData());
    return 0;
  }
  const int x = QByteArray(argv[2]).toInt();
  const int y = QByteArray(argv[3]).toInt();
  if (argc == 4) {
    if (!image.valid(x, y)) return 1;
    std::printf("%06X\n", image.pixel(x, y) & 0xFFFFFFu);
    return 0;
  }
  const QRect rect =
      QRect(x, y, QByteArray(argv[4]).toInt(), QByteArray(argv[5]).toInt()) & image.rect();
  int dark = 0;
  for (int j = rect.top(); j <= rect.bottom(); ++j)
    for (int i = rect.left(); i <= rect.right(); ++i)
      dark += qGray(image.pixel(i, j)) < 128;
  std::printf("%d\n", dark);
  return 0;
}
