// The "出力" button: the picture of the export size, the save dialog of the chosen format and the
// file written, band by band, with the same pixels as a picture drawn whole; a size that cannot
// be made, a save that is stopped, a write that fails, and a window changed or closed while its
// export is written.
#include "support/FileSizeLimit.h"
#include "support/Fixtures.h"
#include "support/Heap.h"
#include "support/Images.h"

#include "base/FolderItem.h"
#include "editor/Module1.h"
#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "framework/WindowList.h"
#include "imaging/Picture.h"

#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QPoint>
#include <QTest>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace {

constexpr int kCell = Module1::kGlyphCell;

// A point in the middle of a glyph's cell whose neighbourhood on the sheet is all dark (or all
// light): it stays so when the glyph is scaled up.
std::optional<QPoint> CellPoint(int glyph, bool dark) {
  const QImage sheet = Module1::QuenzPic()->Image().convertToFormat(QImage::Format_RGB32);
  const int x0 = (glyph % Module1::kGlyphColumns) * kCell;
  const int y0 = (glyph / Module1::kGlyphColumns) * kCell;
  constexpr int r = 3;
  for (int cy = r; cy < kCell - r; ++cy) {
    for (int cx = r; cx < kCell - r; ++cx) {
      bool all = true;
      for (int dy = -r; dy <= r && all; ++dy) {
        for (int dx = -r; dx <= r && all; ++dx) {
          const int grey = qGray(sheet.pixel(x0 + cx + dx, y0 + cy + dy));
          all = dark ? grey < 40 : grey > 215;
        }
      }
      if (all) return QPoint(cx, cy);
    }
  }
  return std::nullopt;
}

// Where a point of a glyph's cell lands when the glyph is drawn size pixels high at x.
QPoint Scaled(QPoint cellPoint, int x, int size) {
  return QPoint(x + int((cellPoint.x() + 0.5) * size / kCell),
                int((cellPoint.y() + 0.5) * size / kCell));
}

int ChannelDistance(QRgb a, QRgb b) {
  return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                   std::abs(qBlue(a) - qBlue(b))});
}

fw::Color ColorOf(QRgb p) {
  return fw::RGB(qRed(p), qGreen(p), qBlue(p));
}

struct Format {
  int row;
  const char* typeName;
  const char* defaultName;
  const char* file;
};
constexpr Format kTiff{0, "TIFFTYPE", "Untitled.TIF", "logo.TIF"};
constexpr Format kPng{1, "PNGTYPE", "Untitled.PNG", "logo.PNG"};
constexpr Format kJpeg{2, "JPEGTYPE", "Untitled.JPG", "logo.JPG"};

class ExportTest : public QuenzTest {
 protected:
  void SetUp() override {
    QuenzTest::SetUp();
    w = Shown();
  }

  void PressExport() { QTest::mouseClick(&w->PushButton1().Widget(), Qt::LeftButton); }

  // Exports the logo as PNG to name and reads the file back.
  QImage ExportPng(const QString& name) {
    w->ExpTypPM().SetListIndex(1);
    Script().ExpectSave(QStringLiteral("PNGTYPE"), QStringLiteral("Untitled.PNG"), PathOf(name));
    PressExport();
    return QImage(PathOf(name)).convertToFormat(QImage::Format_RGB32);
  }

  // Presses the button with the format chosen and its save dialog answered with path; a
  // failure's message box, when one is expected, contains failure.
  void Export(const Format& f, const QString& path, const QString& failure = QString()) {
    w->ExpTypPM().SetListIndex(f.row);
    Script().ExpectSave(QString::fromLatin1(f.typeName), QString::fromLatin1(f.defaultName), path);
    if (!failure.isEmpty()) Script().ExpectMessage(failure, fw::MessageButton::Action);
    PressExport();
  }

  // The logo as a picture drawn whole, as the export drew it before it went in bands.
  QImage WholeRender() const {
    fw::Picture picture(w->mExpW, w->mExpH, 32);
    w->MakeQuenzLogo(picture.Graphics(), w->mExpH, w->mExpZ);
    return picture.Image();
  }

