// Pictures and their drawing surfaces: sizes, fills, drawing through masks, and the image files
// that pictures are saved to.
#include "support/FileSizeLimit.h"
#include "support/Fixtures.h"
#include "support/Images.h"

#include "base/Error.h"
#include "base/FolderItem.h"
#include "imaging/Picture.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

const QString kSizeError = QStringLiteral("Width/Height needs to be in the range 1-32767");

// ---- pictures drawn as grids of letters, one a pixel

using Grid = std::vector<std::string>;

struct Named {
  char letter;
  fw::Color color;
};
constexpr Named kColours[] = {
    {'W', 0xFFFFFF}, {'K', 0x000000}, {'R', 0xFF0000}, {'G', 0x00FF00},
    {'B', 0x0000FF}, {'Y', 0xFFFF00}, {'M', 0x808080},
};

fw::Color ColourOf(char letter) {
  for (const Named& n : kColours) {
    if (n.letter == letter) return n.color;
  }
  ADD_FAILURE() << "no colour " << letter;
  return 0;
}

int Distance(QRgb p, fw::Color c) {
  return std::max({std::abs(qRed(p) - fw::RedOf(c)), std::abs(qGreen(p) - fw::GreenOf(c)),
                   std::abs(qBlue(p) - fw::BlueOf(c))});
}

// The letter of a pixel's colour, '?' for any other colour.
char LetterOf(QRgb p) {
  for (const Named& n : kColours) {
    if (Distance(p, n.color) <= 2) return n.letter;
  }
  return '?';
}

Grid GridOf(const QImage& image) {
  Grid rows;
  for (int y = 0; y < image.height(); ++y) {
    std::string row;
    for (int x = 0; x < image.width(); ++x)
      row += LetterOf(image.pixel(x, y));
    rows.push_back(row);
  }
  return rows;
}

std::string Joined(const Grid& grid) {
  std::string out;
  for (const std::string& row : grid)
    out += "\n  " + row;
  return out;
}

// Whether the image shows the grid; a '.' in the grid takes any colour.
::testing::AssertionResult Shows(const QImage& image, const Grid& expected) {
  const Grid got = GridOf(image);
  bool same = got.size() == expected.size();
  for (std::size_t y = 0; same && y < got.size(); ++y) {
    same = got[y].size() == expected[y].size();
    for (std::size_t x = 0; same && x < got[y].size(); ++x)
      same = expected[y][x] == '.' || expected[y][x] == got[y][x];
  }
  if (same) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "shows" << Joined(got) << "\ninstead of" << Joined(expected);
}

void Paint(fw::Picture& picture, const Grid& grid) {
  fw::Graphics& g = picture.Graphics();
  for (int y = 0; y < int(grid.size()); ++y) {
    for (int x = 0; x < int(grid[std::size_t(y)].size()); ++x) {
      g.SetForeColor(ColourOf(grid[std::size_t(y)][std::size_t(x)]));
      g.FillRect(x, y, 1, 1);
    }
  }
}

// A picture of one colour throughout, filled whole as the glyphs are.
fw::PicturePtr Uniform(int width, int height, fw::Color c) {
  auto picture = std::make_shared<fw::Picture>(width, height, 32);
  picture->Graphics().SetForeColor(c);
  picture->Graphics().FillRect(0, 0, width, height);
  return picture;
}

// The grid as a picture: filled whole when it is of one colour, else pixel by pixel.
fw::PicturePtr Make(const Grid& grid) {
  const int width = int(grid[0].size());
  const int height = int(grid.size());
  const bool one = std::all_of(grid.begin(), grid.end(), [&](const std::string& row) {
    return row == std::string(row.size(), grid[0][0]);
  });
  if (one) return Uniform(width, height, ColourOf(grid[0][0]));
  auto picture = std::make_shared<fw::Picture>(width, height, 32);
  Paint(*picture, grid);
  return picture;
}

// ---- sizes

