// A save over a document that changed on disk since the window last read or wrote it, or over a
// file that holds text a save would lose: it asks first, over the window, whether to replace it.
// And a user's own writable file in a folder where they may not make files is still saved over,
// once the save is written whole: one that is stopped or fails before leaves it byte for byte as
// it was.
#include "support/FileSizeLimit.h"
#include "support/Fixtures.h"

#include "framework/Application.h"
#include "framework/Dialogs.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QThread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

namespace {

const QString kText = QStringLiteral("TextType");
const QString kQuestion = QStringLiteral("has changed since this window last opened or saved it");
const QString kOtherText = QStringLiteral("holds text that is not part of a logo");

class SaveOverTest : public QuenzTest {
 protected:
  void SetUp() override {
    QuenzTest::SetUp();
    w = Shown();
    path = PathOf(QStringLiteral("doc.TXT"));
  }

  // Saves w to doc.TXT through the save dialog.
  void SaveFirst() {
    Script().ExpectSave(kText, QStringLiteral("TAVURE.TXT"), path);
    fw::ChooseMenuItem(QStringLiteral("FileSaveAs"), w.get());
    ASSERT_TRUE(Script().Done());
  }
  // An unsaved change in a window: a new background.
  static void Change(QuenzWin& window, fw::Color c) {
    Script().ExpectColor(QStringLiteral("背景色を選んで下さい"), c);
    QTest::mouseClick(&window.BKColorRT().Widget(), Qt::LeftButton);
    ASSERT_TRUE(window.mDuty);
  }
  void Save(QuenzWin& window) { fw::ChooseMenuItem(QStringLiteral("FileSave"), &window); }

  std::shared_ptr<QuenzWin> w;
  QString path;
};

void SetModified(const QString& path, const QDateTime& when) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  ASSERT_TRUE(file.setFileTime(when, QFileDevice::FileModificationTime));
}

TEST_F(SaveOverTest, AChangedFileIsReplacedOnlyWhenTheUserSaysSo) {
  const struct {
    const char* how;
    std::function<void(const QString& path)> change;
  } changes[] = {
      {"rewritten in place, same size, later time",
       [](const QString& p) {
         const QDateTime before = QFileInfo(p).lastModified();
         QByteArray bytes = ReadBytes(p);
         bytes[0] = 'X';
         QFile file(p);
         ASSERT_TRUE(file.open(QIODevice::ReadWrite));
         file.write(bytes);
         file.close();
         SetModified(p, before.addSecs(5));
       }},
      {"replaced by another file of the same size and time",
       [](const QString& p) {
         const QDateTime before = QFileInfo(p).lastModified();
         QByteArray bytes = ReadBytes(p);
         bytes[0] = 'X';
         const QString other = p + QStringLiteral(".new");
         WriteBytes(other, bytes);
         SetModified(other, before);
         ASSERT_EQ(::rename(QFile::encodeName(other).constData(), QFile::encodeName(p).constData()),
                   0);
       }},
      {"grown", [](const QString& p) { WriteBytes(p, ReadBytes(p) + "0,0:0:0,0\n"); }},
      {"rewritten in place, same size, its modification time put back to the nanosecond",
       [](const QString& p) {
         const QByteArray name = QFile::encodeName(p);
         struct stat before {};
         ASSERT_EQ(::stat(name.constData(), &before), 0);
         QByteArray bytes = ReadBytes(p);
         bytes[0] = 'X';
         QFile file(p);
         ASSERT_TRUE(file.open(QIODevice::ReadWrite));
         file.write(bytes);
         file.close();
         // Only the change time tells now; it is the system's, set by the last step, which is
         // taken again until the system's clock has moved on from the file's own.
         const struct timespec times[2] = {before.st_atim, before.st_mtim};
         struct stat after {};
         for (int i = 0; i < 1000; ++i) {
           ASSERT_EQ(::utimensat(AT_FDCWD, name.constData(), times, 0), 0);
           ASSERT_EQ(::stat(name.constData(), &after), 0);
           if (after.st_ctim.tv_sec != before.st_ctim.tv_sec ||
               after.st_ctim.tv_nsec != before.st_ctim.tv_nsec) {
             break;
           }
           QThread::msleep(1);
         }
         ASSERT_EQ(after.st_size, before.st_size);
         ASSERT_EQ(after.st_ino, before.st_ino);
         ASSERT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
         ASSERT_NE(after.st_ctim.tv_nsec, before.st_ctim.tv_nsec);
       }},
  };
  for (const auto& c : changes) {
    for (const fw::MessageButton answer : {fw::MessageButton::Action, fw::MessageButton::Cancel}) {
      SCOPED_TRACE(std::string(c.how) + (answer == fw::MessageButton::Action ? ", replace" : ""));
      Script().Reset();
      w = Shown();  // one that has not seen the file yet
      SaveFirst();
      c.change(path);
      const QByteArray theirs = ReadBytes(path);
      Change(*w, fw::RGB(1, 2, 3));
      Script().ExpectMessage(kQuestion, answer);
      Script().WhileOpen([this] { EXPECT_EQ(fw::DialogOwner(), w.get()) << "over the window"; });
      Save(*w);
      ASSERT_TRUE(Script().Done());
      ASSERT_EQ(Script().messages.size(), 1u);
      EXPECT_TRUE(Script().messages[0].message.contains(QStringLiteral("“doc.TXT”")));
      EXPECT_TRUE(Script().messages[0].cancelVisible);
      if (answer == fw::MessageButton::Action) {
        EXPECT_TRUE(ReadBytes(path).contains("\n1:2:3\n"));
        EXPECT_FALSE(w->mDuty);
      } else {
        EXPECT_EQ(ReadBytes(path), theirs);
        EXPECT_TRUE(w->mDuty);
      }
    }
  }
}