  // A logo whose glyphs overlap and of which the first stands partly left of the picture, in
  // colours of their own.
  void OverlappingLogo() {
    w->LogoTF().SetText(QStringLiteral("Q8ZQW1"));
    const std::int32_t positions[] = {0, -60, 30, 75, 90, 300, 390};
    const fw::Color colours[] = {0, 0xD02030, 0x101010, 0x2040E0, 0x20A040, 0xE0A000, 0x800080};
    for (int n = 1; n <= w->UBoundLogo(); ++n) {
      w->mLogo[std::size_t(n)]->mPos = positions[n];
      w->mLogo[std::size_t(n)]->mColor = colours[n];
    }
    w->BKColorRT().SetFillColor(0xF4F0E8);
  }

  QString Reason(int error) const { return QString::fromLocal8Bit(std::strerror(error)); }

  QStringList FilesInTempDir() const {
    return QDir(PathOf(QString()))
        .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden);
  }

  std::shared_ptr<QuenzWin> w;
};

TEST_F(ExportTest, EachFormatOffersItsTypeAndNameAndWritesThatFormat) {
  const struct {
    int row;
    const char* typeName;
    const char* defaultName;
    const char* file;
    const char* format;
  } cases[] = {
      {0, "TIFFTYPE", "Untitled.TIF", "logo.TIF", "tiff"},
      {1, "PNGTYPE", "Untitled.PNG", "logo.PNG", "png"},
      {2, "JPEGTYPE", "Untitled.JPG", "logo.JPG", "jpeg"},
  };
  ASSERT_EQ(w->ExpTypPM().ListIndex(), 1) << "PNG is the format of a new window";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typeName);
    w->ExpTypPM().SetListIndex(c.row);
    const QString path = PathOf(QString::fromLatin1(c.file));
    Script().ExpectSave(QString::fromLatin1(c.typeName), QString::fromLatin1(c.defaultName), path);
    PressExport();
    EXPECT_TRUE(Script().Done());

    QImageReader reader(path);
    EXPECT_EQ(reader.format(), QByteArray(c.format));
    const QImage image = reader.read().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(image.isNull()) << reader.errorString().toStdString();
    EXPECT_EQ(image.size(), QSize(1339, 309));

    // The corner left of the T's stem is background; the middle of the T's bar and of the E
    // (the last glyph, at x 460 * 309 / 138) are black. JPEG may stray a little.
    const int tolerance = c.row == 2 ? 40 : 0;
    EXPECT_LE(ChannelDistance(image.pixel(0, 308), qRgb(255, 255, 255)), tolerance);
    const auto t = CellPoint(19, true);
    const auto e = CellPoint(4, true);
    ASSERT_TRUE(t && e);
    EXPECT_LE(ChannelDistance(image.pixel(Scaled(*t, 0, 309)), qRgb(0, 0, 0)), tolerance);
    EXPECT_LE(ChannelDistance(image.pixel(Scaled(*e, 1030, 309)), qRgb(0, 0, 0)), tolerance);
  }
}