TEST(PictureSize, SidesOutsideOneTo32767AreRefused) {
  const struct {
    int width;
    int height;
  } cases[] = {
      {0, 1}, {1, 0}, {-1, 1}, {1, -1}, {32768, 1}, {1, 32768}, {0, 0}, {INT_MIN, INT_MAX},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    try {
      fw::Picture picture(c.width, c.height, 32);
      ADD_FAILURE() << "no error";
    } catch (const fw::Error& e) {
      EXPECT_EQ(e.Text(), kSizeError);
    }
  }
}

TEST(PictureSize, TheEdgesOfTheRangeAreAllowed) {
  const struct {
    int width;
    int height;
  } cases[] = {{1, 1}, {32767, 1}, {1, 32767}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    fw::Picture picture(c.width, c.height, 32);
    EXPECT_EQ(picture.Width(), c.width);
    EXPECT_EQ(picture.Height(), c.height);
    EXPECT_EQ(picture.Graphics().Width(), c.width);
    EXPECT_EQ(picture.Graphics().Height(), c.height);
    EXPECT_EQ(LetterOf(picture.Image().pixel(c.width - 1, c.height - 1)), 'W');
  }
}

TEST(Picture, ANewPictureIsWhiteWithoutAMask) {
  fw::Picture picture(5, 3, 32);
  EXPECT_TRUE(Shows(picture.Image(), {"WWWWW", "WWWWW", "WWWWW"}));
  EXPECT_EQ(picture.Mask(false), nullptr);
  EXPECT_EQ(&picture.Graphics(), &picture.Graphics()) << "one surface per picture";
  EXPECT_EQ(picture.Graphics().ForeColor(), fw::Color(0)) << "black";

  const fw::PicturePtr mask = picture.Mask(true);
  ASSERT_NE(mask, nullptr);
  EXPECT_EQ(picture.Mask(false), mask);
  EXPECT_EQ(picture.Mask(true), mask) << "made once";
  EXPECT_TRUE(Shows(mask->Image(), {"KKKKK", "KKKKK", "KKKKK"})) << "the picture shows whole";
  EXPECT_TRUE(Shows(picture.Image(), {"WWWWW", "WWWWW", "WWWWW"}));
}

TEST(Picture, AnImageTakenInReadsTransparencyAsWhite) {
  QImage image(3, 1, QImage::Format_ARGB32);
  image.setPixel(0, 0, qRgba(255, 0, 0, 255));
  image.setPixel(1, 0, qRgba(0, 0, 255, 0));
  image.setPixel(2, 0, qRgba(0, 0, 0, 128));
  const fw::Picture picture(image);
  EXPECT_TRUE(Shows(picture.Image(), {"RW."}));
  EXPECT_LE(Distance(picture.Image().pixel(2, 0), 0x7F7F7F), 2) << "half black over white";
  EXPECT_EQ(picture.Image().format(), QImage::Format_RGB32);
}

// ---- fills

