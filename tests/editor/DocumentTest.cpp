// The logo document through the window: what a save writes of the window's logo, what a read
// puts into its controls, and the File > Save and Save As commands around them. The format on its
// own is tested in LogoDocumentTest.cpp.
#include "support/Fixtures.h"

#include "base/FolderItem.h"
#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "framework/Guard.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QMetaObject>
#include <QTest>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <new>

namespace {

const QString kText = QStringLiteral("TextType");

struct Char {
  std::int32_t chr;
  fw::Color color;
  std::int32_t pos;
};

class DocumentTest : public QuenzTest {
 protected:
  void SetUp() override {
    QuenzTest::SetUp();
    w = Shown();
  }

  // A character's colour through the colour picker, as the user chooses it.
  void ChooseCharColor(QuenzWin& window, int row, fw::Color c) {
    window.MojimePM().SetListIndex(row);
    Script().ExpectColor(QStringLiteral("文字の色を選んで下さい"), c);
    QTest::mouseClick(&window.FGColorRT().Widget(), Qt::LeftButton);
  }
  void ChooseBackground(QuenzWin& window, fw::Color c) {
    Script().ExpectColor(QStringLiteral("背景色を選んで下さい"), c);
    QTest::mouseClick(&window.BKColorRT().Widget(), Qt::LeftButton);
  }
  // PosBB 0 to 3: -1, +1, -10, +10.
  void Step(QuenzWin& window, int row, int button) {
    window.MojimePM().SetListIndex(row);
    QTest::mouseClick(&window.PosBB(button).Widget(), Qt::LeftButton);
  }

  // Writes the bytes to a file and reads it into the window.
  void Read(QuenzWin& window, const QString& name, const QByteArray& bytes) {
    WriteBytes(PathOf(name), bytes);
    window.OpenData(ItemOf(name));
  }

  static std::vector<Char> Chars(const QuenzWin& window) {
    std::vector<Char> out;
    for (int n = 1; n <= window.UBoundLogo(); ++n) {
      const LogoInfo& r = *window.mLogo[std::size_t(n)];
      out.push_back({r.mChr, r.mColor, r.mPos});
    }
    return out;
  }

  static void ExpectChars(const QuenzWin& window, const std::vector<Char>& expected) {
    const std::vector<Char> got = Chars(window);
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].chr, expected[i].chr) << "character " << i + 1;
      EXPECT_EQ(got[i].color, expected[i].color) << "character " << i + 1;
      EXPECT_EQ(got[i].pos, expected[i].pos) << "character " << i + 1;
    }
  }

  QStringList Entries(const QString& folder = QString()) const {
    return QDir(PathOf(folder)).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden);
  }

  std::shared_ptr<QuenzWin> w;
};

constexpr fw::Color kWhite = 0xFFFFFF;

// ---- the writer

TEST_F(DocumentTest, TheExampleWindowIsWrittenByteForByte) {
  w->LogoTF().SetText(QStringLiteral("Go 2"));
  ChooseCharColor(*w, 0, fw::RGB(255, 0, 0));
  ChooseCharColor(*w, 1, fw::RGB(0, 0, 255));
  Step(*w, 1, 3);
  ASSERT_TRUE(w->mDuty);

  const QString path = PathOf(QStringLiteral("Go 2.TXT"));
  Script().ExpectSave(kText, QStringLiteral("Go 2.TXT"), path);
  fw::ChooseMenuItem(QStringLiteral("FileSave"), w.get());
  EXPECT_TRUE(Script().Done());
  EXPECT_EQ(ReadBytes(path), QByteArray("Go 2\n255:255:255\n6,255:0:0,0\n28,0:0:255,102\n"));
  ASSERT_TRUE(w->mFile.item);
  EXPECT_EQ(w->mFile.item->Path(), path);
  EXPECT_EQ(w->Title(), QStringLiteral("Go 2.TXT"));
  EXPECT_FALSE(w->mDuty);
  EXPECT_EQ(Entries(), QStringList{QStringLiteral("Go 2.TXT")}) << "no temporary file is left";
}

