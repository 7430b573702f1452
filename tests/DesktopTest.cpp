// What an install tells the desktop: a valid desktop entry, and a document type of the program's
// own, so that "Open with" offers the program for its documents and not for every text file.
// The checks ask the desktop's own tools, on a fresh install into a temporary folder.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Result {
  int exitCode = -1;
  QString output;
};

class DesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"update-mime-database", "desktop-file-validate", "gio"}) {
      if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
        GTEST_SKIP() << tool << " is not installed";
      }
    }
    ASSERT_TRUE(dir_.isValid());
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("home")));
    const Result install = Run(QStringLiteral(QUENZ_CMAKE_COMMAND),
                               {QStringLiteral("--install"), QStringLiteral(QUENZ_BINARY_DIR),
                                QStringLiteral("--prefix"), Prefix()});
    ASSERT_EQ(install.exitCode, 0) << install.output.toStdString();
  }

  QString Prefix() const { return dir_.filePath(QStringLiteral("prefix")); }

  // Runs a tool as the desktop would, seeing the install and the system's own types, and
  // nothing of this user's settings.
  Result Run(const QString& program, const QStringList& arguments) const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DESTDIR"));
    env.insert(QStringLiteral("PATH"),
               Prefix() + QStringLiteral("/bin:") + env.value(QStringLiteral("PATH")));
    env.insert(QStringLiteral("XDG_DATA_DIRS"), Prefix() + QStringLiteral("/share:/usr/share"));
    const QString home = dir_.filePath(QStringLiteral("home"));
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS"})
      env.insert(QString::fromLatin1(name), home);
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(dir_.path());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(60000)) return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAll())};
  }

  QString TypeOf(const QString& fileName) const {
    QFile file(dir_.filePath(fileName));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("TAVURE\n255:255:255\n");
    file.close();
    const Result info =
        Run(QStringLiteral("gio"), {QStringLiteral("info"), QStringLiteral("-a"),
                                    QStringLiteral("standard::content-type"), file.fileName()});
    const qsizetype at = info.output.indexOf(QStringLiteral("content-type: "));
    return at < 0 ? info.output : info.output.mid(at + 14).trimmed();
  }

 private:
  QTemporaryDir dir_;
};

// One test for the whole install: installs running side by side would share the build's
// record of what it installed.
TEST_F(DesktopTest, TheProgramIsOfferedForItsOwnDocumentsOnly) {
  const Result check =
      Run(QStringLiteral("desktop-file-validate"),
          {Prefix() + QStringLiteral("/share/applications/quenz-logo-maker.desktop")});
  EXPECT_EQ(check.exitCode, 0);
  EXPECT_EQ(check.output.toStdString(), "") << "no warning either";

  const struct {
    const char* name;
    const char* type;
  } files[] = {
      {"TAVURE.TXT", "text/x-quenz-logo"}, {"Go 2.TXT", "text/x-quenz-logo"},
      {"shopping.txt", "text/plain"},  // a text file of the user's
      {"Notes.Txt", "text/plain"},         {"TAVURE.PNG", "image/png"},
  };
  for (const auto& f : files) {
    SCOPED_TRACE(f.name);
    EXPECT_EQ(TypeOf(QString::fromLatin1(f.name)).toStdString(), f.type);
  }

  const Result own =
      Run(QStringLiteral("gio"), {QStringLiteral("mime"), QStringLiteral("text/x-quenz-logo")});
  EXPECT_TRUE(own.output.contains(QStringLiteral(": quenz-logo-maker.desktop")))
      << own.output.toStdString();
  const Result text =
      Run(QStringLiteral("gio"), {QStringLiteral("mime"), QStringLiteral("text/plain")});
  EXPECT_FALSE(text.output.contains(QStringLiteral("quenz-logo-maker")))
      << text.output.toStdString();

  // A kind of plain text, so that the desktop offers text editors for the documents too.
  QFile subclasses(Prefix() + QStringLiteral("/share/mime/subclasses"));
  ASSERT_TRUE(subclasses.open(QIODevice::ReadOnly));
  EXPECT_TRUE(subclasses.readAll().contains("text/x-quenz-logo text/plain\n"));
}

}  // namespace