// The fault as it was seen: one document in two windows, both edited and saved.
TEST_F(SaveOverTest, TheSecondWindowsSaveAsksBeforeItOverwritesTheFirsts) {
  SaveFirst();
  const auto other = Shown();
  other->OpenData(ItemOf(QStringLiteral("doc.TXT")));
  Change(*w, fw::RGB(1, 1, 1));
  Change(*other, fw::RGB(2, 2, 2));
  Save(*w);
  EXPECT_TRUE(Script().messages.empty()) << "the first save replaces what it last saw";
  const QByteArray first = ReadBytes(path);

  Script().ExpectMessage(kQuestion, fw::MessageButton::Cancel);
  Save(*other);
  EXPECT_TRUE(Script().Done());
  EXPECT_EQ(ReadBytes(path), first);
  EXPECT_TRUE(other->mDuty) << "so its close still asks";

  // Closing it asks to save; a save whose replacement is cancelled keeps the window open.
  Script().ExpectMessage(QStringLiteral("Do you want to save changes"), fw::MessageButton::Action);
  Script().ExpectMessage(kQuestion, fw::MessageButton::Cancel);
  other->Close();
  EXPECT_TRUE(Script().Done());
  EXPECT_TRUE(other->IsOpen());
  EXPECT_EQ(ReadBytes(path), first);
}

TEST_F(SaveOverTest, AFileAsTheWindowLastSawItOrOneThatIsGoneIsSavedWithoutAQuestion) {
  SaveFirst();
  Change(*w, fw::RGB(1, 1, 1));
  Save(*w);  // over its own save
  const auto reader = Shown();
  reader->OpenData(ItemOf(QStringLiteral("doc.TXT")));
  Change(*reader, fw::RGB(2, 2, 2));
  Save(*reader);  // over what it read
  EXPECT_TRUE(ReadBytes(path).contains("\n2:2:2\n"));
  ASSERT_TRUE(QFile::remove(path));
  Change(*reader, fw::RGB(3, 3, 3));
  Save(*reader);
  EXPECT_TRUE(ReadBytes(path).contains("\n3:3:3\n"));
  EXPECT_TRUE(Script().messages.empty());
}

// ---- a file that holds text which a save would lose

