// The program from start-up to shut-down: the first window, the windows that documents go into,
// File > New and File > Open, and the globals that shut-down lets go of.
#include "support/Fixtures.h"
#include "support/Processes.h"
#include "support/TestMain.h"

#include "base/FolderItem.h"
#include "editor/FileTypes1.h"
#include "editor/Module1.h"
#include "framework/Application.h"
#include "framework/FileTypes.h"
#include "framework/Guard.h"
#include "framework/Runtime.h"
#include "framework/WindowList.h"
#include "shell/App.h"
#include "shell/MainMenuBar.h"
#include "shell/Startup.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMetaObject>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>

namespace {

const QString kText = QStringLiteral("TextType");

std::vector<std::shared_ptr<QuenzWin>> Windows() {
  std::vector<std::shared_ptr<QuenzWin>> windows;
  for (const auto& window : fw::OpenWindows())
    if (auto w = std::dynamic_pointer_cast<QuenzWin>(window)) windows.push_back(w);
  return windows;
}

std::shared_ptr<QuenzWin> FirstWindow() {
  const auto app = App::Instance();
  return app ? app->mW : nullptr;
}

bool IsShown(const std::shared_ptr<QuenzWin>& w) {
  const auto windows = Windows();
  return std::find(windows.begin(), windows.end(), w) != windows.end();
}

// The texts of the open windows, in any order.
QStringList Texts() {
  QStringList texts;
  for (const auto& w : Windows())
    texts << w->LogoTF().Text();
  texts.sort();
  return texts;
}

// A test of the program's start-up and shut-down leaves nothing of the program behind: no
// application object, window or module global reaches the next test of the process.
class ProgramTest : public ::testing::Test {
 protected:
  void TearDown() override {
    CloseAllWindows();
    fw::RegisterAppObject(nullptr);
    RuntimePerformFinalizers();
    Flush();
    Script().Reset();
  }
};

class AppTest : public ProgramTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    Script().Reset();
  }

  QString PathOf(const QString& name) const { return dir_.filePath(name); }

  // A document whose logo is text, drawn in black on white at the default places.
  QString Document(const QString& name, const QByteArray& text) {
    const QString path = PathOf(name);
    WriteBytes(path, text + "\n255:255:255\n");
    return path;
  }

  // Runs the program as main does, with the documents that the desktop hands over at launch.
  // Once ready() holds (the start-up documents have been read), whileRunning acts as the user;
  // then every window is closed, which ends the program.
  void Run(
      const QStringList& documents, const std::function<void()>& whileRunning,
      const std::function<bool()>& ready = [] { return true; }) {
    fw::SetStartupDocuments(documents);
    RuntimePerformInitializers();
    bool ran = false;
    QTimer user;
    QElapsedTimer waited;
    waited.start();
    QObject::connect(&user, &QTimer::timeout, [&] {
      if (!FirstWindow() || (!ready() && waited.elapsed() < 10000)) return;
      user.stop();
      whileRunning();
      ran = true;
      CloseAllWindows();
      if (!Windows().empty()) fw::Quit();
    });
    user.start(10);
    Main();
    user.stop();
    EXPECT_TRUE(ran) << "the program ended before the user could act";
    EXPECT_TRUE(Script().Done()) << "a dialog that the test expected did not come";
    RuntimePerformFinalizers();
  }

  void OpenThroughMenu(const QString& path) {
    Script().ExpectOpen(kText, path);
    fw::ChooseMenuItem(QStringLiteral("FileOpen"));
    EXPECT_TRUE(Script().Done());
  }

 private:
  QTemporaryDir dir_;
};

TEST_F(AppTest, StartsWithOneUntouchedFirstWindowAndTheSharedMenuBar) {
  Run({}, [] {
    const auto app = App::Instance();
    ASSERT_TRUE(app);
    EXPECT_EQ(app->MenuBar(), MainMenuBar::Instance());
    const auto windows = Windows();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows[0], app->mW);
    EXPECT_TRUE(app->mW->mNoChange);
    EXPECT_FALSE(app->mW->mDuty);
    EXPECT_EQ(app->mW->LogoTF().Text(), QStringLiteral("TAVURE"));
    EXPECT_EQ(app->mW->MenuBar(), MainMenuBar::Instance());
    EXPECT_EQ(Module1::gMoji.size(), 36u);
  });
}

