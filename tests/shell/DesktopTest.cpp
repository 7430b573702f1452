// What an install tells the desktop: a valid desktop entry that offers the program for plain
// text, as office programs are offered, and takes no file from the default program that the user
// or the system names. Where nothing names one, the desktop takes the first program that lists
// the type, in the order of the data folders: the program, when its folder comes first (as
// /usr/local/share comes before /usr/share). The checks ask the desktop's own tools, on a fresh
// install into a temporary folder, with a text editor installed as a distribution installs it.
#include "support/Processes.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace {

class DesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"desktop-file-validate", "update-desktop-database", "gio"}) {
      if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
        GTEST_SKIP() << tool << " is not installed";
      }
    }
    ASSERT_TRUE(dir_.isValid());
    ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("home")));
    ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("system/applications")));
    // The system's types, and nothing of the machine's own programs or defaults.
    ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("types")));
    ASSERT_TRUE(QFile::link(QStringLiteral("/usr/share/mime"), Types() + QStringLiteral("/mime")));
    dataDirs_ = {Prefix() + QStringLiteral("/share"), System(), Types()};
    const ProcessResult install =
        Run(QStringLiteral(QUENZ_CMAKE_COMMAND),
            {QStringLiteral("--install"), QStringLiteral(QUENZ_BINARY_DIR),
             QStringLiteral("--prefix"), Prefix()});
    ASSERT_EQ(install.exitCode, 0) << install.output.toStdString();
    InstallTextEditor();
  }

  QString Prefix() const { return dir_.filePath(QStringLiteral("prefix")); }
  QString Home() const { return dir_.filePath(QStringLiteral("home")); }
  // Where the distribution installs programs (as /usr/share).
  QString System() const { return dir_.filePath(QStringLiteral("system")); }
  QString Types() const { return dir_.filePath(QStringLiteral("types")); }
  QString Opened() const { return dir_.filePath(QStringLiteral("opened")); }

  // A text editor installed as a distribution installs it, its folder's cache brought up to
  // date: it notes each file that it is given to open.
  void InstallTextEditor() {
    const QString editor = dir_.filePath(QStringLiteral("editor"));
    WriteFile(editor, "#!/bin/sh\nprintf '%s\\n' \"$@\" >>'" + Opened().toUtf8() + "'\n");
    ASSERT_TRUE(
        QFile::setPermissions(editor, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    WriteFile(System() + QStringLiteral("/applications/test-editor.desktop"),
              "[Desktop Entry]\nType=Application\nName=Test Editor\nExec=" + editor.toUtf8() +
                  " %f\nMimeType=text/plain;\n");
    const ProcessResult cache = Run(QStringLiteral("update-desktop-database"),
                                    {System() + QStringLiteral("/applications")});
    ASSERT_EQ(cache.exitCode, 0) << cache.output.toStdString();
  }

  // Where the default for plain text is named: in the user's settings, in the system's (the
  // distribution's), or nowhere.
  enum class NamedBy { User, System, Nobody };
  void NameTheEditorDefault(NamedBy where) const {
    const QByteArray list = "[Default Applications]\ntext/plain=test-editor.desktop\n";
    const QString user = Home() + QStringLiteral("/mimeapps.list");
    const QString system = System() + QStringLiteral("/applications/mimeapps.list");
    QFile::remove(user);
    QFile::remove(system);
    if (where == NamedBy::User) WriteFile(user, list);
    if (where == NamedBy::System) WriteFile(system, list);
  }

  static void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
  }

  // Runs a tool as the desktop would, seeing the install, the system's own types and the test
  // user's settings, and nothing of the real user's.
  ProcessResult Run(const QString& program, const QStringList& arguments) const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DESTDIR"));
    env.insert(QStringLiteral("PATH"),
               Prefix() + QStringLiteral("/bin:") + env.value(QStringLiteral("PATH")));
    env.insert(QStringLiteral("XDG_DATA_DIRS"), dataDirs_.join(u':'));
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS"})
      env.insert(QString::fromLatin1(name), Home());
    env.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("X-Test"));
    return RunProcess(program, arguments, env, dir_.path());
  }

  QString Gio(const QStringList& arguments) const {
    return Run(QStringLiteral("gio"), arguments).output;
  }

  // The program that the desktop opens plain text with, as its desktop entry's name.
  QString DefaultForText() const {
    const QString text = Gio({QStringLiteral("mime"), QStringLiteral("text/plain")});
    const QString line = text.section(u'\n', 0, 0);
    return line.startsWith(QStringLiteral("Default application")) ? line.section(u' ', -1) : text;
  }

  // A document of the program's, under that name.
  QString Document(const char* name) const {
    const QString path = dir_.filePath(QString::fromLatin1(name));
    WriteFile(path, "TAVURE\n255:255:255\n");
    return path;
  }

  QString TypeOf(const QString& path) const {
    const QString info = Gio({QStringLiteral("info"), QStringLiteral("-a"),
                              QStringLiteral("standard::content-type"), path});
    const qsizetype at = info.indexOf(QStringLiteral("content-type: "));
    return at < 0 ? info : info.mid(at + 14).trimmed();
  }

  // The files that the editor was given, once it has noted as many as expected.
  QStringList OpenedInEditor(int expected) const {
    QElapsedTimer clock;
    clock.start();
    QStringList lines;
    do {
      QFile file(Opened());
      if (file.open(QIODevice::ReadOnly)) {
        lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
      }
      if (lines.size() >= expected) break;
      QThread::msleep(20);
    } while (clock.elapsed() < 10000);
    return lines;
  }

  QStringList dataDirs_;  // that the tools see, in the order of their precedence

 private:
  QTemporaryDir dir_;
};

