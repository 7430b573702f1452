// A save in a folder where the user may not make files, over a file there that they may write:
// the bytes go to a temporary file elsewhere, and the file is touched only once they are all
// written; a stop, a failure or a crash before that leaves it byte for byte as it was. And a save
// beside the file whose last step, putting it in the file's place, fails is reported.
#include "support/FileSizeLimit.h"
#include "support/Fixtures.h"

#include "base/Error.h"
#include "base/FolderItem.h"
#include "base/SaveFile.h"
#include "base/TextStreams.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <memory>

namespace {

const QByteArray kOld = "the old file's own bytes\n";

// Runs as an unprivileged user only: root writes wherever it likes.
class SaveFileAsUser : public QuenzTest {
 protected:
  void SetUp() override {
    QuenzTest::SetUp();
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not stop root's writes";
    folder = PathOf(QStringLiteral("folder"));
    ASSERT_TRUE(QDir().mkdir(folder));
    target = folder + QStringLiteral("/logo.PNG");
    WriteBytes(target, kOld);
    inode = Inode();
  }
  void TearDown() override {
    if (!folder.isEmpty()) Open();
    QuenzTest::TearDown();
  }

  void Close() const {
    ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
  }
  void Open() const {
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
  QStringList Entries() const {
    return QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden);
  }
  ino_t Inode() const {
    struct stat status {};
    return ::stat(QFile::encodeName(target).constData(), &status) == 0 ? status.st_ino : 0;
  }
  // What the save writes: more than the old file holds, and more than any limit below.
  static QByteArray NewBytes() { return QByteArray(64 * 1024, 'n'); }

  QString folder;
  QString target;
  ino_t inode = 0;
};

TEST_F(SaveFileAsUser, InAClosedFolderTheFileIsWrittenOverOnlyOnceItsBytesAreAllWritten) {
  Close();
  {
    fw::SaveFile save(fw::FolderItem(target), QIODevice::WriteOnly);
    ASSERT_EQ(save.Device().write(NewBytes()), NewBytes().size());
    EXPECT_EQ(ReadBytes(target), kOld) << "before Commit";
    save.Commit();
  }
  EXPECT_EQ(ReadBytes(target), NewBytes());
  EXPECT_EQ(Inode(), inode) << "the same file, written over";
  EXPECT_EQ(Entries(), QStringList{QStringLiteral("logo.PNG")});

  // Shorter than what it replaces: nothing of the longer one is left at its end.
  fw::SaveFile save(fw::FolderItem(target), QIODevice::WriteOnly);
  save.Device().write("short");
  save.Commit();
  EXPECT_EQ(ReadBytes(target), "short");
}

TEST_F(SaveFileAsUser, InAClosedFolderAStopOrAFailureBeforeTheCopyLeavesTheFileAsItWas) {
  const struct {
    const char* how;
    std::function<void(fw::SaveFile&)> end;
  } cases[] = {
      {"dropped uncommitted, as a stop or an exception leaves it", [](fw::SaveFile&) {}},
      {"a write cut short by the file size limit, as by a full disk, and so not committed",
       [](fw::SaveFile& save) {
         FileSizeLimit limit(4096);
         ASSERT_TRUE(limit.ok());
         EXPECT_LT(save.Device().write(NewBytes()), NewBytes().size());
       }},
  };
  Close();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.how);
    {
      fw::SaveFile save(fw::FolderItem(target), QIODevice::WriteOnly | QIODevice::Unbuffered);
      c.end(save);
    }
    EXPECT_EQ(ReadBytes(target), kOld);
    EXPECT_EQ(Entries(), QStringList{QStringLiteral("logo.PNG")});
  }
}

// The one step that is not atomic: a copy that fails part way is told as such.
TEST_F(SaveFileAsUser, InAClosedFolderACopyThatFailsPartWaySaysThatTheFileIsPartWritten) {
  Close();
  fw::SaveFile save(fw::FolderItem(target), QIODevice::WriteOnly);
  save.Device().write(NewBytes());
  try {
    FileSizeLimit limit(4096);
    ASSERT_TRUE(limit.ok());
    save.Commit();
    ADD_FAILURE() << "no error";
  } catch (const fw::PartlyWritten& e) {
    EXPECT_TRUE(
        e.Text().contains(QStringLiteral("“logo.PNG” could not be saved, and is left part "
                                         "written:")))
        << e.what();
  }
  EXPECT_EQ(ReadBytes(target), NewBytes().left(4096));
}

TEST_F(SaveFileAsUser, InAClosedFolderANewFileOrOneThatMayNotBeWrittenIsAnError) {
  ASSERT_TRUE(QFile::setPermissions(target, QFile::ReadOwner));
  Close();
  for (const QString& path : {target, folder + QStringLiteral("/new.PNG")}) {
    SCOPED_TRACE(path.toStdString());
    EXPECT_THROW(fw::SaveFile(fw::FolderItem(path), QIODevice::WriteOnly), fw::Error);
  }
  EXPECT_EQ(ReadBytes(target), kOld);
  EXPECT_EQ(Entries(), QStringList{QStringLiteral("logo.PNG")});
}

// Beside the file, in a folder closed between the save's start and its end: every byte written,
// the file cannot take its place, and the save must not pass for done.
TEST_F(SaveFileAsUser, ASaveThatCannotTakeTheFilesPlaceIsAnErrorAndTheFileStays) {
  for (const bool document : {false, true}) {
    SCOPED_TRACE(document ? "a document" : "an image");
    Open();
    if (document) {
      auto out = fw::TextOutputStream::Create(fw::FolderItem(target));
      out->WriteLine(QStringLiteral("TAVURE"));
      Close();
      EXPECT_THROW(out->Close(), fw::Error);
    } else {
      fw::SaveFile save(fw::FolderItem(target), QIODevice::WriteOnly);
      save.Device().write(NewBytes());
      Close();
      EXPECT_THROW(save.Commit(), fw::Error);
    }
    EXPECT_EQ(ReadBytes(target), kOld);
    EXPECT_EQ(Inode(), inode);
  }
}

}  // namespace