// A path that names nothing (no file, a loop of symbolic links) is told, in order, and opens no
// window; a folder is ignored.
TEST_F(AppTest, DocumentsAtLaunchGoIntoTheFirstWindowThenIntoNewOnes) {
  const QString a = Document(QStringLiteral("a.TXT"), "AAA");
  const QString b = Document(QStringLiteral("b.TXT"), "BBB");
  ASSERT_TRUE(QDir(PathOf(QString())).mkdir(QStringLiteral("folder.TXT")));
  const QString missing = PathOf(QStringLiteral("missing.TXT"));
  const QString loop = PathOf(QStringLiteral("loop.TXT"));
  ASSERT_EQ(symlink("loop.TXT", QFile::encodeName(loop).constData()), 0);
  Script().ExpectMessage(
      QStringLiteral("“%1” could not be opened: No such file or directory").arg(missing),
      fw::MessageButton::Action);
  Script().ExpectMessage(
      QStringLiteral("“%1” could not be opened: Too many levels of symbolic links").arg(loop),
      fw::MessageButton::Action);
  const QStringList launch = {a, PathOf(QStringLiteral("folder.TXT")), missing, loop, b};
  Run(
      launch,
      [&] {
        const auto first = FirstWindow();
        ASSERT_TRUE(first);
        EXPECT_EQ(first->LogoTF().Text(), QStringLiteral("AAA"));
        ASSERT_TRUE(first->mFile.item);
        EXPECT_EQ(first->mFile.item->Path(), a);
        EXPECT_FALSE(first->mNoChange);
        EXPECT_EQ(Texts(), (QStringList{QStringLiteral("AAA"), QStringLiteral("BBB")}));
      },
      [] { return Windows().size() == 2 && Script().Done(); });
}

TEST_F(AppTest, OneDocumentAtLaunchMakesNoSecondWindow) {
  const QString a = Document(QStringLiteral("a.TXT"), "AAA");
  Run(
      {a},
      [] {
        ASSERT_EQ(Windows().size(), 1u);
        EXPECT_EQ(Windows()[0], FirstWindow());
        EXPECT_EQ(FirstWindow()->LogoTF().Text(), QStringLiteral("AAA"));
      },
      [] { return FirstWindow()->mFile.item != nullptr; });
}

TEST_F(AppTest, FileNewMakesAWindowThatIsNeverReused) {
  const QString a = Document(QStringLiteral("a.TXT"), "AAA");
  const QString b = Document(QStringLiteral("b.TXT"), "BBB");
  Run({}, [&] {
    const auto first = FirstWindow();
    fw::ChooseMenuItem(QStringLiteral("FileNew"));
    auto windows = Windows();
    ASSERT_EQ(windows.size(), 2u);
    const auto made = windows[0] == first ? windows[1] : windows[0];
    EXPECT_EQ(FirstWindow(), first);
    EXPECT_FALSE(made->mNoChange);
    EXPECT_FALSE(made->mDuty);

    OpenThroughMenu(a);
    EXPECT_EQ(first->LogoTF().Text(), QStringLiteral("AAA"));
    OpenThroughMenu(b);
    EXPECT_EQ(made->LogoTF().Text(), QStringLiteral("TAVURE"));
    EXPECT_EQ(FirstWindow(), first);
    EXPECT_EQ(Texts(), (QStringList{QStringLiteral("AAA"), QStringLiteral("BBB"),
                                    QStringLiteral("TAVURE")}));
  });
}

TEST_F(AppTest, AnyChangeInTheFirstWindowSendsTheNextDocumentToANewWindow) {
  const QString a = Document(QStringLiteral("a.TXT"), "AAA");
  const struct {
    const char* change;
    std::function<void(QuenzWin&)> make;
  } kChanges[] = {
      {"typing", [](QuenzWin& w) { QTest::keyClicks(&w.LogoTF().Widget(), "X"); }},
      {"a position step",
       [](QuenzWin& w) { QTest::mouseClick(&w.PosBB(1).Widget(), Qt::LeftButton); }},
      {"a colour",
       [](QuenzWin& w) {
         Script().ExpectColor(QStringLiteral("背景色を選んで下さい"), fw::RGB(1, 2, 3));
         QTest::mouseClick(&w.BKColorRT().Widget(), Qt::LeftButton);
       }},
  };
  for (const auto& c : kChanges) {
    SCOPED_TRACE(c.change);
    Run({}, [&] {
      const auto first = FirstWindow();
      const QString before = first->LogoTF().Text();
      c.make(*first);
      EXPECT_FALSE(first->mNoChange);
      OpenThroughMenu(a);
      ASSERT_EQ(Windows().size(), 2u);
      EXPECT_NE(first->LogoTF().Text(), QStringLiteral("AAA"));
      EXPECT_TRUE(first->mDuty) << "the change is still there to be saved";
      EXPECT_TRUE(Texts().contains(QStringLiteral("AAA")));
    });
  }
}