TEST_F(DocumentTest, SpecialLogosAreWrittenAsTheyAre) {
  const struct {
    const char* text;
    int moves;  // steps of -10 on the first character
    const char* bytes;
  } cases[] = {
      {"abc", 0, "abc\n255:255:255\n"},  // no kept character: two lines
      {"", 0, "\n255:255:255\n"},
      {"A", 1, "A\n255:255:255\n0,0:0:0,-10\n"},
      {"A,b", 0, "A,b\n255:255:255\n0,0:0:0,0\n"},
      {"日本9", 0, "日本9\n255:255:255\n35,0:0:0,0\n"},
  };
  int i = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    auto window = Shown();
    window->LogoTF().SetText(QString::fromUtf8(c.text));
    for (int m = 0; m < c.moves; ++m)
      Step(*window, 0, 2);
    const QString path = PathOf(QStringLiteral("case%1.TXT").arg(i++));
    window->SaveData(std::make_shared<fw::FolderItem>(path));
    EXPECT_EQ(ReadBytes(path), QByteArray(c.bytes));
  }
}

TEST_F(DocumentTest, SaveWithAFileWritesWithoutADialog) {
  const QString path = PathOf(QStringLiteral("doc.TXT"));
  Script().ExpectSave(kText, QStringLiteral("TAVURE.TXT"), path);
  fw::ChooseMenuItem(QStringLiteral("FileSave"), w.get());
  ASSERT_TRUE(Script().Done());

  ChooseBackground(*w, fw::RGB(1, 2, 3));
  ASSERT_TRUE(w->mDuty);
  const int before = Script().dialogsShown;
  fw::ChooseMenuItem(QStringLiteral("FileSave"), w.get());
  EXPECT_EQ(Script().dialogsShown, before) << "no dialog";
  EXPECT_TRUE(ReadBytes(path).startsWith("TAVURE\n1:2:3\n"));
  EXPECT_FALSE(w->mDuty);
  EXPECT_EQ(w->Title(), QStringLiteral("doc.TXT"));
}

TEST_F(DocumentTest, SaveAsAlwaysAsksAndOffersTheLogoTextsName) {
  const QString first = PathOf(QStringLiteral("first.TXT"));
  const QString second = PathOf(QStringLiteral("second.TXT"));
  Script().ExpectSave(kText, QStringLiteral("TAVURE.TXT"), first);
  fw::ChooseMenuItem(QStringLiteral("FileSaveAs"), w.get());
  ASSERT_TRUE(Script().Done());
  const QByteArray firstBytes = ReadBytes(first);

  w->LogoTF().SetText(QStringLiteral("NEW"));
  Script().ExpectSave(kText, QStringLiteral("NEW.TXT"), second);
  w->MenuAction(QStringLiteral("FileSaveAs"))->trigger();
  EXPECT_TRUE(Script().Done());
  EXPECT_EQ(ReadBytes(first), firstBytes);
  EXPECT_TRUE(ReadBytes(second).startsWith("NEW\n"));
  EXPECT_EQ(w->mFile.item->Path(), second);
  EXPECT_EQ(w->Title(), QStringLiteral("second.TXT"));
}

TEST_F(DocumentTest, ACancelledSaveDialogChangesNothing) {
  // Without a file, and with one through Save As.
  ChooseBackground(*w, fw::RGB(9, 9, 9));
  Script().ExpectSave(kText, QStringLiteral("TAVURE.TXT"), QString());
  fw::ChooseMenuItem(QStringLiteral("FileSave"), w.get());
  EXPECT_TRUE(w->mDuty);
  EXPECT_FALSE(w->mFile.item);
  EXPECT_EQ(w->Title(), QStringLiteral("Quenz Logo Maker"));
  EXPECT_TRUE(Entries().isEmpty());

  const QString path = PathOf(QStringLiteral("doc.TXT"));
  Script().ExpectSave(kText, QStringLiteral("TAVURE.TXT"), path);
  fw::ChooseMenuItem(QStringLiteral("FileSave"), w.get());
  ChooseBackground(*w, fw::RGB(8, 8, 8));
  const QByteArray saved = ReadBytes(path);
  Script().ExpectSave(kText, QStringLiteral("TAVURE.TXT"), QString());
  fw::ChooseMenuItem(QStringLiteral("FileSaveAs"), w.get());
  EXPECT_TRUE(Script().Done());
  EXPECT_TRUE(w->mDuty);
  EXPECT_EQ(w->mFile.item->Path(), path);
  EXPECT_EQ(w->Title(), QStringLiteral("doc.TXT"));
  EXPECT_EQ(ReadBytes(path), saved);
  EXPECT_TRUE(Script().messages.empty());
}

// ---- failed writes keep the old document

