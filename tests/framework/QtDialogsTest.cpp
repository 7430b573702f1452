// The dialogs that users see: Qt's message box, file dialogs and colour picker, in the user's
// language, titled with the program's name, over the window they belong to, and the colour
// picker confirmed with Shift or Alt held.
#include "support/Fixtures.h"

#include "base/FolderItem.h"
#include "editor/Module1.h"
#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "framework/QtDialogs.h"
#include "framework/Runtime.h"
#include "framework/WindowList.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QLocale>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <vector>

namespace {

const QString kProgram = QStringLiteral("Quenz Logo Maker");

// Shows the program's real dialogs, in Japanese, and answers each one from the test as it comes
// up, through its widgets.
class QtDialogsTest : public QuenzTest {
 protected:
  void SetUp() override {
    QuenzTest::SetUp();
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    fw::RunFrameworkInitialization(nullptr);
    fw::Application::SetDisplayName(kProgram);
    fw::SetDialogProvider(fw::MakeQtDialogs());
    poll_.setInterval(10);
    QObject::connect(&poll_, &QTimer::timeout, [this] { AnswerIfShown(); });
  }
  void TearDown() override {
    poll_.stop();
    EXPECT_TRUE(answers_.empty()) << "a dialog that the test expected did not come";
    fw::SetDialogProvider(SharedScript());
    // The next test of the process meets the language that this one found, and no translation.
    QLocale::setDefault(outerLocale_);
    fw::InstallTranslations(QLocale::c());  // the tests read the texts as written
    QuenzTest::TearDown();
  }

  // Answers the next modal dialog once it is up.
  void Answer(std::function<void(QWidget&)> answer) {
    answers_.push_back(std::move(answer));
    poll_.start();
  }

  // Lets go of every key, as the next plain click does.
  static void ReleaseKeys(QuenzWin& w) { QTest::mouseClick(&w.Label1().Widget(), Qt::LeftButton); }

  static QStringList ButtonTexts(const QWidget& dialog) {
    QStringList texts;
    for (const QAbstractButton* b : dialog.findChildren<QAbstractButton*>())
      texts << b->text();
    return texts;
  }

 private:
  void AnswerIfShown() {
    QWidget* dialog = QApplication::activeModalWidget();
    // Answered as a person would: once it is up and has the keyboard.
    if (!dialog || !dialog->isActiveWindow() || answers_.empty()) return;
    const std::function<void(QWidget&)> answer = answers_.front();
    answers_.erase(answers_.begin());
    if (answers_.empty()) poll_.stop();
    answer(*dialog);
    // A dialog that the answer did not close fails the test instead of hanging it; the timer
    // goes with the dialog.
    if (auto* modal = qobject_cast<QDialog*>(dialog)) {
      QTimer::singleShot(3000, modal, [modal] {
        if (!modal->isVisible()) return;
        ADD_FAILURE() << "the dialog stayed open after its answer";
        modal->reject();
      });
    }
  }

  QTimer poll_;
  std::vector<std::function<void(QWidget&)>> answers_;
  const QLocale outerLocale_;
};

TEST_F(QtDialogsTest, TheClosePromptAsksOverItsOwnWindowInTheUsersLanguage) {
  const auto back = Shown();
  const auto front = Shown();
  back->mDuty = true;
  ASSERT_EQ(fw::FrontWindow(), front);
  Answer([&](QWidget& dialog) {
    auto* box = qobject_cast<QMessageBox*>(&dialog);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->windowTitle(), kProgram);
    EXPECT_EQ(box->parentWidget(), &back->Frame()) << "not over the window in front";
    EXPECT_EQ(box->text(),
              QStringLiteral("Do you want to save changes to this document before closing?"));
    const QStringList buttons = ButtonTexts(*box);
    EXPECT_TRUE(buttons.contains(QStringLiteral("キャンセル"))) << buttons.join(u'|').toStdString();
    EXPECT_TRUE(buttons.contains(QStringLiteral("Don't Save")));
    box->button(QMessageBox::Cancel)->click();
  });
  back->Close();
  EXPECT_TRUE(back->IsOpen()) << "Cancel keeps the window open";

  // Quitting asks each changed window in turn, front first, each over itself.
  front->mDuty = true;
  for (const auto& asking : fw::OpenWindows()) {
    Answer([&, asking](QWidget& dialog) {
      EXPECT_EQ(dialog.parentWidget(), &asking->Frame());
      for (QAbstractButton* b : dialog.findChildren<QAbstractButton*>()) {
        if (b->text() == u"Don't Save") b->click();
      }
    });
  }
  fw::Quit();
  EXPECT_FALSE(front->IsOpen());
  EXPECT_FALSE(back->IsOpen());
}