TEST(Graphics, FillRectPaintsTheForeColourClippedAtTheSurface) {
  const struct {
    const char* what;
    int x, y, w, h;
    Grid expected;
  } cases[] = {
      {"inside", 1, 1, 2, 1, {"WWWW", "WRRW", "WWWW"}},
      {"whole", 0, 0, 4, 3, {"RRRR", "RRRR", "RRRR"}},
      {"over the top left", -2, -2, 3, 4, {"RWWW", "RWWW", "WWWW"}},
      {"over the bottom right", 3, 1, 5, 5, {"WWWW", "WWWR", "WWWR"}},
      {"larger on all sides", -5, -5, 20, 20, {"RRRR", "RRRR", "RRRR"}},
      {"beside the surface", 4, 0, 2, 3, {"WWWW", "WWWW", "WWWW"}},
      {"above the surface", 0, -3, 4, 3, {"WWWW", "WWWW", "WWWW"}},
      {"no width", 1, 1, 0, 1, {"WWWW", "WWWW", "WWWW"}},
      {"negative height", 1, 2, 1, -1, {"WWWW", "WWWW", "WWWW"}},
      {"reaching past the largest int", 2, 0, INT_MAX, 1, {"WWRR", "WWWW", "WWWW"}},
      {"from the smallest int", INT_MIN, 2, INT_MAX, 1, {"WWWW", "WWWW", "WWWW"}},
      {"far off", INT_MAX, INT_MAX, INT_MAX, INT_MAX, {"WWWW", "WWWW", "WWWW"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    // On a picture, and on a painter's surface of the same size.
    fw::Picture picture(4, 3, 32);
    picture.Graphics().SetForeColor(0xFF0000);
    EXPECT_EQ(picture.Graphics().ForeColor(), fw::Color(0xFF0000));
    picture.Graphics().FillRect(c.x, c.y, c.w, c.h);
    EXPECT_TRUE(Shows(picture.Image(), c.expected));

    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
      QPainter painter(&image);
      fw::Graphics g(painter, 4, 3);
      g.SetForeColor(0xFF0000);
      g.FillRect(c.x, c.y, c.w, c.h);
    }
    EXPECT_TRUE(Shows(image, c.expected)) << "painter";
  }
}

TEST(Graphics, AWholeFillCoversWhateverWasDrawnBefore) {
  const std::function<void(fw::Picture&)> drawings[] = {
      [](fw::Picture& p) {
        p.Graphics().SetForeColor(0x0000FF);
        p.Graphics().FillRect(1, 0, 1, 1);
      },
      [](fw::Picture& p) {
        const auto green = Uniform(1, 1, 0x00FF00);
        p.Graphics().DrawPicture(*green, 0, 1, 1, 1, 0, 0, 1, 1);
      },
      [](fw::Picture& p) {
        const auto green = Uniform(1, 1, 0x00FF00);
        green->Mask(true);
        p.Graphics().DrawPicture(*green, 0, 0, 3, 2, 0, 0, 1, 1);
      },
  };
  for (std::size_t i = 0; i < std::size(drawings); ++i) {
    SCOPED_TRACE(i);
    const auto picture = Uniform(3, 2, 0xFF0000);
    drawings[i](*picture);
    ASSERT_FALSE(Shows(picture->Image(), {"RRR", "RRR"}));
    picture->Graphics().SetForeColor(0xFF0000);
    picture->Graphics().FillRect(0, 0, 3, 2);
    EXPECT_TRUE(Shows(picture->Image(), {"RRR", "RRR"}));
  }
}

TEST(Graphics, FillRectOnAPictureLeavesItsMaskAlone) {
  const auto picture = Uniform(4, 2, 0xFF0000);
  const fw::PicturePtr mask = picture->Mask(true);
  Paint(*mask, {"KWMK", "WKKW"});
  const QImage before = mask->Image().copy();
  picture->Graphics().SetForeColor(0x00FF00);
  picture->Graphics().FillRect(0, 0, 4, 2);
  picture->Graphics().SetForeColor(0x0000FF);
  picture->Graphics().FillRect(1, 1, 2, 5);
  EXPECT_TRUE(Shows(picture->Image(), {"GGGG", "GBBG"}));
  EXPECT_EQ(picture->Mask(false), mask);
  EXPECT_EQ(mask->Image(), before);
}

// ---- drawing pictures

enum class Surface { kPicture, kPainter };

struct Area {
  int x, y, w, h;
};

// The surface after draw, on a picture or a painter's surface that starts as below.
QImage DrawnOn(Surface surface, const Grid& below, const std::function<void(fw::Graphics&)>& draw) {
  const auto picture = Make(below);
  if (surface == Surface::kPicture) {
    draw(picture->Graphics());
    return picture->Image().copy();
  }
  QImage image = picture->Image().copy();
  {
    QPainter painter(&image);
    fw::Graphics g(painter, image.width(), image.height());
    draw(g);
  }
  return image;
}

const Grid k4x3White = {"WWWW", "WWWW", "WWWW"};
const Grid k8x8Green(8, "GGGGGGGG");

TEST(DrawPicture, ScalesClipsAndGoesThroughTheMask) {
  const struct {
    const char* what;
    Grid picture;
    Grid mask;  // none when empty
    Grid below;
    Area dest;
    Area source;
    Grid expected;
  } cases[] = {
      {"copy", {"RG", "BY"}, {}, k4x3White, {1, 1, 2, 2}, {0, 0, 2, 2}, {"WWWW", "WRGW", "WBYW"}},
      {"clipped at the top left",
       {"RG", "BY"},
       {},
       k4x3White,
       {-1, -1, 2, 2},
       {0, 0, 2, 2},
       {"YWWW", "WWWW", "WWWW"}},
      {"clipped at the bottom right",
       {"RG", "BY"},
       {},
       k4x3White,
       {3, 2, 2, 2},
       {0, 0, 2, 2},
       {"WWWW", "WWWW", "WWWR"}},
      {"part of the source",
       {"RG", "BY"},
       {},
       k4x3White,
       {0, 0, 1, 2},
       {1, 0, 1, 2},
       {"GWWW", "YWWW", "WWWW"}},
      {"beside the surface", {"RG", "BY"}, {}, k4x3White, {4, 0, 2, 2}, {0, 0, 2, 2}, k4x3White},
      {"far off",
       {"RG", "BY"},
       {},
       k4x3White,
       {INT_MAX, INT_MAX, INT_MAX, 2},
       {0, 0, 2, 2},
       k4x3White},
      {"far off before",
       {"RG", "BY"},
       {},
       k4x3White,
       {INT_MIN, INT_MIN, 2, 2},
       {0, 0, 2, 2},
       k4x3White},
      {"no destination", {"RG", "BY"}, {}, k4x3White, {0, 0, 0, 2}, {0, 0, 2, 2}, k4x3White},
      {"no source", {"RG", "BY"}, {}, k4x3White, {0, 0, 2, 2}, {0, 0, 2, 0}, k4x3White},
      {"source beside the picture",
       {"RG", "BY"},
       {},
       k4x3White,
       {0, 0, 2, 2},
       {2, 0, 1, 1},
       k4x3White},
      {"enlarged",
       {"R"},
       {},
       {"WWWWW", "WWWWW", "WWWWW"},
       {1, 0, 3, 2},
       {0, 0, 1, 1},
       {"WRRRW", "WRRRW", "WWWWW"}},
      {"enlarged, two colours", {"RB"}, {}, {"WWWWWWWW"}, {0, 0, 8, 1}, {0, 0, 2, 1}, {"RR....BB"}},
      {"reduced", {"GGGG", "GGGG"}, {}, {"WWW", "WWW"}, {0, 0, 2, 1}, {0, 0, 4, 2}, {"GGW", "WWW"}},
      {"through the mask", {"RRR"}, {"KWK"}, {"GBG"}, {0, 0, 3, 1}, {0, 0, 3, 1}, {"RBR"}},
      {"through the mask, clipped",
       {"RG", "BY"},
       {"KW", "WK"},
       k4x3White,
       {-1, 1, 2, 2},
       {0, 0, 2, 2},
       {"WWWW", "WWWW", "YWWW"}},
      {"through a mask of many colours",
       {"RG", "BY"},
       {"WK", "KW"},
       {"KKKK", "KKKK"},
       {1, 0, 2, 2},
       {0, 0, 2, 2},
       {"KKGK", "KBKK"}},
      {"enlarged through the mask",
       {"RR", "RR"},
       {"KW", "WW"},
       k8x8Green,
       {0, 0, 8, 8},
       {0, 0, 2, 2},
       {"RRR.GGGG", "RRR.GGGG", "RRR.GGGG", "....GGGG", "GGGGGGGG", "GGGGGGGG", "GGGGGGGG",
        "GGGGGGGG"}},
      {"enlarged through the mask, clipped at the top left",
       {"RR", "RR"},
       {"WW", "WK"},
       k8x8Green,
       {-8, -8, 16, 16},
       {0, 0, 2, 2},
       // The corner of the mask is drawn round.
       {"........", "........", "..RRRRRR", ".RRRRRRR", ".RRRRRRR", ".RRRRRRR", ".RRRRRRR",
        ".RRRRRRR"}},
      {"enlarged through the mask, clipped at the bottom right",
       {"RR", "RR"},
       {"KW", "WW"},
       k8x8Green,
       {4, 4, 16, 16},
       {0, 0, 2, 2},
       {"GGGGGGGG", "GGGGGGGG", "GGGGGGGG", "GGGGGGGG", "GGGGRRRR", "GGGGRRRR", "GGGGRRRR",
        "GGGGRRRR"}},
      {"enlarged through the mask, part of the source",
       {"RRR", "RRR"},
       {"WWK", "WWK"},
       {"GGGG", "GGGG"},
       {0, 0, 4, 2},
       {1, 0, 2, 2},
       {"G..R", "G..R"}},
      {"reduced through the mask",
       {"RRRR", "RRRR", "RRRR", "RRRR"},
       {"KKWW", "KKWW", "KKWW", "KKWW"},
       {"GG", "GG"},
       {0, 0, 2, 2},
       {0, 0, 4, 4},
       {"RG", "RG"}},
      {"many colours enlarged through the mask",
       {"RG", "BY"},
       {"KW", "KK"},
       {"WWWW", "WWWW", "WWWW", "WWWW"},
       {0, 0, 4, 4},
       {0, 0, 2, 2},
       {"RRWW", "RR..", "BB..", "BBYY"}},
  };
  for (const Surface surface : {Surface::kPicture, Surface::kPainter}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.what) +
                   (surface == Surface::kPicture ? " on a picture" : " on a painter"));
      const auto source = Make(c.picture);
      if (!c.mask.empty()) Paint(*source->Mask(true), c.mask);
      const QImage sourceBefore = source->Image().copy();
      const QImage drawn = DrawnOn(surface, c.below, [&](fw::Graphics& g) {
        g.DrawPicture(*source, c.dest.x, c.dest.y, c.dest.w, c.dest.h, c.source.x, c.source.y,
                      c.source.w, c.source.h);
      });
      EXPECT_TRUE(Shows(drawn, c.expected));
      EXPECT_EQ(source->Image(), sourceBefore) << "the source stays as it was";
    }
  }
}