class FailedSaveTest : public DocumentTest {
 protected:
  // Saves the window to folder/doc.TXT and then makes an unsaved change.
  void SaveThenChange(const QString& folder) {
    path = PathOf(folder + QStringLiteral("doc.TXT"));
    Script().ExpectSave(kText, QStringLiteral("TAVURE.TXT"), path);
    fw::ChooseMenuItem(QStringLiteral("FileSave"), w.get());
    ASSERT_TRUE(Script().Done());
    saved = ReadBytes(path);
    ASSERT_FALSE(saved.isEmpty());
    ChooseBackground(*w, fw::RGB(7, 7, 7));
    ASSERT_TRUE(w->mDuty);
  }

  void ExpectUnchanged() {
    ASSERT_EQ(Script().messages.size(), 1u);
    EXPECT_EQ(Script().messages[0].icon, 2);
    EXPECT_EQ(ReadBytes(path), saved);
    ASSERT_TRUE(w->mFile.item);
    EXPECT_EQ(w->mFile.item->Path(), path);
    EXPECT_EQ(w->Title(), QStringLiteral("doc.TXT"));
    EXPECT_TRUE(w->mDuty);
    EXPECT_TRUE(w->IsOpen());
  }

  QString path;
  QByteArray saved;
};

// Only a file that exists can be written in place there (see SaveOverTest.cpp); a new one fails.
class FailedSaveAsUser : public FailedSaveTest {};

TEST_F(FailedSaveAsUser, IntoAReadOnlyFolder) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not stop root's writes";
  ASSERT_TRUE(QDir(PathOf(QString())).mkdir(QStringLiteral("ro")));
  SaveThenChange(QStringLiteral("ro/"));
  const QString folder = PathOf(QStringLiteral("ro"));
  ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                                QFile::ExeGroup | QFile::ReadOther |
                                                QFile::ExeOther));

  Script().ExpectSave(kText, QStringLiteral("TAVURE.TXT"), PathOf(QStringLiteral("ro/new.TXT")));
  Script().ExpectMessage(QStringLiteral("could not be saved"), fw::MessageButton::Action);
  fw::ChooseMenuItem(QStringLiteral("FileSaveAs"), w.get());
  QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  EXPECT_TRUE(Script().Done());
  ExpectUnchanged();
  EXPECT_EQ(Entries(QStringLiteral("ro")), QStringList{QStringLiteral("doc.TXT")});
}

TEST_F(FailedSaveTest, ToANameThatIsAFolder) {
  SaveThenChange(QString());
  ASSERT_TRUE(QDir(PathOf(QString())).mkdir(QStringLiteral("adir")));
  Script().ExpectSave(kText, QStringLiteral("TAVURE.TXT"), PathOf(QStringLiteral("adir")));
  Script().ExpectMessage(QStringLiteral("could not be saved"), fw::MessageButton::Action);
  fw::ChooseMenuItem(QStringLiteral("FileSaveAs"), w.get());
  EXPECT_TRUE(Script().Done());
  ExpectUnchanged();
  EXPECT_EQ(Entries(), (QStringList{QStringLiteral("adir"), QStringLiteral("doc.TXT")}));
  EXPECT_TRUE(Entries(QStringLiteral("adir")).isEmpty());
  EXPECT_TRUE(QFileInfo(PathOf(QStringLiteral("adir"))).isDir());
}

TEST_F(FailedSaveTest, IntoAFolderThatVanished) {
  ASSERT_TRUE(QDir(PathOf(QString())).mkdir(QStringLiteral("gone")));
  SaveThenChange(QStringLiteral("gone/"));
  ASSERT_TRUE(QDir(PathOf(QStringLiteral("gone"))).removeRecursively());
  Script().ExpectMessage(QStringLiteral("could not be saved"), fw::MessageButton::Action);
  fw::ChooseMenuItem(QStringLiteral("FileSave"), w.get());
  EXPECT_TRUE(Script().Done());
  ASSERT_EQ(Script().messages.size(), 1u);
  EXPECT_FALSE(QFileInfo::exists(PathOf(QStringLiteral("gone"))));
  ASSERT_TRUE(w->mFile.item);
  EXPECT_EQ(w->mFile.item->Path(), path);
  EXPECT_EQ(w->Title(), QStringLiteral("doc.TXT"));
  EXPECT_TRUE(w->mDuty);
  EXPECT_TRUE(w->IsOpen());
}

// ---- the reader