// The close prompt of a minimised window shows the window first, as it was before (maximised or
// not), in front, so that the user sees which document it asks about.
TEST_F(QtDialogsTest, AMinimisedWindowComesBackBeforeItsClosePrompt) {
  for (const Qt::WindowState before : {Qt::WindowNoState, Qt::WindowMaximized}) {
    SCOPED_TRACE(before == Qt::WindowMaximized ? "maximised" : "normal");
    const auto other = Shown();
    const auto w = Shown();
    QWidget& frame = w->Frame();
    frame.setWindowState(before);
    frame.setWindowState(before | Qt::WindowMinimized);
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame.isMinimized(); }, 5000));
    other->Frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other->Frame()));
    w->mDuty = true;
    Answer([&](QWidget& dialog) {
      EXPECT_EQ(dialog.parentWidget(), &frame);
      EXPECT_FALSE(frame.isMinimized());
      EXPECT_EQ(frame.windowState() & Qt::WindowMaximized, before & Qt::WindowMaximized);
      for (QAbstractButton* b : dialog.findChildren<QAbstractButton*>()) {
        if (b->text() == u"Don't Save") b->click();
      }
    });
    w->Close();
    EXPECT_FALSE(w->IsOpen());
    other->Close();
  }
}

TEST_F(QtDialogsTest, FileDialogsAreTitledAndFilteredForPeople) {
  const auto w = Shown();
  Answer([&](QWidget& dialog) {
    auto* files = qobject_cast<QFileDialog*>(&dialog);
    ASSERT_TRUE(files);
    const QString saveAs = QFileDialog::tr("Save As");
    EXPECT_NE(saveAs, QStringLiteral("Save As")) << "Qt's texts are in Japanese";
    EXPECT_EQ(files->windowTitle(), saveAs + QStringLiteral(" — ") + kProgram);
    EXPECT_EQ(files->parentWidget(), &w->Frame());
    ASSERT_EQ(files->nameFilters().size(), 1);
    const QString filter = files->nameFilters().first();
    EXPECT_TRUE(filter.endsWith(QStringLiteral(" (*.PNG *.png)"))) << filter.toStdString();
    EXPECT_FALSE(filter.contains(QStringLiteral("TYPE"))) << filter.toStdString();
    EXPECT_GT(filter.indexOf(u'('), 1) << "a description stands before the patterns";
    files->reject();
  });
  QTest::mouseClick(&w->PushButton1().Widget(), Qt::LeftButton);

  Answer([&](QWidget& dialog) {
    auto* files = qobject_cast<QFileDialog*>(&dialog);
    ASSERT_TRUE(files);
    EXPECT_EQ(files->windowTitle(), QFileDialog::tr("Open") + QStringLiteral(" — ") + kProgram);
    const QString filter = files->nameFilters().value(0);
    EXPECT_TRUE(filter.endsWith(QStringLiteral(" (*.TXT *.txt)"))) << filter.toStdString();
    EXPECT_FALSE(filter.startsWith(QStringLiteral("TextType"))) << filter.toStdString();
    files->reject();
  });
  EXPECT_EQ(fw::GetOpenFolderItem(QStringLiteral("TextType")), nullptr);
}

// The file dialogs start where the user works: Save As beside the window's document, every other
// dialog in the folder last chosen in this run, and the home folder before any.
TEST_F(QtDialogsTest, FileDialogsStartWhereTheUserWorks) {
  for (const char* folder : {"a", "b", "c"})
    ASSERT_TRUE(QDir().mkpath(PathOf(QString::fromLatin1(folder))));
  const QString inA = PathOf(QStringLiteral("a/logo.TXT"));
  WriteBytes(inA, "AB\n255:255:255\n");
  const auto startsIn = [&](const QString& folder, const QString& choose = QString()) {
    Answer([folder, choose](QWidget& dialog) {
      auto* files = qobject_cast<QFileDialog*>(&dialog);
      ASSERT_TRUE(files);
      EXPECT_EQ(files->directory().absolutePath(), QDir(folder).absolutePath());
      if (choose.isEmpty()) {
        files->reject();
      } else {
        // Typed into the name field, as a user may type a whole path.
        auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_TRUE(name);
        name->setText(choose);
        static_cast<QDialog*>(files)->accept();  // as the dialog's own button does
      }
    });
  };
  const auto exportFrom = [](QuenzWin& window) {
    QTest::mouseClick(&window.PushButton1().Widget(), Qt::LeftButton);
  };
  const auto saveAs = [](QuenzWin& window) {
    fw::ChooseMenuItem(QStringLiteral("FileSaveAs"), &window);
  };

  const auto plain = Shown();
  startsIn(QDir::homePath());
  saveAs(*plain);
  startsIn(QDir::homePath());
  exportFrom(*plain);
  startsIn(QDir::homePath(), inA);
  ASSERT_TRUE(fw::GetOpenFolderItem(QStringLiteral("TextType")));
  startsIn(PathOf(QStringLiteral("a")));
  exportFrom(*plain);

  const auto withDocument = Shown();
  withDocument->mFile.item = std::make_shared<fw::FolderItem>(PathOf(QStringLiteral("b/doc.TXT")));
  startsIn(PathOf(QStringLiteral("b")), PathOf(QStringLiteral("c/new.TXT")));
  saveAs(*withDocument);
  ASSERT_TRUE(withDocument->mFile.item);
  EXPECT_EQ(withDocument->mFile.item->Path(), PathOf(QStringLiteral("c/new.TXT")));
  startsIn(PathOf(QStringLiteral("c")), inA);
  ASSERT_TRUE(fw::GetOpenFolderItem(QStringLiteral("TextType")));
  startsIn(PathOf(QStringLiteral("c")));
  saveAs(*withDocument);
  startsIn(PathOf(QStringLiteral("a")));
  exportFrom(*withDocument);
  startsIn(PathOf(QStringLiteral("a")));
  saveAs(*plain);
}

