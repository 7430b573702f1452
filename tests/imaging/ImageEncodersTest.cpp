// The encoders on their own: a device that is full, the libraries' own errors, and what the
// files hold next to what Qt's writers make of the same picture.
#include "support/Fixtures.h"
#include "support/Images.h"

#include "base/Error.h"
#include "base/FolderItem.h"
#include "imaging/ImageEncoder.h"
#include "imaging/Picture.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>

#include <cerrno>
#include <climits>
#include <cstring>
#include <new>

namespace {

const int kFormats[] = {fw::Picture::kFormatTIFF, fw::Picture::kFormatPNG,
                        fw::Picture::kFormatJPEG};

// Encodes the whole image as one band.
bool Encode(int format, QIODevice& out, const QImage& image) {
  const auto encoder = fw::ImageEncoder::Make(format, out, image.size(), -1);
  return !encoder->Failed() &&
         encoder->Write(fw::ImageRows{image.constBits(), image.bytesPerLine(), image.height()}) &&
         encoder->Finish();
}

TEST(ImageEncoders, AFullDeviceIsToldInTheSystemsWords) {
  const QImage image = NoiseImage(300, 300);
  for (const int format : kFormats) {
    SCOPED_TRACE(format);
    QFile full(QStringLiteral("/dev/full"));
    ASSERT_TRUE(full.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const auto encoder = fw::ImageEncoder::Make(format, full, image.size(), -1);
    encoder->Write(fw::ImageRows{image.constBits(), image.bytesPerLine(), image.height()});
    EXPECT_FALSE(encoder->Finish());
    EXPECT_EQ(encoder->Error(), QString::fromLocal8Bit(std::strerror(ENOSPC)));
  }
}

class SaveImageTest : public QuenzTest {};

TEST_F(SaveImageTest, RunningOutOfMemoryIsToldInPlainWordsAndKeepsTheOldFile) {
  const QImage image = NoiseImage(64, 40);
  for (const int format : kFormats) {
    SCOPED_TRACE(format);
    const QString path = PathOf(QStringLiteral("logo"));
    WriteBytes(path, "old contents");
    const fw::BandSource band = [&](int top, int count) -> fw::ImageRows {
      if (top > 0) throw std::bad_alloc();  // the second band cannot be drawn
      return {image.constScanLine(top), image.bytesPerLine(), count};
    };
    try {
      fw::SaveImage(fw::FolderItem(path), format, -1, image.size(), 10, band);
      ADD_FAILURE() << "no error";
    } catch (const fw::Error& e) {
      EXPECT_EQ(e.Text(), QStringLiteral("“logo” could not be saved: there is not enough memory."));
    }
    EXPECT_EQ(ReadBytes(path), "old contents");
    EXPECT_EQ(QDir(PathOf(QString())).entryList(QDir::Files | QDir::Hidden).size(), 1);
  }
}

TEST_F(SaveImageTest, ABandOfNoRowsIsTakenAsOneRow) {
  const QImage image = NoiseImage(8, 5);
  for (const int bandRows : {0, -1, INT_MIN}) {
    SCOPED_TRACE(bandRows);
    const QString path = PathOf(QStringLiteral("logo.PNG"));
    int bands = 0;
    const fw::BandSource band = [&](int top, int count) -> fw::ImageRows {
      ++bands;
      EXPECT_EQ(count, 1);
      return {image.constScanLine(top), image.bytesPerLine(), count};
    };
    EXPECT_TRUE(fw::SaveImage(fw::FolderItem(path), fw::Picture::kFormatPNG, -1, image.size(),
                              bandRows, band));
    EXPECT_EQ(bands, 5);
    EXPECT_EQ(QImageReader(path).size(), image.size());
  }
}

TEST(ImageEncoders, TheLibrariesOwnErrorsComeBackAsFailures) {
  // Sizes that the libraries refuse: their errors come back through their recovery points.
  for (const int format : {fw::Picture::kFormatPNG, fw::Picture::kFormatJPEG}) {
    for (const QSize size : {QSize(0, 5), QSize(5, 0)}) {
      SCOPED_TRACE(std::to_string(format) + " " + std::to_string(size.width()) + "x" +
                   std::to_string(size.height()));
      QByteArray bytes;
      QBuffer buffer(&bytes);
      buffer.open(QIODevice::WriteOnly);
      const auto encoder = fw::ImageEncoder::Make(format, buffer, size, -1);
      const QRgb row[5] = {};
      if (!encoder->Failed()) {
        encoder->Write(fw::ImageRows{reinterpret_cast<const uchar*>(row), 20, size.height()});
        encoder->Finish();
      }
      EXPECT_TRUE(encoder->Failed());
      EXPECT_FALSE(encoder->Error().isEmpty());
    }
  }
  QBuffer unused;
  EXPECT_EQ(fw::ImageEncoder::Make(149, unused, QSize(1, 1), -1), nullptr);
}

TEST(ImageEncoders, FilesAreWhatQtWritesAndThePngStaysSmall) {
  // The default logo, drawn whole.
  EnsureGlyphsAndTypes();
  const auto w = std::make_shared<QuenzWin>();
  fw::Picture picture(w->mExpW, w->mExpH);
  w->MakeQuenzLogo(picture.Graphics(), w->mExpH, w->mExpZ);
  const QImage& image = picture.Image();

  const struct {
    int format;
    const char* name;
  } cases[] = {{fw::Picture::kFormatTIFF, "tiff"},
               {fw::Picture::kFormatPNG, "png"},
               {fw::Picture::kFormatJPEG, "jpeg"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QByteArray ours;
    QBuffer oursBuffer(&ours);
    oursBuffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(Encode(c.format, oursBuffer, image));
    QByteArray qt;
    QBuffer qtBuffer(&qt);
    qtBuffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(QImageWriter(&qtBuffer, c.name).write(image));

    oursBuffer.close();
    oursBuffer.open(QIODevice::ReadOnly);
    QImageReader reader(&oursBuffer, c.name);
    const QImage read = reader.read().convertToFormat(QImage::Format_RGB32);
    EXPECT_TRUE(read == QImage::fromData(qt, c.name).convertToFormat(QImage::Format_RGB32));
    if (c.format == fw::Picture::kFormatTIFF) {
      // Uncompressed, three samples a pixel, as Qt writes a picture without alpha.
      const qsizetype pixels = qsizetype(image.width()) * image.height() * 3;
      EXPECT_GE(ours.size(), pixels);
      EXPECT_LT(ours.size(), pixels + 8192);
    }
    if (c.format == fw::Picture::kFormatPNG) {
      EXPECT_TRUE(read == image);
      EXPECT_LE(ours.size(), qt.size() * 11 / 10) << ours.size() << " bytes against " << qt.size();
    }
  }
}

}  // namespace
