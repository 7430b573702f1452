// Pictures made for export: drawn again band by band, they give the pixels of a whole picture
// drawn the same way, they keep their sources as they were when drawn, and they are saved in
// bands through the encoders.
#include "support/Fixtures.h"
#include "support/Images.h"

#include "base/Error.h"
#include "base/FolderItem.h"
#include "editor/LogoRenderer.h"
#include "editor/Module1.h"
#include "framework/Progress.h"
#include "imaging/ExportPicture.h"
#include "imaging/Picture.h"

#include <QImage>
#include <QImageReader>
#include <QImageWriter>

#include <functional>
#include <string>

namespace {

using Drawing = std::function<void(fw::Graphics&)>;

// The drawing done into a whole picture, as the export did before it was banded.
QImage Whole(int width, int height, const Drawing& draw) {
  fw::Picture picture(width, height);
  draw(picture.Graphics());
  return picture.Image();
}

// The same drawing recorded and drawn again in bands of the given rows.
QImage Banded(int width, int height, int bandRows, const Drawing& draw) {
  fw::ExportPicture picture(width, height, 32, std::size_t(width) * 4 * std::size_t(bandRows));
  EXPECT_EQ(picture.BandRows(), std::min(bandRows, height));
  draw(picture.Graphics());
  QImage out(width, height, QImage::Format_RGB32);
  QImage band(width, picture.BandRows(), QImage::Format_RGB32);
  for (int top = 0; top < height; top += picture.BandRows()) {
    const int count = std::min(picture.BandRows(), height - top);
    picture.DrawBand(top, count, band);
    for (int y = 0; y < count; ++y)
      std::memcpy(out.scanLine(top + y), band.constScanLine(y), std::size_t(width) * 4);
  }
  return out;
}

// A logo whose glyphs overlap, stand partly left of 0 and partly beyond the right edge, two of
// them the same glyph in different colours.
std::vector<LogoInfoPtr> OverlappingLogo() {
  return {nullptr,
          Char(16, -50, 0xC01020),
          Char(0, 40, 0x000000),
          Char(16, 70, 0x2080F0),
          Char(35, 140, 0x10A010),
          Char(7, 400, 0x808000)};
}

class ExportPictureTest : public QuenzTest {};

TEST_F(ExportPictureTest, DrawnInBandsItGivesThePixelsOfAWholePicture) {
  // A picture without a mask, drawn unscaled and scaled, and a partial fill: the draws that the
  // logo does not make go through the same record.
  const auto plain = std::make_shared<fw::Picture>(4, 3);
  plain->Graphics().SetForeColor(0x00FF00);
  plain->Graphics().FillRect(1, 1, 2, 1);
  const struct {
    const char* what;
    int height;  // the glyph size; the scale is height / 138
    int extraRows;
  } logos[] = {{"unscaled glyphs", 46, 0},
               {"at 309", 309, 0},
               {"at 1000", 1000, 0},
               {"a surface taller than the glyphs", 120, 37}};
  for (const auto& c : logos) {
    SCOPED_TRACE(c.what);
    const double scale = c.height / 138.0;
    const int width = int(500 * scale) + c.height;
    const int height = c.height + c.extraRows;
    const Drawing draw = [&](fw::Graphics& g) {
      DrawLogo(g, OverlappingLogo(), 0xF0F0E0, Module1::gMoji, c.height, scale);
      g.SetForeColor(0x3050A0);
      g.FillRect(width / 3, height / 4, width / 5, height / 2);
      g.DrawPicture(*plain, -1, height - 2, 4, 3, 0, 0, 4, 3);
      g.DrawPicture(*plain, width - 30, 5, 40, 30, 0, 0, 4, 3);
    };
    const QImage whole = Whole(width, height, draw);
    for (const int rows : {1, 7, height}) {
      SCOPED_TRACE(rows);
      const QImage banded = Banded(width, height, rows, draw);
      EXPECT_TRUE(banded == whole) << FirstDifference(banded, whole);
    }
  }
}

TEST_F(ExportPictureTest, NothingDrawnIsWhiteAndAWholeFillHidesWhatCameBefore) {
  const Drawing nothing = [](fw::Graphics&) {};
  EXPECT_TRUE(Banded(9, 5, 2, nothing) == Whole(9, 5, nothing));
  const Drawing refilled = [](fw::Graphics& g) {
    DrawLogo(g, OverlappingLogo(), 0x000000, Module1::gMoji, 46, 46 / 138.0);
    g.SetForeColor(0x405060);
    g.FillRect(-5, -5, 500, 500);
  };
  const QImage banded = Banded(200, 46, 10, refilled);
  EXPECT_TRUE(banded == Whole(200, 46, refilled));
  EXPECT_EQ(banded.pixel(0, 0), 0xff405060);
}

TEST_F(ExportPictureTest, ADrawKeepsItsSourceAsItWasWhenDrawn) {
  // A shared stencil, drawn red in one shape, then refilled blue and reshaped, as the glyphs are
  // recoloured for every draw and as the preview may recolour them while an export is saved.
  const auto stencil = std::make_shared<fw::Picture>(46, 46);
  fw::Graphics& mask = stencil->Mask(true)->Graphics();
  mask.SetForeColor(0xFFFFFF);
  mask.FillRect(23, 0, 23, 46);
  const auto drawRed = [&](fw::Graphics& g) {
    stencil->Graphics().SetForeColor(0xFF0000);
    stencil->Graphics().FillRect(0, 0, 46, 46);
    g.DrawPicture(*stencil, 0, 0, 92, 92, 0, 0, 46, 46);
    g.DrawPicture(*stencil, 92, 0, 46, 46, 0, 0, 46, 46);
  };
  const QImage expected = Whole(138, 92, drawRed);

  fw::ExportPicture picture(138, 92);
  drawRed(picture.Graphics());
  stencil->Graphics().SetForeColor(0x0000FF);
  stencil->Graphics().FillRect(0, 0, 46, 46);
  mask.SetForeColor(0x000000);
  mask.FillRect(0, 0, 46, 46);
  stencil->Graphics().SetForeColor(0xFFFF00);
  stencil->Graphics().FillRect(3, 3, 5, 5);  // and no longer of one colour

  QImage band(138, 92, QImage::Format_RGB32);
  picture.DrawBand(0, 92, band);
  EXPECT_TRUE(band == expected) << FirstDifference(band, expected);
}

TEST_F(ExportPictureTest, SidesOutsideOneTo32767AreRefused) {
  for (const auto& [w, h] : {std::pair{0, 1}, {1, 0}, {-1, 5}, {32768, 1}, {1, 32768}}) {
    EXPECT_THROW(fw::ExportPicture(w, h), fw::Error) << w << " x " << h;
  }
  EXPECT_NO_THROW(fw::ExportPicture(32767, 32767));  // nothing is allocated for the pixels
}

TEST_F(ExportPictureTest, SavedInBandsEachFormatDecodesToTheWholePicture) {
  const Drawing draw = [](fw::Graphics& g) {
    DrawLogo(g, OverlappingLogo(), 0xFFFFFF, Module1::gMoji, 138, 1.0);
  };
  const QImage whole = Whole(700, 150, draw);
  fw::ExportPicture picture(700, 150, 32, 700 * 4 * 11);  // 14 bands, the last of 7 rows
  draw(picture.Graphics());

  const struct {
    int code;
    const char* format;
  } cases[] = {{fw::Picture::kFormatPNG, "png"},
               {fw::Picture::kFormatTIFF, "tiff"},
               {fw::Picture::kFormatJPEG, "jpeg"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format);
    const QString path = PathOf(QString::fromLatin1(c.format));
    // As the export saves it: with a progress, told of every band.
    const auto progress = fw::StartProgress(QStringLiteral("Saving"), picture.BandCount());
    EXPECT_TRUE(picture.Save(fw::FolderItem(path), c.code, -1,
                             [&](int done) { return fw::RunEventsAndStep(*progress, done); }));
    QImageReader reader(path);
    EXPECT_EQ(reader.format(), QByteArray(c.format));
    const QImage read = reader.read().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(read.isNull()) << reader.errorString().toStdString();
    if (c.code != fw::Picture::kFormatJPEG) {
      EXPECT_TRUE(read == whole) << FirstDifference(read, whole);
      continue;
    }
    // JPEG as Qt's writer makes it at its default quality of 75: the same pixels.
    QImageWriter qt(PathOf(QStringLiteral("qt.jpeg")), "jpeg");
    ASSERT_TRUE(qt.write(whole));
    const QImage qtRead =
        QImage(PathOf(QStringLiteral("qt.jpeg"))).convertToFormat(QImage::Format_RGB32);
    EXPECT_TRUE(read == qtRead) << FirstDifference(read, qtRead);
  }
  EXPECT_EQ(Script().progress.labels.size(), 3u);
  EXPECT_EQ(Script().progress.steps, 14);
  EXPECT_EQ(Script().progress.stepsSeen, 14);
}

}  // namespace