TEST_F(DocumentTest, ALogoReadsBackIntoANewWindow) {
  w->LogoTF().SetText(QStringLiteral("Ab-C9 x"));
  ChooseBackground(*w, fw::RGB(255, 128, 0));
  ChooseCharColor(*w, 0, fw::RGB(12, 34, 56));
  ChooseCharColor(*w, 1, fw::RGB(0, 255, 0));
  Step(*w, 2, 2);
  Step(*w, 2, 2);
  Step(*w, 1, 1);
  const QString path = PathOf(QStringLiteral("round.TXT"));
  w->SaveData(std::make_shared<fw::FolderItem>(path));
  const std::vector<Char> written = Chars(*w);
  ASSERT_EQ(written.size(), 3u);
  EXPECT_EQ(written[2].pos, 164);

  auto r = Shown();
  r->mNoChange = true;
  r->OpenData(ItemOf(QStringLiteral("round.TXT")));
  EXPECT_EQ(r->LogoTF().Text(), QStringLiteral("Ab-C9 x"));
  EXPECT_EQ(r->BKColorRT().FillColor(), fw::RGB(255, 128, 0));
  ExpectChars(*r, written);
  EXPECT_EQ(r->MojimePM().ListIndex(), 0);
  EXPECT_EQ(r->MojimeLV().Text(), QStringLiteral("文字目(A)"));
  EXPECT_EQ(r->FGColorRT().FillColor(), fw::RGB(12, 34, 56));
  EXPECT_FALSE(r->mDuty);
  EXPECT_FALSE(r->mNoChange);
  EXPECT_EQ(r->Title(), QStringLiteral("round.TXT"));
  ASSERT_TRUE(r->mFile.item);
  EXPECT_EQ(r->mFile.item->Path(), path);
  EXPECT_EQ(r->mExpW, w->mExpW);
}

TEST_F(DocumentTest, FewerCharacterLinesLeaveTheRestAsTheTextMadeThem) {
  Read(*w, QStringLiteral("few.TXT"), "ABC\n1:2:3\n5,10:20:30,40\n");
  EXPECT_EQ(w->LogoTF().Text(), QStringLiteral("ABC"));
  ExpectChars(*w, {{5, fw::RGB(10, 20, 30), 40}, {1, 0, 92}, {2, 0, 184}});
  // The preview draws the line's glyph; the popup and the label keep line 1's letter.
  EXPECT_EQ(w->MojimePM().List(0), QStringLiteral("A: 1"));
  EXPECT_EQ(w->MojimeLV().Text(), QStringLiteral("文字目(A)"));
  EXPECT_EQ(w->FGColorRT().FillColor(), fw::RGB(10, 20, 30));
}

TEST_F(DocumentTest, NoCharacterLinesGiveOneBlankRecord) {
  Read(*w, QStringLiteral("none.TXT"), "XB\n1:2:3\n");
  EXPECT_EQ(w->BKColorRT().FillColor(), fw::RGB(1, 2, 3));
  ExpectChars(*w, {{0, 0, 0}, {1, 0, 92}});
  EXPECT_EQ(w->MojimeLV().Text(), QStringLiteral("文字目(X)"));
}

TEST_F(DocumentTest, AnEmptyFileGivesAnEmptyLogoOnBlack) {
  Read(*w, QStringLiteral("empty.TXT"), QByteArray());
  EXPECT_EQ(w->LogoTF().Text(), QString());
  EXPECT_EQ(w->BKColorRT().FillColor(), fw::RGB(0, 0, 0));
  EXPECT_EQ(w->UBoundLogo(), 0);
  EXPECT_EQ(w->MojimePM().ListCount(), 0);
  EXPECT_EQ(w->MojimePM().ListIndex(), -1);
  EXPECT_EQ(w->Title(), QStringLiteral("empty.TXT"));
  EXPECT_FALSE(w->mDuty);
  const QImage preview = PreviewImage(*w);
  EXPECT_EQ(preview.pixel(preview.width() / 2, 70), qRgb(0, 0, 0));
}

