// The file layer of the framework: file types, folder items, and the text streams that the
// document is written and read through.
#include "support/FileSizeLimit.h"
#include "support/Fixtures.h"

#include "base/Error.h"
#include "base/ErrorText.h"
#include "base/FolderItem.h"
#include "base/TextStreams.h"
#include "framework/FileTypes.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>

#include <functional>
#include <new>
#include <stdexcept>

namespace {

using FilesTest = QuenzTest;

// A limit that no file of the tests comes near.
constexpr qint64 kAnySize = qint64(1) << 40;

// ---- file types

int CountNamed(const QString& name) {
  int n = 0;
  for (const auto& type : fw::RegisteredFileTypes())
    n += type.name == name;
  return n;
}

int PositionOf(const QString& name) {
  const auto& types = fw::RegisteredFileTypes();
  for (std::size_t i = 0; i < types.size(); ++i) {
    if (types[i].name == name) return int(i);
  }
  return -1;
}

TEST_F(FilesTest, RegisteringAFileTypeTakesEffectOnceAndGivesItsName) {
  fw::FileType first;
  first.Name = QStringLiteral("FilesTestFirst");
  first.Extensions = QStringLiteral(".txt; TEXT;;.log");
  fw::FileType second;
  second.Name = QStringLiteral("FilesTestSecond");
  second.Extensions = QStringLiteral("dat");
  EXPECT_EQ(CountNamed(first.Name), 0) << "declaring a type registers nothing";

  const std::size_t before = fw::RegisteredFileTypes().size();
  EXPECT_EQ(first.Register(), first.Name);
  EXPECT_EQ(second.Register(), second.Name);
  // Registering again, even after a change, leaves the registration as it was.
  first.Extensions = QStringLiteral("other");
  EXPECT_EQ(first.Register(), first.Name);
  EXPECT_EQ(second.Register(), second.Name);

  ASSERT_EQ(fw::RegisteredFileTypes().size(), before + 2);
  EXPECT_EQ(PositionOf(first.Name), int(before)) << "in the order of registration, at the end";
  EXPECT_EQ(PositionOf(second.Name), int(before) + 1);
  EXPECT_EQ(fw::FindFileType(first.Name).suffixes,
            QStringList({QStringLiteral("txt"), QStringLiteral("TEXT"), QStringLiteral("log")}));
  EXPECT_EQ(fw::FindFileType(second.Name).suffixes, QStringList({QStringLiteral("dat")}));
  EXPECT_EQ(&fw::FindFileType(second.Name), &fw::RegisteredFileTypes()[before + 1]);
}

TEST_F(FilesTest, ATypeRegisteredAgainUnderItsNameTakesThePlaceOfTheFirst) {
  fw::FileType original;
  original.Name = QStringLiteral("FilesTestAgain");
  original.Extensions = QStringLiteral("one");
  original.Register();
  fw::FileType later;
  later.Name = QStringLiteral("FilesTestAfter");
  later.Register();
  const int place = PositionOf(original.Name);
  const std::size_t count = fw::RegisteredFileTypes().size();

  fw::FileType again;
  again.Name = original.Name;
  again.Extensions = QStringLiteral("two");
  again.Register();
  EXPECT_EQ(fw::RegisteredFileTypes().size(), count);
  EXPECT_EQ(PositionOf(original.Name), place);
  EXPECT_EQ(CountNamed(original.Name), 1);
  EXPECT_EQ(fw::FindFileType(original.Name).suffixes, QStringList({QStringLiteral("two")}));
}

TEST_F(FilesTest, FindingAnUnknownTypeIsAnError) {
  EXPECT_THROW(fw::FindFileType(QStringLiteral("FilesTestNoSuchType")), fw::Error);
  EXPECT_THROW(fw::FindFileType(QString()), fw::Error);
  // Names are exact.
  EXPECT_THROW(fw::FindFileType(QStringLiteral("texttype")), fw::Error);
  EXPECT_NO_THROW(fw::FindFileType(QStringLiteral("TextType")));
}

// ---- folder items

TEST_F(FilesTest, AFolderItemNamesAFileThatNeedNotExist) {
  QDir(PathOf(QString())).mkdir(QStringLiteral("sub"));
  WriteBytes(PathOf(QStringLiteral("sub/doc.TXT")), "x");
  const struct {
    const char* path;
    const char* name;
    bool exists;
    bool directory;
  } cases[] = {
      {"sub/doc.TXT", "doc.TXT", true, false},
      {"sub", "sub", true, true},
      {"sub/missing.png", "missing.png", false, false},
      {"nowhere/missing", "missing", false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const fw::FolderItem item(PathOf(QString::fromLatin1(c.path)));
    EXPECT_EQ(item.Name(), QString::fromLatin1(c.name));
    EXPECT_EQ(item.Exists(), c.exists);
    EXPECT_EQ(item.Directory(), c.directory);
    EXPECT_EQ(item.Path(), QFileInfo(PathOf(QString::fromLatin1(c.path))).absoluteFilePath());
  }
  // A relative path is taken from the current folder.
  const fw::FolderItem relative(QStringLiteral("a/b.txt"));
  EXPECT_TRUE(QFileInfo(relative.Path()).isAbsolute());
  EXPECT_EQ(relative.Path(), QDir::current().absoluteFilePath(QStringLiteral("a/b.txt")));
  EXPECT_EQ(relative.Name(), QStringLiteral("b.txt"));
}

// ---- writing

class TextOutputTest : public QuenzTest {
 protected:
  QString Target() const { return PathOf(QStringLiteral("doc.TXT")); }
  // Everything in the test's folder: a temporary file left behind shows here.
  QStringList Entries() const {
    return QDir(PathOf(QString()))
        .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
  }
};

TEST_F(TextOutputTest, LinesReachTheFileAsUtf8OnlyOnClose) {
  WriteBytes(Target(), "old contents\n");
  auto out = fw::TextOutputStream::Create(fw::FolderItem(Target()));
  out->WriteLine(QStringLiteral("TAVURE"));
  out->WriteLine(QString());
  out->WriteLine(QStringLiteral("背景 é"));
  out->WriteLine(QStringLiteral("one\r\nline\rafter\nall"));  // never split
  EXPECT_EQ(ReadBytes(Target()), "old contents\n") << "the old file stays until Close";
  out->Close();
  const QByteArray written =
      QByteArray("TAVURE\n\n") + QStringLiteral("背景 é\n").toUtf8() + "one line after all\n";
  EXPECT_EQ(ReadBytes(Target()), written);
  EXPECT_EQ(Entries(), QStringList({QStringLiteral("doc.TXT")}));
  EXPECT_NO_THROW(out->Close()) << "closing again does nothing";
  out.reset();
  EXPECT_EQ(ReadBytes(Target()), written);
}

TEST_F(TextOutputTest, AStreamDroppedUnclosedLeavesNothingBehind) {
  {
    auto out = fw::TextOutputStream::Create(fw::FolderItem(Target()));
    out->WriteLine(QStringLiteral("half a document"));
  }
  EXPECT_TRUE(Entries().isEmpty()) << Entries().join(u' ').toStdString();

  WriteBytes(Target(), "old contents\n");
  {
    auto out = fw::TextOutputStream::Create(fw::FolderItem(Target()));
    out->WriteLine(QStringLiteral("half a document"));
  }
  EXPECT_EQ(ReadBytes(Target()), "old contents\n");
  EXPECT_EQ(Entries(), QStringList({QStringLiteral("doc.TXT")}));
}

TEST_F(TextOutputTest, AFileThatCannotBeCreatedIsAnError) {
  QDir(PathOf(QString())).mkdir(QStringLiteral("folder"));
  WriteBytes(PathOf(QStringLiteral("folder/inside")), "kept");
  for (const char* name : {"missing/doc.TXT", "folder"}) {
    SCOPED_TRACE(name);
    try {
      fw::TextOutputStream::Create(fw::FolderItem(PathOf(QString::fromLatin1(name))));
      ADD_FAILURE() << "no error";
    } catch (const fw::Error& e) {
      EXPECT_TRUE(e.Text().contains(fw::FolderItem(PathOf(QString::fromLatin1(name))).Name()))
          << e.what();
    }
  }
  EXPECT_TRUE(QFileInfo(PathOf(QStringLiteral("folder"))).isDir());
  EXPECT_EQ(ReadBytes(PathOf(QStringLiteral("folder/inside"))), "kept");
  EXPECT_EQ(Entries(), QStringList({QStringLiteral("folder")}));
}

TEST_F(TextOutputTest, AWriteThatFailsIsAnErrorOnCloseAndKeepsTheOldFile) {
  WriteBytes(Target(), "old contents\n");
  auto out = fw::TextOutputStream::Create(fw::FolderItem(Target()));
  {
    FileSizeLimit limit(1024);
    ASSERT_TRUE(limit.ok());
    for (int i = 0; i < 200; ++i)
      out->WriteLine(QStringLiteral("a line of the document"));
    EXPECT_THROW(out->Close(), fw::Error);
  }
  EXPECT_EQ(ReadBytes(Target()), "old contents\n");
  EXPECT_EQ(Entries(), QStringList({QStringLiteral("doc.TXT")}));
}

// ---- reading

class TextInputTest : public QuenzTest {
 protected:
  // Every line of the file's bytes, read while Eof is false.
  QStringList LinesOf(const QByteArray& bytes) {
    const QString path = PathOf(QStringLiteral("in.TXT"));
    WriteBytes(path, bytes);
    auto in = fw::TextInputStream::Open(fw::FolderItem(path), kAnySize);
    QStringList lines;
    while (!in->Eof() && lines.size() < 100000)
      lines << in->ReadLine();
    // Past the end: the empty text, and still at the end.
    EXPECT_EQ(in->ReadLine(), QString());
    EXPECT_TRUE(in->Eof());
    in->Close();
    return lines;
  }
};

TEST_F(TextInputTest, EveryKindOfLineEndEndsALine) {
  const QByteArray bom("\xEF\xBB\xBF");
  const struct {
    const char* what;
    QByteArray bytes;
    QStringList lines;
  } cases[] = {
      {"empty file", "", {}},
      {"newlines", "ab\ncd\n", {"ab", "cd"}},
      {"CR LF", "ab\r\ncd\r\n", {"ab", "cd"}},
      {"CR", "ab\rcd\r", {"ab", "cd"}},
      {"mixed", "a\r\n\r\nb\rc\n\nd", {"a", "", "b", "c", "", "d"}},
      {"CR then CR LF", "a\r\r\nb", {"a", "", "b"}},
      {"LF CR is two ends", "a\n\rb", {"a", "", "b"}},
      {"last line without an end", "ab\ncd", {"ab", "cd"}},
      {"one line end", "\n", {""}},
      {"byte order mark", bom + "ab\r\ncd", {"ab", "cd"}},
      {"only a byte order mark", bom, {}},
      {"byte order mark and a line end", bom + "\n", {""}},
      {"UTF-8", QStringLiteral("背景色\nキャラ").toUtf8(), {"背景色", "キャラ"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(LinesOf(c.bytes), c.lines);
  }
}

// A reader takes a byte order mark at the start of a file for no text: text that itself begins
// with U+FEFF (an invisible character, but the user's) still reads back as it was written.
TEST_F(TextInputTest, LinesBeginningWithAByteOrderMarkReadBackAsWritten) {
  const QChar mark(0xFEFF);
  const QStringList cases[] = {
      {QString(mark)},
      {QString(mark) + mark + QStringLiteral("AB"), QStringLiteral("255:255:255")},
      {QStringLiteral("AB"), QString(mark) + QStringLiteral("x")},
      {QString(), QString(mark)},
  };
  for (const QStringList& lines : cases) {
    SCOPED_TRACE(lines.join(u'|').toStdString());
    const QString path = PathOf(QStringLiteral("marks.TXT"));
    auto out = fw::TextOutputStream::Create(fw::FolderItem(path));
    for (const QString& line : lines)
      out->WriteLine(line);
    out->Close();
    EXPECT_EQ(LinesOf(ReadBytes(path)), lines);
  }
}

TEST_F(TextInputTest, ALineLongerThanOneReadChunkComesWhole) {
  const QByteArray longLine(3 * 65536 + 17, 'x');
  EXPECT_EQ(LinesOf(longLine + "\nend"), QStringList({QString::fromLatin1(longLine), "end"}));
  EXPECT_EQ(LinesOf("\xEF\xBB\xBF" + longLine), QStringList({QString::fromLatin1(longLine)}));

  // Whatever the stream reads at a time, a piece of a line at the end of a read goes on in the
  // next: the file is cut at every likely size of a read.
  for (const int cut : {512, 1024, 2048, 4096, 65536}) {
    SCOPED_TRACE(cut);
    const QByteArray head(cut - 1, 'a');
    // A line end over two reads is still one line end.
    EXPECT_EQ(LinesOf(head + "\r\nb\n"), QStringList({QString::fromLatin1(head), "b"}));
    EXPECT_EQ(LinesOf(head + "\r\rb"), QStringList({QString::fromLatin1(head), "", "b"}));
    // As is a character whose bytes straddle the reads.
    EXPECT_EQ(LinesOf(head + QStringLiteral("背\n").toUtf8()),
              QStringList({QString::fromLatin1(head) + QStringLiteral("背")}));
    // A file that ends exactly where a read ends.
    EXPECT_EQ(LinesOf(head + "\n"), QStringList({QString::fromLatin1(head)}));
  }
}

TEST_F(TextInputTest, EofComesWithTheLastLine) {
  const QString path = PathOf(QStringLiteral("in.TXT"));
  WriteBytes(path, "one\r\ntwo\r\n");
  auto in = fw::TextInputStream::Open(fw::FolderItem(path), kAnySize);
  EXPECT_FALSE(in->Eof());
  EXPECT_FALSE(in->Eof()) << "asking does not consume";
  EXPECT_EQ(in->ReadLine(), QStringLiteral("one"));
  EXPECT_FALSE(in->Eof());
  EXPECT_EQ(in->ReadLine(), QStringLiteral("two"));
  EXPECT_TRUE(in->Eof());
}

TEST_F(TextInputTest, OnlyARegularFileWithinTheLimitIsOpened) {
  QDir(PathOf(QString())).mkdir(QStringLiteral("folder"));
  ASSERT_EQ(mkfifo(QFile::encodeName(PathOf(QStringLiteral("pipe"))).constData(), 0600), 0);
  WriteBytes(PathOf(QStringLiteral("ten")), "0123456789");
  const struct {
    const char* name;
    qint64 limit;
    const char* refusal;  // nullptr: opened; "": an error, not a refusal
    const char* text;     // of the error
  } cases[] = {
      {"ten", 10, nullptr, nullptr},
      {"ten", 9, "at 10 bytes it is larger than 9 bytes, the most that is read", "was not read"},
      {"folder", kAnySize, "it is a folder", "was not read"},
      {"pipe", kAnySize, "it is a named pipe (FIFO), not a file", "was not read"},
      {"missing", kAnySize, "", "could not be opened: No such file or directory"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QString name = QString::fromLatin1(c.name);
    try {
      auto in = fw::TextInputStream::Open(fw::FolderItem(PathOf(name)), c.limit);
      EXPECT_FALSE(c.refusal) << "opened";
      EXPECT_EQ(in->ReadLine(), QStringLiteral("0123456789"));
    } catch (const fw::RefusedFile& e) {
      ASSERT_TRUE(c.refusal && *c.refusal) << e.what();
      EXPECT_EQ(e.Reason(), QString::fromLatin1(c.refusal));
      EXPECT_TRUE(e.Text().startsWith(u'“' + name + u'”')) << e.what();
      EXPECT_TRUE(e.Text().contains(QString::fromLatin1(c.text))) << e.what();
    } catch (const fw::Error& e) {
      ASSERT_TRUE(c.refusal && !*c.refusal) << e.what();
      EXPECT_EQ(e.Text(), u'“' + name + QStringLiteral("” ") + QString::fromLatin1(c.text));
    }
  }
}

TEST_F(TextInputTest, AFileThatGrowsPastItsLimitIsAnErrorOnReading) {
  const QString path = PathOf(QStringLiteral("growing"));
  WriteBytes(path, "AB\n");
  auto in = fw::TextInputStream::Open(fw::FolderItem(path), 100);
  {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(QByteArray(200, 'x'));
  }
  try {
    in->ReadLine();
    ADD_FAILURE() << "read past the limit";
  } catch (const fw::Error& e) {
    EXPECT_EQ(e.Text(),
              QStringLiteral("“growing” could not be read: it has grown past 100 bytes, the most "
                             "that is read"));
  }
}

// ---- failures in plain words

TEST_F(FilesTest, AFailureThatIsNoErrorIsNamedForItsFile) {
  const struct {
    const char* what;
    std::function<void()> fail;
    const char* text;
  } cases[] = {
      {"memory", [] { throw std::bad_alloc(); },
       "“doc.TXT” could not be opened: there is not enough memory for it"},
      {"a size beyond reach", [] { throw std::length_error("vector::_M_default_append"); },
       "“doc.TXT” could not be opened: there is not enough memory for it"},
      {"the system's words", [] { throw std::runtime_error("Input/output error"); },
       "“doc.TXT” could not be opened: Input/output error"},
      {"a fault of the program", [] { throw std::out_of_range("vector::_M_range_check"); },
       "“doc.TXT” could not be opened: something unexpected went wrong in the program"},
      {"an Error, which says enough", [] { throw fw::Error(QStringLiteral("its own words")); },
       "its own words"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      fw::NamingFailures(QStringLiteral("doc.TXT"), fw::FileAction::Open, c.fail);
      ADD_FAILURE() << "no error";
    } catch (const fw::Error& e) {
      EXPECT_EQ(e.Text(), QString::fromUtf8(c.text));
    }
  }
}

}  // namespace