TEST(DrawPicture, AGreyMaskBlendsThePictureWithWhatLiesBelow) {
  for (const Surface surface : {Surface::kPicture, Surface::kPainter}) {
    for (const bool enlarged : {false, true}) {
      SCOPED_TRACE(testing::Message() << (surface == Surface::kPicture ? "picture" : "painter")
                                      << (enlarged ? ", enlarged" : ""));
      const auto source = Uniform(1, 1, 0xFF0000);
      Paint(*source->Mask(true), {"M"});
      const QImage drawn = DrawnOn(surface, {"GG", "GG"}, [&](fw::Graphics& g) {
        g.DrawPicture(*source, 0, 0, enlarged ? 2 : 1, enlarged ? 2 : 1, 0, 0, 1, 1);
      });
      const QRgb p = drawn.pixel(0, 0);
      EXPECT_NEAR(qRed(p), 127, 3);
      EXPECT_NEAR(qGreen(p), 128, 3);
      EXPECT_EQ(qBlue(p), 0);
    }
  }
}

// Drawing again after the source picture or its mask changed shows the change.
TEST(DrawPicture, ShowsTheSourceAsItIsNow) {
  for (const bool enlarged : {false, true}) {
    SCOPED_TRACE(enlarged ? "enlarged" : "same size");
    const int size = enlarged ? 4 : 2;
    const auto glyph = Uniform(2, 2, 0xFF0000);
    const fw::PicturePtr mask = glyph->Mask(true);
    Paint(*mask, {"KW", "KW"});
    const auto draw = [&] {
      const auto target = Uniform(size, size, 0x00FF00);
      target->Graphics().DrawPicture(*glyph, 0, 0, size, size, 0, 0, 2, 2);
      return GridOf(target->Image());
    };
    const Grid first = draw();
    EXPECT_EQ(first[0][0], 'R');
    EXPECT_EQ(first[0][std::size_t(size - 1)], 'G');

    glyph->Graphics().SetForeColor(0x0000FF);
    glyph->Graphics().FillRect(0, 0, 2, 2);
    const Grid recoloured = draw();
    EXPECT_EQ(recoloured[0][0], 'B') << "the new colour";
    EXPECT_EQ(recoloured[0][std::size_t(size - 1)], 'G');

    mask->Graphics().SetForeColor(0xFFFFFF);
    mask->Graphics().FillRect(0, 0, 1, 2);
    mask->Graphics().SetForeColor(0x000000);
    mask->Graphics().FillRect(1, 0, 1, 2);
    const Grid reshaped = draw();
    EXPECT_EQ(reshaped[0][0], 'G') << "the new shape";
    EXPECT_EQ(reshaped[0][std::size_t(size - 1)], 'B');
  }
}