// A line 1 in another encoding than UTF-8 is kept byte for byte until the user edits it, shown one
// character a byte (Latin-1), with the glyphs of its own capital and digit bytes.
TEST_F(DocumentTest, ALineOneThatIsNotUtf8IsKeptByteForByteUntilEdited) {
  const struct {
    const char* what;
    QByteArray line1;
    const char* glyphs;  // the bytes that make glyphs
  } cases[] = {
      {"Latin-1", "Caf\xE9 \xFF", "C"},
      // "テスト" (its 83 58 holds an X), "ア" (83 41, an A), then " A1".
      {"Shift-JIS", "\x83\x65\x83\x58\x83\x67\x83\x41 A1", "XAA1"},
      {"UTF-8 cut short", "AB\xE3\x81", "AB"},
      {"a lone continuation byte", "\x80Z", "Z"},
      {"a byte order mark, then bytes that are not UTF-8", "\xEF\xBB\xBFQ\xFE", "Q"},
      {"a NUL and a Latin-1 letter", QByteArray("X\0\xC4", 3), "X"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const QString name = QStringLiteral("doc.TXT");
    QByteArray records;
    for (int n = 0; c.glyphs[n]; ++n)
      records += QByteArray::number(n) + ",0:0:0," + QByteArray::number(n * 92) + "\n";
    // A file that starts with the mark, so that the mark in line 1 is the line's own.
    const QByteArray start = c.line1.startsWith("\xEF\xBB\xBF") ? "\xEF\xBB\xBF" : "";
    const QByteArray file = start + c.line1 + "\n255:255:255\n" + records;
    auto window = Shown();
    Read(*window, name, file);
    EXPECT_EQ(window->LogoTF().Text(), QString::fromLatin1(c.line1));
    QByteArray glyphs;
    for (int n = 1; n <= window->UBoundLogo(); ++n)
      glyphs += window->MojimePM().RowTag(n - 1).toLatin1();
    EXPECT_EQ(glyphs, QByteArray(c.glyphs));

    fw::ChooseMenuItem(QStringLiteral("FileSave"), window.get());
    EXPECT_EQ(ReadBytes(PathOf(name)), file) << "a save without an edit";

    // Once edited, the text is written as UTF-8, as the field shows it.
    window->LogoTF().Edit().setFocus();
    window->LogoTF().Edit().end(false);
    QTest::keyClicks(&window->LogoTF().Edit(), QStringLiteral("9"));
    const QString edited = QString::fromLatin1(c.line1) + u'9';
    ASSERT_EQ(window->LogoTF().Text(), edited);
    EXPECT_EQ(window->UBoundLogo(), int(std::strlen(c.glyphs)) + 1);
    fw::ChooseMenuItem(QStringLiteral("FileSave"), window.get());
    const QByteArray saved = ReadBytes(PathOf(name));
    EXPECT_EQ(saved.left(saved.indexOf('\n')), edited.toUtf8());
    window->OpenData(ItemOf(name));
    EXPECT_EQ(window->LogoTF().Text(), edited) << "and reads back as that text";
  }
}

TEST_F(DocumentTest, ANegativePositionReadsBack) {
  Read(*w, QStringLiteral("neg.TXT"), "AB\n255:255:255\n0,0:0:0,-10\n1,0:0:0,-2147483648\n");
  ExpectChars(*w, {{0, 0, -10}, {1, 0, INT32_MIN}});
  PreviewImage(*w);
  w->SaveData(ItemOf(QStringLiteral("neg2.TXT")));
  EXPECT_EQ(ReadBytes(PathOf(QStringLiteral("neg2.TXT"))),
            QByteArray("AB\n255:255:255\n0,0:0:0,-10\n1,0:0:0,-2147483648\n"));
}

TEST_F(DocumentTest, GlyphIndexesOutsideTheTableAreKeptAndNotDrawn) {
  Read(*w, QStringLiteral("glyphs.TXT"), "AB\n255:255:255\n99,0:0:0,0\n-1,0:0:0,92\n");
  ExpectChars(*w, {{99, 0, 0}, {-1, 0, 92}});
  EXPECT_EQ(w->MojimeLV().Text(), QStringLiteral("文字目(A)"));
  const QImage preview = PreviewImage(*w);
  int dark = 0;
  for (int y = 0; y < preview.height(); ++y) {
    for (int x = 0; x < preview.width(); ++x)
      dark += qGray(preview.pixel(x, y)) < 128;
  }
  EXPECT_EQ(dark, 0) << "neither glyph is drawn";
  // Written back as read.
  w->SaveData(ItemOf(QStringLiteral("glyphs2.TXT")));
  EXPECT_EQ(ReadBytes(PathOf(QStringLiteral("glyphs2.TXT"))),
            QByteArray("AB\n255:255:255\n99,0:0:0,0\n-1,0:0:0,92\n"));
}

TEST_F(DocumentTest, TheWidthFollowsTheStoredPositionOfTheLastCharacter) {
  ASSERT_EQ(w->ExpCB().Text(), QStringLiteral("309"));
  Read(*w, QStringLiteral("width.TXT"), "AB\n255:255:255\n0,0:0:0,0\n1,0:0:0,200\n");
  EXPECT_EQ(w->mExpW, 756);  // 200 * 309 / 138 + 309, cut to an integer
  EXPECT_EQ(w->mExpH, 309);
  EXPECT_EQ(w->ExpWLV().Text(), QStringLiteral("出力サイズ(幅)：756"));
}

TEST_F(DocumentTest, AReadClearsTheMarksAndItsBackgroundSetsNoDuty) {
  ChooseBackground(*w, fw::RGB(50, 50, 50));
  ASSERT_TRUE(w->mDuty);
  w->mNoChange = true;
  Read(*w, QStringLiteral("marks.TXT"), "A\n1:2:3\n0,0:0:0,0\n");
  EXPECT_EQ(w->BKColorRT().FillColor(), fw::RGB(1, 2, 3));
  EXPECT_FALSE(w->mDuty);
  EXPECT_FALSE(w->mNoChange);
}

TEST_F(DocumentTest, AMissingFileOrNoFileChangesNothing) {
  const QString title = w->Title();
  w->OpenData(nullptr);
  w->OpenData(ItemOf(QStringLiteral("absent.TXT")));
  EXPECT_EQ(w->LogoTF().Text(), QStringLiteral("TAVURE"));
  EXPECT_EQ(w->Title(), title);
  EXPECT_FALSE(w->mFile.item);
  EXPECT_TRUE(Script().messages.empty());
}

TEST_F(DocumentTest, AMillionLinesReadAsTwoCharacters) {
  const QString path = PathOf(QStringLiteral("huge.TXT"));
  {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("AB\n0:0:0\n7,1:1:1,11\n8,2:2:2,22\n");
    QByteArray chunk;
    for (int i = 0; i < 10000; ++i)
      chunk += "9,3:3:3,33\n";
    for (int i = 0; i < 100; ++i)
      ASSERT_EQ(file.write(chunk), chunk.size());
  }
  w->OpenData(ItemOf(QStringLiteral("huge.TXT")));
  EXPECT_EQ(w->LogoTF().Text(), QStringLiteral("AB"));
  ExpectChars(*w, {{7, fw::RGB(1, 1, 1), 11}, {8, fw::RGB(2, 2, 2), 22}});
  EXPECT_EQ(w->MojimePM().ListCount(), 2);
  EXPECT_EQ(w->Title(), QStringLiteral("huge.TXT"));
}

TEST_F(DocumentTest, ATextShortenedWhileTheReadLetsEventsRunIsCopiedAsFarAsItGoes) {
  WriteBytes(PathOf(QStringLiteral("four.TXT")),
             "ABCD\n1:1:1\n10,1:0:0,5\n11,2:0:0,6\n12,3:0:0,7\n13,4:0:0,8\n");
  QuenzWin* window = w.get();
  bool ran = false;
  // Runs inside the reader, once it lets the pending events run.
  QMetaObject::invokeMethod(
      qApp,
      [window, &ran] {
        window->LogoTF().SetText(QStringLiteral("A"));
        ran = true;
      },
      Qt::QueuedConnection);
  w->OpenData(ItemOf(QStringLiteral("four.TXT")));
  EXPECT_TRUE(ran);
  EXPECT_EQ(w->LogoTF().Text(), QStringLiteral("A"));
  ExpectChars(*w, {{10, fw::RGB(1, 0, 0), 5}});
  EXPECT_EQ(w->MojimePM().ListIndex(), 0);
  EXPECT_EQ(w->Title(), QStringLiteral("four.TXT"));
  EXPECT_EQ(w->mExpW, 320);  // from the stored x of 5
  PreviewImage(*w);
}

TEST_F(DocumentTest, ATextEmptiedWhileTheReadLetsEventsRunLeavesNoSelection) {
  WriteBytes(PathOf(QStringLiteral("two.TXT")), "AB\n1:1:1\n10,1:0:0,5\n11,2:0:0,6\n");
  QuenzWin* window = w.get();
  QMetaObject::invokeMethod(
      qApp, [window] { window->LogoTF().SetText(QString()); }, Qt::QueuedConnection);
  w->OpenData(ItemOf(QStringLiteral("two.TXT")));
  EXPECT_EQ(w->UBoundLogo(), 0);
  EXPECT_EQ(w->MojimePM().ListIndex(), -1);
  EXPECT_TRUE(Script().messages.empty());
  PreviewImage(*w);
}

TEST_F(DocumentTest, APastedLineEndNeverSplitsTheDocument) {
  QLineEdit& edit = w->LogoTF().Edit();
  edit.selectAll();
  QApplication::clipboard()->setText(QStringLiteral("MY\nLOGO"));
  QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
  ChooseCharColor(*w, 2, fw::RGB(0, 0, 200));
  const QString path = PathOf(QStringLiteral("MY LOGO.TXT"));
  Script().ExpectSave(kText, QStringLiteral("MY LOGO.TXT"), path);
  fw::ChooseMenuItem(QStringLiteral("FileSave"), w.get());
  ASSERT_TRUE(Script().Done());
  EXPECT_EQ(ReadBytes(path), QByteArray("MY LOGO\n255:255:255\n12,0:0:0,0\n24,0:0:0,92\n"
                                        "11,0:0:200,184\n14,0:0:0,276\n6,0:0:0,368\n"
                                        "14,0:0:0,460\n"));

  auto r = Shown();
  r->OpenData(ItemOf(QStringLiteral("MY LOGO.TXT")));
  EXPECT_EQ(r->LogoTF().Text(), QStringLiteral("MY LOGO"));
  EXPECT_EQ(r->BKColorRT().FillColor(), kWhite);
  ExpectChars(*r, Chars(*w));
}

TEST_F(DocumentTest, ALogoAtTheBoundReadsAndSavesBackByteForByte) {
  constexpr int kCount = QuenzWin::kMaxLogoText;
  QByteArray text;
  QByteArray lines;
  for (int n = 0; n < kCount; ++n) {
    text += char('A' + n % 26);
    lines += QByteArray::number(n % 26) + ',' + QByteArray::number(n % 256) +
             ":7:" + QByteArray::number(255 - n % 256) + ',' +
             QByteArray::number(n * 92 - 5 * (n % 3)) + '\n';
  }
  const QByteArray document = text + "\n1:2:3\n" + lines;
  ASSERT_GT(document.size(), 2'000'000);
  Read(*w, QStringLiteral("long.TXT"), document);
  ASSERT_EQ(w->UBoundLogo(), kCount);
  EXPECT_EQ(w->LogoTF().Text().size(), kCount);
  ASSERT_EQ(w->MojimePM().ListCount(), kCount);
  EXPECT_EQ(w->MojimePM().List(kCount - 1), QStringLiteral("D: 100000"));
  EXPECT_EQ(w->MojimePM().RowTag(kCount - 1), QStringLiteral("D"));
  EXPECT_EQ(w->mLogo[kCount]->mPos, (kCount - 1) * 92 - 5 * ((kCount - 1) % 3));

  w->SaveData(ItemOf(QStringLiteral("again.TXT")));
  EXPECT_TRUE(ReadBytes(PathOf(QStringLiteral("again.TXT"))) == document);
}

// ---- what is not a logo document

class RefusedDocumentTest : public DocumentTest {
 protected:
  // Reads the item into the window, which must refuse it with a report that names it, and leave
  // the window as it was.
  void ExpectRefused(const fw::FolderItemPtr& item, const QString& reason) {
    w->mNoChange = true;
    try {
      w->OpenData(item);
      ADD_FAILURE() << "read";
    } catch (const fw::Error& e) {
      EXPECT_TRUE(e.Text().startsWith(u'“' + item->Name() + u'”' +
                                      QStringLiteral(" is not a logo document: ")))
          << e.what();
      EXPECT_TRUE(e.Text().contains(reason)) << e.what();
    }
    EXPECT_EQ(w->LogoTF().Text(), QStringLiteral("TAVURE"));
    EXPECT_EQ(w->UBoundLogo(), 6);
    EXPECT_EQ(w->BKColorRT().FillColor(), kWhite);
    EXPECT_EQ(w->Title(), QStringLiteral("Quenz Logo Maker"));
    EXPECT_FALSE(w->mFile.item);
    EXPECT_TRUE(w->mNoChange);
    EXPECT_FALSE(w->mDuty);
  }

  // A file of the given size that takes no room on the disk beyond its first line.
  QString Sparse(const QString& name, qint64 size) {
    const QString path = PathOf(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("AB\n1:2:3\n0,0:0:0,5\n1,0:0:0,9\n");
    EXPECT_TRUE(file.resize(size));
    return path;
  }
};

TEST_F(RefusedDocumentTest, AnythingButARegularFileIsRefusedWithoutWaiting) {
  const QString pipe = PathOf(QStringLiteral("pipe.TXT"));
  ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
  ASSERT_TRUE(QFile::link(pipe, PathOf(QStringLiteral("link.TXT"))));
  const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const QByteArray socketPath = QFile::encodeName(PathOf(QStringLiteral("socket.TXT")));
  ASSERT_LT(std::size_t(socketPath.size()), sizeof address.sun_path);
  std::memcpy(address.sun_path, socketPath.constData(), std::size_t(socketPath.size()));
  ASSERT_EQ(bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);

  const struct {
    fw::FolderItemPtr item;
    const char* reason;
  } cases[] = {
      {ItemOf(QStringLiteral("pipe.TXT")), "named pipe"},
      {ItemOf(QStringLiteral("link.TXT")), "named pipe"},  // followed to what it names
      {ItemOf(QStringLiteral("socket.TXT")), "socket"},
      {std::make_shared<fw::FolderItem>(QStringLiteral("/dev/zero")), "device"},
      {std::make_shared<fw::FolderItem>(QStringLiteral("/dev/null")), "device"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.item->Path().toStdString());
    ExpectRefused(c.item, QString::fromLatin1(c.reason));
  }
  close(sock);
}

// Refused before the window changes, so before the application shows a window for it; nothing
// of it is cut to fit.
TEST_F(RefusedDocumentTest, ALogoTextPastTheBoundIsRefusedWhole) {
  constexpr int kMax = QuenzWin::kMaxLogoText;
  const struct {
    const char* what;
    QByteArray line1;
  } cases[] = {
      {"capitals", QByteArray(kMax + 1, 'Q')},
      {"Latin-1, one character a byte", QByteArray(kMax, 'Q') + "\xE9"},
      {"UTF-8 outside the BMP, two characters each",
       QByteArray("\xF0\x9F\x98\x80").repeated(kMax / 2 + 1)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(PathOf(QStringLiteral("long.TXT")), c.line1 + "\n1:2:3\n0,0:0:0,5\n");
    w->mNoChange = true;
    Script().ExpectMessage(QStringLiteral("“long.TXT” was not opened: its logo text is longer "
                                          "than 100,000 characters"),
                           fw::MessageButton::Action);
    fw::Guard([&] { w->OpenData(ItemOf(QStringLiteral("long.TXT"))); });
    EXPECT_TRUE(Script().Done());
    EXPECT_EQ(w->LogoTF().Text(), QStringLiteral("TAVURE"));
    EXPECT_EQ(w->UBoundLogo(), 6);
    EXPECT_EQ(w->BKColorRT().FillColor(), kWhite);
    EXPECT_FALSE(w->mFile.item);
    EXPECT_TRUE(w->mNoChange);
  }
}

TEST_F(RefusedDocumentTest, AFileLargerThan16MiBIsRefusedBeforeItIsRead) {
  constexpr qint64 kLimit = 16 * 1024 * 1024;
  Sparse(QStringLiteral("huge.TXT"), qint64(1) << 30);
  Sparse(QStringLiteral("over.TXT"), kLimit + 1);
  ExpectRefused(ItemOf(QStringLiteral("huge.TXT")),
                QStringLiteral("at 1,073,741,824 bytes it is larger than 16 MiB, the most"));
  ExpectRefused(ItemOf(QStringLiteral("over.TXT")),
                QStringLiteral("at 16,777,217 bytes it is larger than 16 MiB"));

  // The largest document that is read.
  Sparse(QStringLiteral("limit.TXT"), kLimit);
  w->OpenData(ItemOf(QStringLiteral("limit.TXT")));
  EXPECT_EQ(w->LogoTF().Text(), QStringLiteral("AB"));
  ExpectChars(*w, {{0, 0, 5}, {1, 0, 9}});
}

TEST_F(DocumentTest, AFailureWhileReadingOrWritingNamesTheFileInPlainWords) {
  WriteBytes(PathOf(QStringLiteral("doc.TXT")), "AB\n1:2:3\n");
  const auto text = w->LogoTF().onTextChange;
  w->LogoTF().onTextChange = [](fw::TextField&) { throw std::bad_alloc(); };
  try {
    w->OpenData(ItemOf(QStringLiteral("doc.TXT")));
    ADD_FAILURE() << "read";
  } catch (const fw::Error& e) {
    EXPECT_EQ(e.Text(), QStringLiteral("“doc.TXT” could not be opened: there is not enough memory "
                                       "for it"));
  }
  w->LogoTF().onTextChange = text;

  // Through the framework's report, as the user sees it.
  w->LogoTF().onTextChange = [](fw::TextField&) { throw std::bad_alloc(); };
  Script().ExpectMessage(QStringLiteral("“doc.TXT” could not be opened"),
                         fw::MessageButton::Action);
  fw::Guard([&] { w->OpenData(ItemOf(QStringLiteral("doc.TXT"))); });
  w->LogoTF().onTextChange = text;
  EXPECT_TRUE(Script().Done());
  ASSERT_EQ(Script().messages.size(), 1u);
  EXPECT_FALSE(Script().messages[0].message.contains(QStringLiteral("std::")));
}

}  // namespace
