// Closing a window: File > Close, the save-changes prompt and its answers, and quitting with
// changed windows.
#include "support/Fixtures.h"

#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "framework/WindowList.h"

#include <QDir>
#include <QTest>

#include <algorithm>
#include <functional>

namespace {

const QString kPrompt =
    QStringLiteral("Do you want to save changes to this document before closing?");
const QString kText = QStringLiteral("TextType");

class CloseTest : public QuenzTest {
 protected:
  void SetUp() override {
    QuenzTest::SetUp();
    w = Shown();
  }

  static void ChangeBackground(QuenzWin& window) {
    Script().ExpectColor(QStringLiteral("背景色を選んで下さい"), fw::RGB(20, 40, 60));
    QTest::mouseClick(&window.BKColorRT().Widget(), Qt::LeftButton);
    ASSERT_TRUE(window.mDuty);
  }

  static void CloseFromMenu(QuenzWin& window) {
    fw::ChooseMenuItem(QStringLiteral("FileClose"), &window);
  }

  // Saves the window to name through File > Save.
  void SaveAs(QuenzWin& window, const QString& name) {
    Script().ExpectSave(kText, window.LogoTF().Text() + QStringLiteral(".TXT"), PathOf(name));
    fw::ChooseMenuItem(QStringLiteral("FileSave"), &window);
    ASSERT_TRUE(Script().Done());
  }