// Shift is the Option key: with it (or Alt) held as the colour is confirmed, by click or from
// the keyboard, the chosen character and every later one take the colour.
TEST_F(QtDialogsTest, AColourConfirmedWithShiftOrAltGoesToEveryLaterCharacter) {
  const fw::Color red = fw::RGB(255, 0, 0);
  const auto okButton = [](QWidget& d) {
    return d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
  };
  const auto key = [](Qt::Key k, Qt::KeyboardModifiers held) {
    return
        [k, held](QWidget& d) { QTest::keyClick(d.focusWidget() ? d.focusWidget() : &d, k, held); };
  };
  const struct {
    const char* how;
    std::function<void(QWidget&)> confirm;
    std::vector<int> coloured;                       // characters, from 1
    Qt::KeyboardModifiers opening = Qt::NoModifier;  // held on the click that opens the picker
  } cases[] = {
      {"Shift+Return", key(Qt::Key_Return, Qt::ShiftModifier), {2, 3, 4, 5, 6}},
      {"Alt+Return", key(Qt::Key_Return, Qt::AltModifier), {2, 3, 4, 5, 6}},
      {"Shift+Enter", key(Qt::Key_Enter, Qt::ShiftModifier | Qt::KeypadModifier), {2, 3, 4, 5, 6}},
      {"Return", key(Qt::Key_Return, Qt::NoModifier), {2}},
      {"Shift+click on OK",
       [&](QWidget& d) { QTest::mouseClick(okButton(d), Qt::LeftButton, Qt::ShiftModifier); },
       {2, 3, 4, 5, 6}},
      {"click on OK", [&](QWidget& d) { QTest::mouseClick(okButton(d), Qt::LeftButton); }, {2}},
      {"Escape", key(Qt::Key_Escape, Qt::NoModifier), {}},
      // Shift on the swatch counts as Shift on the confirmation.
      {"Shift+click on the swatch, then a click on OK",
       [&](QWidget& d) { QTest::mouseClick(okButton(d), Qt::LeftButton); },
       {2, 3, 4, 5, 6},
       Qt::ShiftModifier},
      {"Shift+click on the swatch, then Return",
       key(Qt::Key_Return, Qt::NoModifier),
       {2, 3, 4, 5, 6},
       Qt::ShiftModifier},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.how);
    const auto w = Shown();
    w->MojimePM().SetListIndex(1);
    Answer([&](QWidget& dialog) {
      auto* picker = qobject_cast<QColorDialog*>(&dialog);
      ASSERT_TRUE(picker);
      EXPECT_EQ(picker->windowTitle(), QStringLiteral("文字の色を選んで下さい — ") + kProgram);
      EXPECT_TRUE(ButtonTexts(*picker).contains(QStringLiteral("キャンセル")));
      picker->setCurrentColor(QColor(255, 0, 0));
      c.confirm(*picker);
    });
    QTest::mouseClick(&w->FGColorRT().Widget(), Qt::LeftButton, c.opening);
    ReleaseKeys(*w);
    std::vector<fw::Color> expected(6, 0);
    for (const int n : c.coloured)
      expected[std::size_t(n - 1)] = red;
    std::vector<fw::Color> colours;
    for (int n = 1; n <= w->UBoundLogo(); ++n)
      colours.push_back(w->mLogo[std::size_t(n)]->mColor);
    EXPECT_EQ(colours, expected);
    EXPECT_EQ(w->mDuty, !c.coloured.empty());
    w->mDuty = false;
    w->Close();
  }
}

}  // namespace