// An open-document request lets the events pending at its arrival run first: a key typed into
// the untouched first window just before the request makes it touched, so the document goes
// into a window of its own and the typing stays.
TEST_F(AppTest, AnOpenDocumentRequestLetsThePendingEventsRunFirst) {
  const QString a = Document(QStringLiteral("a.TXT"), "AAA");
  Run({}, [&] {
    const auto first = FirstWindow();
    ASSERT_TRUE(first->mNoChange);
    QLineEdit* edit = &first->LogoTF().Edit();
    QMetaObject::invokeMethod(
        edit, [edit] { QTest::keyClick(edit, Qt::Key_X); }, Qt::QueuedConnection);
    App::Instance()->Event_OpenDocument(std::make_shared<fw::FolderItem>(a));
    EXPECT_EQ(first->LogoTF().Text(), QStringLiteral("TAVUREx"));
    EXPECT_EQ(Texts(), (QStringList{QStringLiteral("AAA"), QStringLiteral("TAVUREx")}));
  });
}

TEST_F(AppTest, ACancelledOpenDialogLeavesEveryWindowAsItWas) {
  Run({}, [&] {
    OpenThroughMenu(QString());
    ASSERT_EQ(Windows().size(), 1u);
    EXPECT_TRUE(FirstWindow()->mNoChange);
    EXPECT_EQ(FirstWindow()->LogoTF().Text(), QStringLiteral("TAVURE"));
  });
}

TEST_F(AppTest, AClosedUntouchedFirstWindowTakesTheNextDocumentAndShowsAgain) {
  const QString a = Document(QStringLiteral("a.TXT"), "AAA");
  Run({}, [&] {
    const auto first = FirstWindow();
    fw::ChooseMenuItem(QStringLiteral("FileNew"));  // keeps the program running
    fw::ChooseMenuItem(QStringLiteral("FileClose"), first.get());
    Flush();
    ASSERT_FALSE(IsShown(first));
    EXPECT_TRUE(first->mNoChange);

    OpenThroughMenu(a);
    Flush();
    EXPECT_TRUE(IsShown(first));
    EXPECT_TRUE(first->IsOpen());
    EXPECT_EQ(first->LogoTF().Text(), QStringLiteral("AAA"));
    EXPECT_EQ(Windows().size(), 2u);
    // It works as a window again: a change asks before it closes.
    QTest::keyClicks(&first->LogoTF().Widget(), "B");
    EXPECT_TRUE(first->mDuty);
    Script().ExpectMessage(QStringLiteral("save changes"), fw::MessageButton::Alternate);
    fw::ChooseMenuItem(QStringLiteral("FileClose"), first.get());
    EXPECT_FALSE(first->IsOpen());
  });
}

TEST_F(AppTest, WhatIsNoDocumentIsRefusedOnEveryWayInAndNothingIsLost) {
  const QString pipe = PathOf(QStringLiteral("pipe.TXT"));
  ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
  const QString huge = PathOf(QStringLiteral("huge.TXT"));
  {
    QFile file(huge);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(qint64(1) << 30));
  }
  const QString a = Document(QStringLiteral("a.TXT"), "AAA");
  const auto expectRefusal = [](const char* name, const char* reason) {
    Script().ExpectMessage(QStringLiteral("“%1” is not a logo document: %2")
                               .arg(QString::fromLatin1(name), QString::fromLatin1(reason)),
                           fw::MessageButton::Action);
  };

  // At launch each refusal is told, and the first window, still untouched, takes the document
  // that comes after them.
  expectRefusal("pipe.TXT", "it is a named pipe");
  expectRefusal("huge.TXT", "at 1,073,741,824 bytes it is larger than 16 MiB");
  expectRefusal("zero", "it is a device");
  Run(
      {pipe, huge, QStringLiteral("/dev/zero"), a},
      [&] {
        const auto first = FirstWindow();
        ASSERT_EQ(Windows().size(), 1u);
        EXPECT_EQ(first->LogoTF().Text(), QStringLiteral("AAA"));

        // With work in the window, the same files through File > Open and from the desktop.
        QTest::keyClicks(&first->LogoTF().Widget(), "B");
        for (const QString& path : {pipe, huge}) {
          SCOPED_TRACE(path.toStdString());
          Script().ExpectOpen(kText, path);
          expectRefusal(path == pipe ? "pipe.TXT" : "huge.TXT", "");
          fw::ChooseMenuItem(QStringLiteral("FileOpen"));
          expectRefusal(path == pipe ? "pipe.TXT" : "huge.TXT", "");
          fw::Guard(
              [&] { App::Instance()->Event_OpenDocument(std::make_shared<fw::FolderItem>(path)); });
          EXPECT_TRUE(Script().Done());
        }
        EXPECT_EQ(Windows().size(), 1u);
        EXPECT_EQ(first->LogoTF().Text(), QStringLiteral("AAAB"));
        EXPECT_TRUE(first->mDuty);
        EXPECT_EQ(first->mFile.item->Path(), a);
      },
      [] { return FirstWindow()->mFile.item != nullptr; });
}