// A name typed with one format's extension gets that format's bytes, whatever the popup shows;
// any other name gets the popup's format. The popup keeps its row.
TEST_F(ExportTest, ANameWithAFormatsExtensionIsWrittenInThatFormat) {
  const struct {
    const Format& chosen;
    const char* file;
    const char* magic;
  } cases[] = {
      {kTiff, "logo.PNG", "\x89PNG"},
      {kTiff, "logo.png", "\x89PNG"},
      {kPng, "logo.JPG", "\xFF\xD8\xFF"},
      {kPng, "logo.jpeg", "\xFF\xD8\xFF"},
      {kJpeg, "logo.TIFF", "II*"},
      {kJpeg, "logo.Tif", "II*"},
      {kPng, "logo.TIF", "II*"},
      {kPng, "logo.bmp", "\x89PNG"},
      {kTiff, "logo", "II*"},
      {kJpeg, "logo.PNG.txt", "\xFF\xD8\xFF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.chosen.typeName) + " chosen, " + c.file);
    Script().Reset();
    const QString path = PathOf(QString::fromLatin1(c.file));
    Export(c.chosen, path);
    EXPECT_TRUE(Script().Done());
    EXPECT_TRUE(Script().messages.empty());
    EXPECT_TRUE(ReadBytes(path).startsWith(c.magic));
    EXPECT_EQ(QImage(path).size(), QSize(1339, 309));
    EXPECT_EQ(w->ExpTypPM().ListIndex(), c.chosen.row);
    EXPECT_FALSE(w->mDuty);
    EXPECT_FALSE(w->mFile.item);
    QFile::remove(path);
  }
}

TEST_F(ExportTest, DrawsTheBackgroundAndCharacterColours) {
  const fw::Color background = fw::RGB(10, 200, 30);
  Script().ExpectColor(QStringLiteral("背景色を選んで下さい"), background);
  QTest::mouseClick(&w->BKColorRT().Widget(), Qt::LeftButton);
  w->MojimePM().SetListIndex(0);
  Script().ExpectColor(QStringLiteral("文字の色を選んで下さい"), fw::RGB(200, 0, 100));
  QTest::mouseClick(&w->FGColorRT().Widget(), Qt::LeftButton);

  const QImage image = ExportPng(QStringLiteral("colours.PNG"));
  ASSERT_EQ(image.size(), QSize(1339, 309));
  EXPECT_EQ(ColorOf(image.pixel(0, 308)), background);
  EXPECT_EQ(ColorOf(image.pixel(1338, 0)), background);
  const auto t = CellPoint(19, true);
  const auto a = CellPoint(0, true);  // the second character, A, keeps black
  ASSERT_TRUE(t && a);
  EXPECT_EQ(ColorOf(image.pixel(Scaled(*t, 0, 309))), fw::RGB(200, 0, 100));
  EXPECT_EQ(ColorOf(image.pixel(Scaled(*a, 206, 309))), fw::RGB(0, 0, 0));
}

TEST_F(ExportTest, AtHeight138TheExportIsThePreview) {
  w->ExpCB().SetText(QStringLiteral("138"));
  ASSERT_EQ(w->mExpW, 598);
  ASSERT_EQ(w->mExpH, 138);
  const QImage exported = ExportPng(QStringLiteral("preview.PNG"));
  ASSERT_EQ(exported.size(), QSize(598, 138));
  const QImage preview = PreviewImage(*w);
  ASSERT_EQ(preview.height(), 138);

  const int width = std::min(exported.width(), preview.width());
  ASSERT_GT(width, 500);
  int differing = 0;
  for (int y = 0; y < 138; ++y) {
    for (int x = 0; x < width; ++x)
      differing += ChannelDistance(exported.pixel(x, y), preview.pixel(x, y)) > 48;
  }
  // Only the odd pixel at a glyph's edge may be shaded differently.
  EXPECT_LE(differing, width * 138 / 200) << differing << " pixels differ";

  // T A V U R E, each at its default place.
  const int glyphs[] = {19, 0, 21, 20, 17, 4};
  for (int n = 0; n < 6; ++n) {
    const int glyph = glyphs[n];
    const auto p = CellPoint(glyph, true);
    ASSERT_TRUE(p);
    const QPoint at = Scaled(*p, n * 92, 138);
    if (at.x() >= width) continue;
    EXPECT_EQ(ColorOf(exported.pixel(at)), fw::RGB(0, 0, 0)) << "glyph " << glyph;
    EXPECT_EQ(ColorOf(preview.pixel(at)), fw::RGB(0, 0, 0)) << "glyph " << glyph;
  }
}

TEST_F(ExportTest, AnEmptiedLogoExportsTheLastSizeInBackgroundOnly) {
  w->BKColorRT().SetFillColor(fw::RGB(1, 2, 250));
  w->LogoTF().SetText(QString());
  ASSERT_EQ(w->UBoundLogo(), 0);
  const QImage image = ExportPng(QStringLiteral("empty.PNG"));
  ASSERT_EQ(image.size(), QSize(1339, 309));
  int other = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x)
      other += image.pixel(x, y) != qRgb(1, 2, 250);
  }
  EXPECT_EQ(other, 0);
}