  std::shared_ptr<QuenzWin> w;
};

TEST_F(CloseTest, AnUnchangedWindowClosesWithoutAQuestion) {
  CloseFromMenu(*w);
  EXPECT_FALSE(w->IsOpen());
  EXPECT_EQ(Script().dialogsShown, 0);

  // Just read, and just saved after a change.
  WriteBytes(PathOf(QStringLiteral("doc.TXT")), "AB\n1:1:1\n0,0:0:0,0\n1,0:0:0,92\n");
  auto read = Shown();
  ChangeBackground(*read);
  read->OpenData(ItemOf(QStringLiteral("doc.TXT")));
  read->MenuAction(QStringLiteral("FileClose"))->trigger();
  EXPECT_FALSE(read->IsOpen());

  auto saved = Shown();
  ChangeBackground(*saved);
  SaveAs(*saved, QStringLiteral("saved.TXT"));
  CloseFromMenu(*saved);
  EXPECT_FALSE(saved->IsOpen());
  EXPECT_TRUE(Script().messages.empty());
}

TEST_F(CloseTest, EveryKindOfChangeAsksWithThePromptsTexts) {
  const struct {
    const char* what;
    std::function<void(QuenzWin&)> change;
  } changes[] = {
      {"background", [](QuenzWin& x) { ChangeBackground(x); }},
      {"character colour",
       [](QuenzWin& x) {
         Script().ExpectColor(QStringLiteral("文字の色を選んで下さい"), fw::RGB(1, 1, 1));
         QTest::mouseClick(&x.FGColorRT().Widget(), Qt::LeftButton);
       }},
      {"position step",
       [](QuenzWin& x) { QTest::mouseClick(&x.PosBB(3).Widget(), Qt::LeftButton); }},
      {"typing", [](QuenzWin& x) { QTest::keyClicks(&x.LogoTF().Widget(), "Z"); }},
      {"colour, then typing",
       [](QuenzWin& x) {
         ChangeBackground(x);
         QTest::keyClicks(&x.LogoTF().Widget(), "Q");
       }},
  };
  for (const auto& c : changes) {
    SCOPED_TRACE(c.what);
    Script().Reset();
    auto window = Shown();
    c.change(*window);
    ASSERT_TRUE(window->mDuty);
    Script().ExpectMessage(kPrompt, fw::MessageButton::Alternate);
    CloseFromMenu(*window);
    EXPECT_TRUE(Script().Done());
    EXPECT_FALSE(window->IsOpen()) << "Don't Save closes";
    ASSERT_EQ(Script().messages.size(), 1u);
    const fw::MessageRequest& m = Script().messages[0];
    EXPECT_EQ(m.icon, 1);
    EXPECT_EQ(m.message, kPrompt);
    EXPECT_EQ(m.explanation, QStringLiteral("If you don't save, your changes will be lost. "));
    EXPECT_TRUE(m.actionVisible);
    EXPECT_EQ(m.actionCaption, QStringLiteral("Save"));
    EXPECT_TRUE(m.alternateVisible);
    EXPECT_EQ(m.alternateCaption, QStringLiteral("Don't Save"));
    EXPECT_TRUE(m.cancelVisible);
    EXPECT_EQ(m.cancelCaption, QString());
  }
}

TEST_F(CloseTest, CancelKeepsTheWindowOpenAndAsksAgain) {
  ChangeBackground(*w);
  Script().ExpectMessage(kPrompt, fw::MessageButton::Cancel);
  CloseFromMenu(*w);
  EXPECT_TRUE(w->IsOpen());
  EXPECT_TRUE(w->mDuty);
  EXPECT_EQ(w->BKColorRT().FillColor(), fw::RGB(20, 40, 60));
  EXPECT_NE(std::find(fw::OpenWindows().begin(), fw::OpenWindows().end(), w),
            fw::OpenWindows().end());

  Script().ExpectMessage(kPrompt, fw::MessageButton::Cancel);
  w->Close();
  EXPECT_TRUE(w->IsOpen());
  Script().ExpectMessage(kPrompt, fw::MessageButton::Alternate);
  CloseFromMenu(*w);
  EXPECT_FALSE(w->IsOpen());
  EXPECT_EQ(Script().messages.size(), 3u);
}

TEST_F(CloseTest, SaveWithAFileWritesAndCloses) {
  SaveAs(*w, QStringLiteral("doc.TXT"));
  ChangeBackground(*w);
  Script().ExpectMessage(kPrompt, fw::MessageButton::Action);
  CloseFromMenu(*w);
  EXPECT_TRUE(Script().Done());
  EXPECT_EQ(Script().dialogsShown, 3) << "save, colour, prompt: no second save dialog";
  EXPECT_FALSE(w->IsOpen());
  EXPECT_TRUE(ReadBytes(PathOf(QStringLiteral("doc.TXT"))).startsWith("TAVURE\n20:40:60\n"));
}

TEST_F(CloseTest, SaveWithoutAFileAsksForOneAndKeepsTheWindowWhenCancelled) {
  ChangeBackground(*w);
  Script().ExpectMessage(kPrompt, fw::MessageButton::Action);
  Script().ExpectSave(kText, QStringLiteral("TAVURE.TXT"), QString());
  CloseFromMenu(*w);
  EXPECT_TRUE(Script().Done());
  EXPECT_TRUE(w->IsOpen());
  EXPECT_TRUE(w->mDuty);
  EXPECT_FALSE(w->mFile.item);
  EXPECT_TRUE(QDir(PathOf(QString())).isEmpty());

  // Answered with a file, it writes and closes.
  Script().ExpectMessage(kPrompt, fw::MessageButton::Action);
  Script().ExpectSave(kText, QStringLiteral("TAVURE.TXT"), PathOf(QStringLiteral("new.TXT")));
  CloseFromMenu(*w);
  EXPECT_TRUE(Script().Done());
  EXPECT_FALSE(w->IsOpen());
  EXPECT_TRUE(ReadBytes(PathOf(QStringLiteral("new.TXT"))).startsWith("TAVURE\n20:40:60\n"));
}

TEST_F(CloseTest, AFailedSaveInThePromptKeepsTheWindowOpen) {
  ASSERT_TRUE(QDir(PathOf(QString())).mkdir(QStringLiteral("adir")));
  ChangeBackground(*w);
  Script().ExpectMessage(kPrompt, fw::MessageButton::Action);
  Script().ExpectSave(kText, QStringLiteral("TAVURE.TXT"), PathOf(QStringLiteral("adir")));
  Script().ExpectMessage(QStringLiteral("could not be saved"), fw::MessageButton::Action);
  CloseFromMenu(*w);
  EXPECT_TRUE(Script().Done());
  ASSERT_EQ(Script().messages.size(), 2u);
  EXPECT_EQ(Script().messages[1].icon, 2);
  EXPECT_TRUE(w->IsOpen());
  EXPECT_TRUE(w->mDuty);
  EXPECT_FALSE(w->mFile.item);
  EXPECT_EQ(w->Title(), QStringLiteral("Quenz Logo Maker"));
}

TEST_F(CloseTest, QuittingAsksEveryChangedWindowOnce) {
  auto other = Shown();
  auto untouched = Shown();
  // Both have a file, so that Save asks for none.
  SaveAs(*w, QStringLiteral("w.TXT"));
  SaveAs(*other, QStringLiteral("other.TXT"));
  ChangeBackground(*w);
  ChangeBackground(*other);
  Script().ExpectMessage(kPrompt, fw::MessageButton::Alternate);
  Script().ExpectMessage(kPrompt, fw::MessageButton::Action);
  // Which window is asked first depends on their order; both answers close their window.
  fw::ChooseMenuItem(QStringLiteral("FileQuit"));
  EXPECT_TRUE(Script().Done());
  EXPECT_EQ(Script().messages.size(), 2u);
  EXPECT_FALSE(w->IsOpen());
  EXPECT_FALSE(other->IsOpen());
  EXPECT_FALSE(untouched->IsOpen());
  EXPECT_TRUE(fw::OpenWindows().empty());
  // One of the two was saved.
  const bool wSaved = ReadBytes(PathOf(QStringLiteral("w.TXT"))).contains("20:40:60");
  const bool otherSaved = ReadBytes(PathOf(QStringLiteral("other.TXT"))).contains("20:40:60");
  EXPECT_NE(wSaved, otherSaved);
}

TEST_F(CloseTest, CancelWhileQuittingStopsTheQuit) {
  auto other = Shown();
  ChangeBackground(*w);
  ChangeBackground(*other);
  const auto front = fw::FrontWindow();
  ASSERT_TRUE(front);
  Script().ExpectMessage(kPrompt, fw::MessageButton::Cancel);
  fw::ChooseMenuItem(QStringLiteral("FileQuit"));
  EXPECT_TRUE(Script().Done());
  EXPECT_EQ(Script().messages.size(), 1u) << "the other window is not asked";
  EXPECT_TRUE(front->IsOpen());
  EXPECT_TRUE(w->IsOpen());
  EXPECT_TRUE(other->IsOpen());
  EXPECT_EQ(fw::OpenWindows().size(), 2u);
  EXPECT_FALSE(fw::Quitting());
}

}  // namespace