TEST_F(SaveOverTest, AFileWithTextThatASaveWouldLoseIsReplacedOnlyWhenTheUserSaysSo) {
  const struct {
    const char* what;
    QByteArray bytes;
    bool asks;
  } files[] = {
      {"prose", "Quenz Logo Maker\nThis file tells how to draw a logo.\nSee the manual.\n", true},
      {"prose of one line and a blank one", "READ ME FIRST\n\n", false},
      {"a document and a line of notes after it",
       "Go 2\n255:255:255\n6,255:0:0,0\n"
       "28,0:0:255,102\nthe blue one was moved\n",
       true},
      {"a document with more character lines than characters",
       "Go 2\n0:0:0\n6,0:0:0,0\n28,0:0:0,92\n6,0:0:0,184\n", true},
      {"a background line not written as the writer writes it", "Go 2\nwhite\n", true},
      {"a background with a channel past 255", "Go 2\n300:0:0\n", true},
      {"a character line with a field of its own", "Go 2\n0:0:0\n6,0:0:0,0,bold\n", true},
      {"a character line with a leading zero", "Go 2\n0:0:0\n6,0:0:0,0\n28,0:0:0,092\n", true},
      {"the example document", "Go 2\n255:255:255\n6,255:0:0,0\n28,0:0:255,102\n", false},
      {"a document with CR LF line ends and none after its last line",
       "Go 2\r\n255:255:255\r\n6,255:0:0,0\r\n28,0:0:255,102", false},
      {"a document with fewer character lines than characters", "Go 2\n1:2:3\n6,0:0:0,-5\n", false},
      {"a document of a logo without characters", "hello\n0:0:0\n", false},
      {"a document whose characters have no lines", "AB\n0:0:0\n", false},
      {"a logo text alone", "TAVURE\n", false},
      {"a blank line in a character's place", "AB\n0:0:0\n\n1,0:0:0,92\n", false},
      {"extreme numbers", "AB\n0:0:0\n-2147483648,0:0:0,2147483647\n35,255:255:255,-1\n", false},
      {"an empty file", "", false},
  };
  for (const auto& f : files) {
    SCOPED_TRACE(f.what);
    Script().Reset();
    WriteBytes(path, f.bytes);
    w = Shown();
    w->OpenData(ItemOf(QStringLiteral("doc.TXT")));
    ASSERT_TRUE(w->mFile.item);
    const bool duty = w->mDuty;
    if (f.asks) {
      Script().ExpectMessage(kOtherText, fw::MessageButton::Cancel);
      Script().WhileOpen([this] { EXPECT_EQ(fw::DialogOwner(), w.get()) << "over the window"; });
      Save(*w);
      ASSERT_TRUE(Script().Done());
      ASSERT_EQ(Script().messages.size(), 1u);
      EXPECT_TRUE(Script().messages[0].message.contains(QStringLiteral("“doc.TXT”")));
      EXPECT_EQ(Script().messages[0].actionCaption, QStringLiteral("Replace"));
      EXPECT_TRUE(Script().messages[0].cancelVisible);
      EXPECT_EQ(ReadBytes(path), f.bytes) << "cancelled, the text stays";
      EXPECT_EQ(w->mDuty, duty);

      Script().ExpectMessage(kOtherText, fw::MessageButton::Action);
      Save(*w);
      ASSERT_TRUE(Script().Done());
      EXPECT_NE(ReadBytes(path), f.bytes);
    }
    // Saved, or read as it was written, the file is the window's logo: saves ask nothing.
    Script().messages.clear();
    Save(*w);
    Change(*w, fw::RGB(9, 8, 7));
    Save(*w);
    const auto reader = Shown();
    reader->OpenData(ItemOf(QStringLiteral("doc.TXT")));
    Save(*reader);
    EXPECT_TRUE(Script().messages.empty()) << Script().messages.front().message.toStdString();
    EXPECT_TRUE(ReadBytes(path).contains("\n9:8:7\n"));
  }
}

TEST_F(SaveOverTest, SaveAsToAnotherNameNeverAsksAboutTheTextOfTheFileRead) {
  const QByteArray prose = "Quenz Logo Maker\nThis file tells how to draw a logo.\n";
  WriteBytes(path, prose);
  w->OpenData(ItemOf(QStringLiteral("doc.TXT")));
  const QString other = PathOf(QStringLiteral("other.TXT"));
  Script().ExpectSave(kText, QStringLiteral("Quenz Logo Maker.TXT"), other);
  fw::ChooseMenuItem(QStringLiteral("FileSaveAs"), w.get());
  Save(*w);
  EXPECT_TRUE(Script().Done());
  EXPECT_TRUE(Script().messages.empty());
  EXPECT_EQ(ReadBytes(path), prose);
  EXPECT_TRUE(ReadBytes(other).startsWith("Quenz Logo Maker\n"));
}

// ---- a folder where the user may not make files

class ReadOnlyFolderAsUser : public SaveOverTest {
 protected:
  void SetUp() override {
    SaveOverTest::SetUp();
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not stop root's writes";
    folder = PathOf(QStringLiteral("ro"));
    ASSERT_TRUE(QDir().mkdir(folder));
  }
  void TearDown() override {
    if (!folder.isEmpty()) QFile::setPermissions(folder, kOpen);
    SaveOverTest::TearDown();
  }
  void Lock() const {
    ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
  }
  QStringList Entries() const {
    return QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden);
  }

  static constexpr QFile::Permissions kOpen =
      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
  QString folder;
};

TEST_F(ReadOnlyFolderAsUser, AWritableDocumentInItIsSavedInPlace) {
  path = folder + QStringLiteral("/doc.TXT");
  SaveFirst();
  Lock();
  Change(*w, fw::RGB(4, 5, 6));
  Save(*w);
  EXPECT_TRUE(Script().messages.empty()) << Script().messages.front().message.toStdString();
  EXPECT_TRUE(ReadBytes(path).contains("\n4:5:6\n"));
  EXPECT_FALSE(w->mDuty);
  EXPECT_EQ(Entries(), QStringList{QStringLiteral("doc.TXT")});
  // Written in place, the file is still the one this window saw last: a second save asks nothing.
  Change(*w, fw::RGB(7, 8, 9));
  Save(*w);
  EXPECT_TRUE(Script().messages.empty());
}