TEST_F(ExportTest, CancellingTheDialogWritesNothingAndChangesNothing) {
  // A window with a document and unsaved changes, so that every mark has something to lose.
  Script().ExpectSave(QStringLiteral("TextType"), QStringLiteral("TAVURE.TXT"),
                      PathOf(QStringLiteral("doc.TXT")));
  fw::ChooseMenuItem(QStringLiteral("FileSave"), w.get());
  QTest::mouseClick(&w->PosBB(1).Widget(), Qt::LeftButton);
  ASSERT_TRUE(w->mDuty);
  const bool noChange = w->mNoChange;
  const QString title = w->Title();
  const fw::FolderItemPtr file = w->mFile.item;
  const QStringList before = FilesInTempDir();

  for (int row = 0; row < 3; ++row) {
    w->ExpTypPM().SetListIndex(row);
    const char* types[] = {"TIFFTYPE", "PNGTYPE", "JPEGTYPE"};
    const char* names[] = {"Untitled.TIF", "Untitled.PNG", "Untitled.JPG"};
    Script().ExpectSave(QString::fromLatin1(types[row]), QString::fromLatin1(names[row]),
                        QString());
    PressExport();
  }
  EXPECT_TRUE(Script().Done());
  EXPECT_EQ(FilesInTempDir(), before);
  EXPECT_TRUE(w->mDuty);
  EXPECT_EQ(w->mNoChange, noChange);
  EXPECT_EQ(w->mFile.item, file);
  EXPECT_EQ(w->Title(), title);
  EXPECT_TRUE(Script().messages.empty());
}

TEST_F(ExportTest, ASuccessfulExportChangesNothingInTheWindow) {
  ASSERT_FALSE(w->mDuty);
  const QString title = w->Title();
  ExportPng(QStringLiteral("a.PNG"));
  EXPECT_FALSE(w->mDuty);
  EXPECT_FALSE(w->mFile.item) << "the exported file is not the window's document";
  EXPECT_EQ(w->Title(), title);
}