TEST_F(AppTest, TheShortcutsForNewAndOpenReachTheApplication) {
  const QString a = Document(QStringLiteral("a.TXT"), "AAA");
  Run({}, [&] {
    const auto first = FirstWindow();
    QWidget* frame = first->LogoTF().Widget().window();
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
    QTest::keyClick(frame, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(Windows().size(), 2u);
    first->LogoTF().Widget().window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
    Script().ExpectOpen(kText, a);
    QTest::keyClick(frame, Qt::Key_O, Qt::ControlModifier);
    EXPECT_TRUE(Script().Done());
    EXPECT_EQ(first->LogoTF().Text(), QStringLiteral("AAA"));
  });
}

TEST_F(AppTest, QuitEndsTheProgramAndShutDownReleasesTheSixGlobalsInOrder) {
  fw::SetStartupDocuments({});
  RuntimePerformInitializers();
  QTimer::singleShot(50, [] { fw::ChooseMenuItem(QStringLiteral("FileQuit")); });
  Main();
  EXPECT_TRUE(Windows().empty());
  ASSERT_TRUE(FileTypes1::pTextType);
  ASSERT_TRUE(implicitInstance);
  const std::weak_ptr<fw::MenuBar> bar = implicitInstance;

  std::vector<std::string> names;
  for (const ModuleFinalizer& f : kModuleFinalizers)
    names.emplace_back(f.global);
  EXPECT_EQ(names, (std::vector<std::string>{"pJPEGTYPE", "pPNGTYPE", "pTextType", "pTIFFTYPE",
                                             "implicitInstance", "gMoji"}));
  RuntimePerformFinalizers();
  EXPECT_FALSE(FileTypes1::pJPEGTYPE || FileTypes1::pPNGTYPE || FileTypes1::pTextType ||
               FileTypes1::pTIFFTYPE || implicitInstance);
  EXPECT_TRUE(Module1::gMoji.empty());
  EXPECT_TRUE(App::Instance()) << "the application object is not a module global";
  // The bar is still held by the application object.
  EXPECT_EQ(bar.lock(), App::Instance()->MenuBar());
  RuntimePerformFinalizers();  // a second release does nothing
}

using StartupTest = ProgramTest;

TEST_F(StartupTest, EarlyStartupPutsEverythingInPlaceButTheGlyphsAndWindows) {
  RuntimePerformInitializers();
  EXPECT_FALSE(App::Instance());
  EarlyStartup();
  const auto app = App::Instance();
  ASSERT_TRUE(app);
  EXPECT_EQ(app->MenuBar(), MainMenuBar::Instance());
  EXPECT_TRUE(app->HasMenuHandler(QStringLiteral("FileNew")));
  EXPECT_TRUE(app->HasMenuHandler(QStringLiteral("FileOpen")));
  EXPECT_FALSE(app->mW);
  EXPECT_TRUE(Module1::gMoji.empty());
  EXPECT_TRUE(fw::OpenWindows().empty());
  EXPECT_TRUE(fw::Application::SupportsHiDPI());
  // The program's four types, in this order (the registry is the process's: the file tests may
  // have registered types of their own before).
  const QStringList program{QStringLiteral("TIFFTYPE"), QStringLiteral("PNGTYPE"),
                            QStringLiteral("JPEGTYPE"), QStringLiteral("TextType")};
  QStringList names;
  for (const auto& type : fw::RegisteredFileTypes())
    if (program.contains(type.name)) names << type.name;
  EXPECT_EQ(names, program);
  RuntimePerformFinalizers();
}

// A failed start-up stays failed for the rest of the process: the test runs in one of its own.
TEST_F(StartupTest, AFailureThatEscapesStartUpIsReportedAndEndsWithAFailingStatus) {
  if (!InChildProcess()) {
    EXPECT_TRUE(PassesInAChildProcess());
    return;
  }
  const fw::Runtime& runtime = TestProgramRuntime();
  EXPECT_EQ(runtime.Exit(), 0);
  Script().ExpectMessage(QStringLiteral("no glyph sheet"), fw::MessageButton::Action);
  fw::UnhandledException(std::make_exception_ptr(fw::Error(QStringLiteral("no glyph sheet"))));
  EXPECT_TRUE(Script().Done());
  EXPECT_EQ(runtime.Exit(), 1);
}

}  // namespace