// One test for the whole install: installs running side by side would share the build's
// record of what it installed.
TEST_F(DesktopTest, TheProgramIsOfferedForPlainTextAndIsItsDefaultOnlyWhereNoneIsNamed) {
  const ProcessResult check =
      Run(QStringLiteral("desktop-file-validate"),
          {Prefix() + QStringLiteral("/share/applications/quenz-logo-maker.desktop")});
  EXPECT_EQ(check.exitCode, 0);
  EXPECT_EQ(check.output.toStdString(), "") << "no warning either";

  // The program brings no type of its own: a name in capitals is plain text like any other.
  const QStringList documents = {Document("README.TXT"), Document("TAVURE.TXT")};
  for (const char* name : {"README.TXT", "TAVURE.TXT", "Notes.Txt", "shopping.txt"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(TypeOf(Document(name)), QStringLiteral("text/plain"));
  }
  EXPECT_FALSE(QDir(Prefix() + QStringLiteral("/share/mime")).exists());

  NameTheEditorDefault(NamedBy::User);
  const QString text = Gio({QStringLiteral("mime"), QStringLiteral("text/plain")});
  EXPECT_TRUE(text.contains(QStringLiteral(": test-editor.desktop")))
      << "the user's default stays the default\n"
      << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("quenz-logo-maker.desktop")))
      << "offered among the programs for plain text\n"
      << text.toStdString();

  // Opening a document as the desktop does hands it to the user's editor, never to the program.
  for (const QString& path : documents)
    Gio({QStringLiteral("open"), path});
  EXPECT_EQ(OpenedInEditor(2), documents);

  // What the README says of the default for plain text, case by case.
  const QString program = Prefix() + QStringLiteral("/share");
  const struct {
    const char* where;
    NamedBy named;
    QStringList dataDirs;
    QString expected;
  } kDefaults[] = {
      {"named by the system",
       NamedBy::System,
       {program, System(), Types()},
       QStringLiteral("test-editor.desktop")},
      {"named nowhere, the program's folder first",
       NamedBy::Nobody,
       {program, System(), Types()},
       QStringLiteral("quenz-logo-maker.desktop")},
      {"named nowhere, the editor's folder first",
       NamedBy::Nobody,
       {System(), program, Types()},
       QStringLiteral("test-editor.desktop")},
  };
  for (const auto& c : kDefaults) {
    SCOPED_TRACE(c.where);
    NameTheEditorDefault(c.named);
    dataDirs_ = c.dataDirs;
    EXPECT_EQ(DefaultForText(), c.expected);
  }
}

}  // namespace