TEST_F(ExportTest, ASizeThatCannotBeMadeIsExplainedBeforeAnyDialog) {
  const struct {
    const char* what;
    const char* height;
    std::int32_t lastPos;  // INT32_MIN: the default place
    const char* size;      // as the message names it
    const char* advice;
  } cases[] = {
      {"empty height", "", INT32_MIN, "of 0 × 0 pixels", "an export height of 1 or more"},
      {"letters", "abc", INT32_MIN, "of 0 × 0 pixels", "an export height of 1 or more"},
      {"height 0", "0", INT32_MIN, "of 0 × 0 pixels", "an export height of 1 or more"},
      {"negative height", "-46", INT32_MIN, "of -199 × -46 pixels",
       "an export height of 1 or more"},
      {"height above 32767", "40000", INT32_MIN, "of 173333 × 40000 pixels", "a smaller height"},
      {"width above 32767", "9000", INT32_MIN, "of 39000 × 9000 pixels", "a smaller height"},
      {"last character far left", "309", -200, "of -138 × 309 pixels",
       "last character to the right"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    w->LogoTF().SetText(QString());  // fresh characters at their default places
    w->LogoTF().SetText(QStringLiteral("TAVURE"));
    w->ExpCB().SetText(QString::fromUtf8(c.height));
    if (c.lastPos != INT32_MIN) {
      w->mLogo[std::size_t(w->UBoundLogo())]->mPos = c.lastPos;
      w->SetExpSize();
    }
    Script().Reset();
    Script().ExpectMessage(QString::fromUtf8(c.size), fw::MessageButton::Action);
    PressExport();
    EXPECT_TRUE(Script().Done());
    ASSERT_EQ(Script().messages.size(), 1u);
    const fw::MessageRequest& m = Script().messages[0];
    EXPECT_TRUE(m.message.contains(QStringLiteral("cannot be exported")))
        << m.message.toStdString();
    EXPECT_TRUE(m.explanation.contains(QStringLiteral("from 1 to 32767 pixels")));
    EXPECT_TRUE(m.explanation.contains(QString::fromUtf8(c.advice))) << m.explanation.toStdString();
    EXPECT_EQ(Script().dialogsShown, 1) << "no save dialog may come";
    EXPECT_TRUE(Script().progress.labels.empty());
    EXPECT_TRUE(FilesInTempDir().isEmpty());
  }
  // The program goes on: a valid size exports again.
  w->LogoTF().SetText(QString());
  w->LogoTF().SetText(QStringLiteral("TAVURE"));
  w->ExpCB().SetText(QStringLiteral("46"));
  Script().Reset();
  EXPECT_EQ(ExportPng(QStringLiteral("after.PNG")).height(), 46);
}

TEST_F(ExportTest, TheFileHasThePixelsOfTheLogoDrawnWhole) {
  OverlappingLogo();
  for (const char* height : {"46", "309", "1000"}) {
    w->ExpCB().SetText(QString::fromLatin1(height));
    const QImage whole = WholeRender();
    for (const Format& f : {kPng, kTiff}) {
      SCOPED_TRACE(std::string(height) + " " + f.typeName);
      const QString path = PathOf(QString::fromLatin1(height) + QString::fromLatin1(f.file));
      Export(f, path);
      const QImage read = QImage(path).convertToFormat(QImage::Format_RGB32);
      ASSERT_EQ(read.size(), QSize(w->mExpW, w->mExpH));
      EXPECT_TRUE(read == whole) << FirstDifference(read, whole);
    }
  }
  EXPECT_GT(Script().progress.steps, 1) << "the tallest export went in several bands";
}

TEST_F(ExportTest, StoppingALongExportWritesNothingAndKeepsTheOldFile) {
  w->ExpCB().SetText(QStringLiteral("1000"));
  for (const Format& f : {kTiff, kPng, kJpeg}) {
    SCOPED_TRACE(f.typeName);
    const QString path = PathOf(QString::fromLatin1(f.file));
    WriteBytes(path, "old contents");
    Script().Reset();
    Script().progress.stopAt = 2;
    Export(f, path);
    EXPECT_EQ(Script().progress.stepsSeen, 2) << "the save stopped at once";
    EXPECT_GT(Script().progress.steps, 2);
    EXPECT_EQ(ReadBytes(path), "old contents");
    EXPECT_TRUE(Script().messages.empty()) << "stopping is no failure";
    EXPECT_EQ(FilesInTempDir().size(), 1) << FilesInTempDir().join(u' ').toStdString();
    QFile::remove(path);
  }
  // The program goes on.
  Script().Reset();
  EXPECT_EQ(ExportPng(QStringLiteral("after.PNG")).height(), 1000);
}

TEST_F(ExportTest, AFailedWriteTellsTheSystemsReasonAndKeepsTheOldFile) {
  for (const Format& f : {kTiff, kPng, kJpeg}) {
    SCOPED_TRACE(f.typeName);
    const QString path = PathOf(QString::fromLatin1(f.file));
    WriteBytes(path, "old contents");
    Script().Reset();
    {
      FileSizeLimit limit(4096);  // a write past it fails as on a full disk
      ASSERT_TRUE(limit.ok());
      Export(f, path, QStringLiteral("“%1” could not be saved").arg(QString::fromLatin1(f.file)));
    }
    ASSERT_EQ(Script().messages.size(), 1u);
    EXPECT_TRUE(Script().messages[0].message.endsWith(Reason(EFBIG)))
        << Script().messages[0].message.toStdString();
    EXPECT_EQ(ReadBytes(path), "old contents");
    EXPECT_EQ(FilesInTempDir(), QStringList{QString::fromLatin1(f.file)}) << "no temporary";
    QFile::remove(path);
  }
}

TEST_F(ExportTest, AFailedExportGivesBackItsMemory) {
  w->ExpCB().SetText(QStringLiteral("1000"));
  const QString path = PathOf(QStringLiteral("logo"));
  const auto failedExport = [&](const Format& f) {
    Script().Reset();
    FileSizeLimit limit(100000);
    Export(f, path, QStringLiteral("could not be saved"));
  };
  for (const Format& f : {kTiff, kPng, kJpeg}) {
    SCOPED_TRACE(f.typeName);
    failedExport(f);  // what is made once for good is made now
    const std::size_t before = LiveHeapBytes();
    failedExport(f);
    EXPECT_LE(LiveHeapBytes(), before + 64 * 1024) << "of a band of " << w->mExpW * 4 << " x rows";
  }
}

TEST_F(ExportTest, TheWindowRepaintsAndMayChangeWhileItsExportIsWritten) {
  OverlappingLogo();
  w->ExpCB().SetText(QStringLiteral("1000"));
  const QImage atThePress = WholeRender();
  int paints = 0;
  fw::Canvas& canvas = w->fcv();
  struct PaintCounter : QObject {
    int& count;
    explicit PaintCounter(int& c) : count(c) {}
    bool eventFilter(QObject*, QEvent* e) override {
      count += e->type() == QEvent::Paint;
      return false;
    }
  } counter(paints);
  canvas.Widget().installEventFilter(&counter);
  int paintsAtStep2 = -1;
  Script().progress.onStep = [&](int done) {
    if (done == 1) {
      // What the user may do to the window while the save runs: the glyphs are recoloured and
      // the logo changed, and the preview repaints.
      w->LogoTF().SetText(QStringLiteral("ABC"));
      w->BKColorRT().SetFillColor(0x000000);
      canvas.Refresh(true);
    }
    if (done == 2) paintsAtStep2 = paints;
  };
  const QString path = PathOf(QStringLiteral("logo.PNG"));
  Export(kPng, path);
  canvas.Widget().removeEventFilter(&counter);
  EXPECT_GT(paintsAtStep2, 0) << "the preview repainted between two bands";
  const QImage read = QImage(path).convertToFormat(QImage::Format_RGB32);
  EXPECT_TRUE(read == atThePress) << FirstDifference(read, atThePress);
}

TEST_F(ExportTest, AWindowClosedWhileItsExportIsWrittenStillWritesTheFile) {
  w->ExpCB().SetText(QStringLiteral("1000"));
  const QImage atThePress = WholeRender();
  Script().progress.onStep = [&](int done) {
    if (done != 1) return;
    w->Close();  // as from its close box; nothing else holds the window then
    w.reset();
  };
  const QString path = PathOf(QStringLiteral("logo.PNG"));
  fw::PushButton& button = w->PushButton1();
  w->ExpTypPM().SetListIndex(kPng.row);
  Script().ExpectSave(QString::fromLatin1(kPng.typeName), QString::fromLatin1(kPng.defaultName),
                      path);
  QTest::mouseClick(&button.Widget(), Qt::LeftButton);
  Flush();
  EXPECT_TRUE(fw::OpenWindows().empty());
  const QImage read = QImage(path).convertToFormat(QImage::Format_RGB32);
  EXPECT_TRUE(read == atThePress) << FirstDifference(read, atThePress);
}

TEST_F(ExportTest, AFailedWriteIsReportedAndLeavesNoFile) {
  // A folder that does not exist, and a name taken by a folder.
  ASSERT_TRUE(QDir(PathOf(QString())).mkdir(QStringLiteral("adir")));
  const QString targets[] = {PathOf(QStringLiteral("missing/logo.PNG")),
                             PathOf(QStringLiteral("adir"))};
  for (const QString& target : targets) {
    SCOPED_TRACE(target.toStdString());
    Script().Reset();
    Script().ExpectSave(QStringLiteral("PNGTYPE"), QStringLiteral("Untitled.PNG"), target);
    Script().ExpectMessage(QStringLiteral("could not be saved"), fw::MessageButton::Action);
    PressExport();
    EXPECT_TRUE(Script().Done());
    ASSERT_EQ(Script().messages.size(), 1u);
    EXPECT_EQ(Script().messages[0].icon, 2);
    EXPECT_EQ(FilesInTempDir(), QStringList{QStringLiteral("adir")}) << "no file, no temporary";
    EXPECT_TRUE(QDir(PathOf(QStringLiteral("adir")))
                    .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden)
                    .isEmpty());
  }
  EXPECT_FALSE(w->mDuty);
}

}  // namespace