// ---- saving

class PictureSaveTest : public QuenzTest {
 protected:
  QStringList Entries() const {
    return QDir(PathOf(QString()))
        .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
  }
  static fw::PicturePtr Noise(int width, int height) {
    return std::make_shared<fw::Picture>(NoiseImage(width, height));
  }
};

TEST_F(PictureSaveTest, EachFormatCodeWritesItsFormat) {
  // Blocks of colour, which a JPEG keeps well away from their edges.
  const auto picture = Uniform(48, 32, 0xFF0000);
  picture->Graphics().SetForeColor(0x0000FF);
  picture->Graphics().FillRect(24, 0, 24, 32);
  picture->Graphics().SetForeColor(0xFFFFFF);
  picture->Graphics().FillRect(0, 31, 1, 1);
  const struct {
    int code;
    const char* format;
    bool lossless;
  } cases[] = {
      {fw::Picture::kFormatTIFF, "tiff", true},
      {fw::Picture::kFormatPNG, "png", true},
      {fw::Picture::kFormatJPEG, "jpeg", false},
  };
  EXPECT_EQ(fw::Picture::kFormatTIFF, 403);
  EXPECT_EQ(fw::Picture::kFormatPNG, 150);
  EXPECT_EQ(fw::Picture::kFormatJPEG, 151);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format);
    // No suffix: the reader tells the format from the contents.
    const QString path = PathOf(QString::number(c.code));
    picture->Save(fw::FolderItem(path), c.code, -1);
    QImageReader reader(path);
    EXPECT_EQ(reader.format(), QByteArray(c.format));
    EXPECT_EQ(reader.size(), QSize(48, 32));
    const QImage read = reader.read().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(read.isNull()) << reader.errorString().toStdString();
    if (c.lossless) {
      EXPECT_EQ(read, picture->Image());
    } else {
      EXPECT_LE(Distance(read.pixel(8, 16), 0xFF0000), 24);
      EXPECT_LE(Distance(read.pixel(40, 16), 0x0000FF), 24);
    }
  }
  EXPECT_EQ(Entries().size(), 3);
}