TEST_F(ReadOnlyFolderAsUser, AnExportStoppedOrFailingPartWayLeavesTheOldImage) {
  const QString image = folder + QStringLiteral("/logo.PNG");
  const QByteArray old = "old picture";
  WriteBytes(image, old);
  Lock();
  w->ExpCB().SetText(QStringLiteral("1000"));  // five bands
  const struct {
    const char* how;
    int stopAt;
    rlim_t limit;
  } cases[] = {
      {"stopped at its second band", 2, RLIM_INFINITY},
      {"failing part way (the file size limit, as a full disk)", 0, 4096},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.how);
    Script().Reset();
    Script().progress.stopAt = c.stopAt;
    Script().progress.onStep = [&](int) { EXPECT_EQ(ReadBytes(image), old) << "while written"; };
    Script().ExpectSave(QStringLiteral("PNGTYPE"), QStringLiteral("Untitled.PNG"), image);
    if (c.stopAt == 0) {
      Script().ExpectMessage(QStringLiteral("“logo.PNG” could not be saved"),
                             fw::MessageButton::Action);
    }
    {
      FileSizeLimit limit(c.limit);
      ASSERT_TRUE(limit.ok());
      QTest::mouseClick(&w->PushButton1().Widget(), Qt::LeftButton);
    }
    EXPECT_TRUE(Script().Done());
    EXPECT_GT(Script().progress.stepsSeen, 0);
    EXPECT_EQ(ReadBytes(image), old);
    EXPECT_EQ(Entries(), QStringList{QStringLiteral("logo.PNG")});
  }
}

// The folder is closed while the export is written beside its file: every byte is written, the
// file cannot take the old one's place, and the export must not pass for done.
TEST_F(ReadOnlyFolderAsUser, AnExportThatCannotTakeTheFilesPlaceIsReported) {
  const QString image = folder + QStringLiteral("/logo.PNG");
  WriteBytes(image, "old picture");
  w->ExpCB().SetText(QStringLiteral("1000"));
  Script().progress.onStep = [&](int done) {
    if (done == 1) Lock();
  };
  Script().ExpectSave(QStringLiteral("PNGTYPE"), QStringLiteral("Untitled.PNG"), image);
  Script().ExpectMessage(QStringLiteral("“logo.PNG” could not be saved"),
                         fw::MessageButton::Action);
  QTest::mouseClick(&w->PushButton1().Widget(), Qt::LeftButton);
  EXPECT_TRUE(Script().Done());
  EXPECT_EQ(ReadBytes(image), "old picture");
}

TEST_F(ReadOnlyFolderAsUser, ADocumentSaveFailingPartWayLeavesTheOldDocument) {
  path = folder + QStringLiteral("/doc.TXT");
  SaveFirst();
  const QByteArray saved = ReadBytes(path);
  Lock();
  Change(*w, fw::RGB(4, 5, 6));
  Script().ExpectMessage(QStringLiteral("“doc.TXT” could not be saved"), fw::MessageButton::Action);
  {
    FileSizeLimit limit(10);
    ASSERT_TRUE(limit.ok());
    Save(*w);
  }
  EXPECT_TRUE(Script().Done());
  EXPECT_EQ(ReadBytes(path), saved);
  EXPECT_TRUE(w->mDuty);
  // The file is as the window last saw it: the save that follows asks nothing about another
  // program's version.
  Script().Reset();
  Save(*w);
  EXPECT_TRUE(Script().messages.empty()) << Script().messages.front().message.toStdString();
  EXPECT_TRUE(ReadBytes(path).contains("\n4:5:6\n"));
  EXPECT_FALSE(w->mDuty);
  EXPECT_EQ(Entries(), QStringList{QStringLiteral("doc.TXT")});
}

TEST_F(ReadOnlyFolderAsUser, AWritableImageInItIsReplacedInPlace) {
  const QString image = folder + QStringLiteral("/logo.PNG");
  WriteBytes(image, "old picture");
  Lock();
  w->ExpTypPM().SetListIndex(1);
  Script().ExpectSave(QStringLiteral("PNGTYPE"), QStringLiteral("Untitled.PNG"), image);
  QTest::mouseClick(&w->PushButton1().Widget(), Qt::LeftButton);
  EXPECT_TRUE(Script().Done());
  EXPECT_TRUE(Script().messages.empty());
  EXPECT_EQ(QImage(image).size(), QSize(w->mExpW, w->mExpH));
  EXPECT_EQ(Entries(), QStringList{QStringLiteral("logo.PNG")});
}

}  // namespace