TEST_F(PictureSaveTest, SavingOverAFileReplacesIt) {
  const QString path = PathOf(QStringLiteral("logo.png"));
  WriteBytes(path, "old contents");
  Uniform(3, 2, 0x0000FF)->Save(fw::FolderItem(path), fw::Picture::kFormatPNG, -1);
  const QImage read(path);
  EXPECT_EQ(read.size(), QSize(3, 2));
  EXPECT_TRUE(Shows(read, {"BBB", "BBB"}));
  EXPECT_EQ(Entries(), QStringList({QStringLiteral("logo.png")}));
}

TEST_F(PictureSaveTest, TheQualityReachesTheJpegWriter) {
  const auto picture = Noise(64, 64);
  const QString low = PathOf(QStringLiteral("low.jpg"));
  const QString high = PathOf(QStringLiteral("high.jpg"));
  picture->Save(fw::FolderItem(low), fw::Picture::kFormatJPEG, 5);
  picture->Save(fw::FolderItem(high), fw::Picture::kFormatJPEG, 100);
  EXPECT_LT(QFileInfo(low).size() * 2, QFileInfo(high).size());
}

TEST_F(PictureSaveTest, AnUnknownFormatIsAnErrorAndWritesNothing) {
  const auto picture = Uniform(2, 2, 0xFF0000);
  for (const int code : {0, -1, 1, 149, 152, 402, 404}) {
    SCOPED_TRACE(code);
    EXPECT_THROW(picture->Save(*ItemOf(QStringLiteral("out.png")), code, -1), fw::Error);
  }
  EXPECT_TRUE(Entries().isEmpty()) << Entries().join(u' ').toStdString();
}

TEST_F(PictureSaveTest, APlaceThatCannotBeWrittenIsAnErrorAndLeavesNoFile) {
  QDir(PathOf(QString())).mkdir(QStringLiteral("folder"));
  const auto picture = Uniform(2, 2, 0xFF0000);
  for (const char* name : {"missing/out.png", "folder"}) {
    SCOPED_TRACE(name);
    for (const int code :
         {fw::Picture::kFormatTIFF, fw::Picture::kFormatPNG, fw::Picture::kFormatJPEG}) {
      EXPECT_THROW(picture->Save(fw::FolderItem(PathOf(QString::fromLatin1(name))), code, -1),
                   fw::Error);
    }
  }
  EXPECT_EQ(Entries(), QStringList({QStringLiteral("folder")}));
  EXPECT_TRUE(QFileInfo(PathOf(QStringLiteral("folder"))).isDir());
  EXPECT_TRUE(QDir(PathOf(QStringLiteral("folder"))).isEmpty());
}

TEST_F(PictureSaveTest, AWriteThatFailsIsAnErrorAndKeepsTheOldFile) {
  const auto picture = Noise(200, 200);
  for (const int code :
       {fw::Picture::kFormatTIFF, fw::Picture::kFormatPNG, fw::Picture::kFormatJPEG}) {
    SCOPED_TRACE(code);
    const QString path = PathOf(QStringLiteral("logo"));
    WriteBytes(path, "old contents");
    {
      FileSizeLimit limit(4096);
      ASSERT_TRUE(limit.ok());
      EXPECT_THROW(picture->Save(fw::FolderItem(path), code, -1), fw::Error);
    }
    EXPECT_EQ(ReadBytes(path), "old contents");
    EXPECT_EQ(Entries(), QStringList({QStringLiteral("logo")}));
  }
}

TEST(Picture, TheThreeExportFormatsAreSupported) {
  const struct {
    const char* id;
    bool supported;
  } cases[] = {
      {"public.tiff", true}, {"public.png", true},     {"public.jpeg", true},
      {"public.gif", false}, {"public.jpg", false},    {"public.PNG", false},
      {"png", false},        {"com.adobe.pdf", false}, {"", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(fw::Picture::IsExportFormatSupported(QString::fromLatin1(c.id)), c.supported) << c.id;
}

// ---- pictures compiled into the program

TEST(Picture, TheGlyphSheetIsCompiledIn) {
  const fw::PicturePtr sheet = fw::Picture::OpenFromApp(QStringLiteral("QuenzPic"));
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->Width(), 276);
  EXPECT_EQ(sheet->Height(), 276);
  EXPECT_EQ(sheet->Mask(false), nullptr);
  EXPECT_EQ(sheet->Image(),
            QImage(QStringLiteral(":/pictures/QuenzPic")).convertToFormat(QImage::Format_RGB32));
  int dark = 0;
  int light = 0;
  for (int y = 0; y < sheet->Height(); ++y) {
    for (int x = 0; x < sheet->Width(); ++x) {
      const int grey = qGray(sheet->Image().pixel(x, y));
      dark += grey < 64;
      light += grey > 192;
    }
  }
  EXPECT_GT(dark, 276 * 276 / 20) << "the glyphs";
  EXPECT_GT(light, 276 * 276 / 4) << "the paper around them";

  EXPECT_EQ(fw::Picture::OpenFromApp(QStringLiteral("NoSuchPicture")), nullptr);
  EXPECT_EQ(fw::Picture::OpenFromApp(QString()), nullptr);
}

}  // namespace
