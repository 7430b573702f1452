// Colour and position edits, the "Fit" button, the export size, and the marks that each kind of
// edit leaves.
#include "support/Fixtures.h"

#include "base/FolderItem.h"
#include "editor/Module1.h"

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QMainWindow>
#include <QTest>

#include <functional>
#include <optional>
#include <vector>

namespace {

const QString kBackgroundPrompt = QStringLiteral("背景色を選んで下さい");
const QString kCharPrompt = QStringLiteral("文字の色を選んで下さい");

class EditsTest : public QuenzTest {
 public:
  void SetUp() override {
    QuenzTest::SetUp();
    w = Shown();
    Flush();
  }
  void TearDown() override {
    ReleaseKeys();
    QuenzTest::TearDown();
  }

  // Clicks a control's widget as the user does, with the keys held.
  static void Click(fw::Control& c, Qt::KeyboardModifiers held = Qt::NoModifier) {
    QTest::mouseClick(&c.Widget(), Qt::LeftButton, held);
  }
  // The keyboard state follows the last input event: a plain click lets go of every key.
  void ReleaseKeys() {
    if (w) Click(w->Label1());
  }

  void ChooseBackground(std::optional<fw::Color> answer) {
    Script().ExpectColor(kBackgroundPrompt, answer);
    Click(w->BKColorRT());
    ASSERT_TRUE(Script().Done());
  }
  void ChooseCharColor(std::optional<fw::Color> answer,
                       Qt::KeyboardModifiers held = Qt::NoModifier) {
    Script().ExpectColor(kCharPrompt, answer);
    Click(w->FGColorRT(), held);
    ASSERT_TRUE(Script().Done());
  }

  std::vector<fw::Color> Colors() const {
    std::vector<fw::Color> out;
    for (int n = 1; n <= w->UBoundLogo(); ++n)
      out.push_back(w->mLogo[std::size_t(n)]->mColor);
    return out;
  }
  QString Path(const QString& name) const { return PathOf(name); }
  fw::FolderItemPtr Item(const QString& name) const { return ItemOf(name); }

  std::vector<std::int32_t> Positions() const {
    std::vector<std::int32_t> out;
    for (int n = 1; n <= w->UBoundLogo(); ++n)
      out.push_back(w->mLogo[std::size_t(n)]->mPos);
    return out;
  }

  void ExpectExportSize(std::int32_t width, std::int32_t height) const {
    EXPECT_EQ(w->mExpW, width);
    EXPECT_EQ(w->mExpH, height);
    EXPECT_EQ(w->mExpZ, height / 138.0);
    EXPECT_EQ(w->ExpWLV().Text(), QStringLiteral("出力サイズ(幅)：") + QString::number(width));
  }

  std::shared_ptr<QuenzWin> w;
};

constexpr fw::Color kWhite = 0xFFFFFF;

// A point of glyph 0 whose neighbourhood on the sheet is all dark, so that it stays the glyph's
// colour when the glyph is drawn three times its size.
std::optional<QPoint> DarkPointOfA() {
  const QImage mask = Module1::gMoji[0]->Mask(false)->Image();
  for (int y = 1; y < 45; ++y) {
    for (int x = 1; x < 45; ++x) {
      bool dark = true;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
          dark = dark && qGray(mask.pixel(x + dx, y + dy)) == 0;
      if (dark) return QPoint(x, y);
    }
  }
  return std::nullopt;
}

// ---- colours

TEST_F(EditsTest, TheBackgroundPickerStartsOnTheSwatchAndItsColourFillsThePreview) {
  w->LogoTF().SetText(QStringLiteral("A"));
  ChooseBackground(fw::RGB(10, 120, 230));
  EXPECT_EQ(Script().lastColorInitial, kWhite);
  EXPECT_EQ(w->BKColorRT().FillColor(), fw::RGB(10, 120, 230));
  EXPECT_EQ(Colors(), std::vector<fw::Color>{0u}) << "no character changes";
  Flush();
  EXPECT_EQ(PreviewImage(*w).pixel(400, 60), qRgb(10, 120, 230));

  ChooseBackground(fw::RGB(1, 2, 3));
  EXPECT_EQ(Script().lastColorInitial, fw::RGB(10, 120, 230));
  Flush();
  EXPECT_EQ(PreviewImage(*w).pixel(400, 60), qRgb(1, 2, 3));
}

constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;
constexpr Qt::KeyboardModifiers kShift = Qt::ShiftModifier;
constexpr Qt::KeyboardModifiers kAlt = Qt::AltModifier;

// Shift is the Option key on Linux; Alt works too, where the window manager lets it through.
TEST_F(EditsTest, ACharacterColourGoesToTheSelectedCharacterOrWithShiftOrAltToTheRest) {
  const fw::Color c = fw::RGB(200, 30, 40);
  const struct {
    int row;
    Qt::KeyboardModifiers held;
    std::vector<int> coloured;  // characters, from 1
  } cases[] = {
      {1, kNone, {2}},
      {1, kShift, {2, 3, 4, 5, 6}},
      {1, kAlt, {2, 3, 4, 5, 6}},
      {0, kShift, {1, 2, 3, 4, 5, 6}},
      {5, kNone, {6}},
      {5, kShift, {6}},
      {0, kNone, {1}},
      {1, Qt::ControlModifier, {2}},
      {-1, kNone, {}},
      {-1, kShift, {}},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(testing::Message() << "row " << k.row << " keys " << int(k.held));
    w = Shown();
    w->mLogo[2]->SetCharColor(fw::RGB(0, 0, 9));
    w->MojimePM().SetListIndex(k.row);
    const fw::Color shown = w->FGColorRT().FillColor();
    ChooseCharColor(c, k.held);
    ReleaseKeys();
    EXPECT_EQ(Script().lastColorInitial, shown) << "the picker starts on the swatch";
    std::vector<fw::Color> expected = {0, fw::RGB(0, 0, 9), 0, 0, 0, 0};
    for (const int n : k.coloured)
      expected[std::size_t(n - 1)] = c;
    EXPECT_EQ(Colors(), expected);
    EXPECT_EQ(w->FGColorRT().FillColor(), c);
    EXPECT_EQ(w->MojimePM().ListIndex(), k.row) << "the selection stays";
  }
}

TEST_F(EditsTest, AConfirmedCharacterColourShowsInThePreview) {
  const std::optional<QPoint> dark = DarkPointOfA();
  ASSERT_TRUE(dark) << "glyph A has a dark area";
  w->LogoTF().SetText(QStringLiteral("A"));
  ChooseCharColor(fw::RGB(0, 160, 80));
  Flush();
  EXPECT_EQ(PreviewImage(*w).pixel(dark->x() * 3 + 1, dark->y() * 3 + 1), qRgb(0, 160, 80));
}

TEST_F(EditsTest, ACancelledPickerChangesNothing) {
  w->mLogo[3]->SetCharColor(fw::RGB(5, 5, 5));
  w->MojimePM().SetListIndex(2);
  w->mNoChange = true;
  const std::vector<fw::Color> colors = Colors();
  Flush();
  const QImage preview = PreviewImage(*w);

  ChooseBackground(std::nullopt);
  ChooseCharColor(std::nullopt);
  ChooseCharColor(std::nullopt, kShift);
  ReleaseKeys();

  EXPECT_EQ(w->BKColorRT().FillColor(), kWhite);
  EXPECT_EQ(w->FGColorRT().FillColor(), fw::RGB(5, 5, 5));
  EXPECT_EQ(Colors(), colors);
  EXPECT_FALSE(w->mDuty);
  EXPECT_TRUE(w->mNoChange);
  Flush();
  EXPECT_EQ(PreviewImage(*w), preview);
}

TEST_F(EditsTest, SetCharColorWithoutASelectionChangesNoCharacter) {
  w->MojimePM().SetListIndex(-1);
  w->SetCharColor(fw::RGB(9, 9, 9));
  EXPECT_EQ(Colors(), std::vector<fw::Color>(6, 0u));
  EXPECT_FALSE(w->mDuty) << "the method marks nothing; the swatch's handler does";
}

// ---- positions

TEST_F(EditsTest, EachPositionButtonStepsTheSelectedCharacter) {
  const struct {
    int button;
    std::int32_t step;
    std::int32_t width;  // the export width at height 309 with the last character moved
  } cases[] = {{0, -1, 1336}, {1, 1, 1341}, {2, -10, 1316}, {3, 10, 1361}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "PosBB " << c.button);
    w = Shown();
    w->MojimePM().SetListIndex(5);
    Click(w->PosBB(c.button));
    EXPECT_EQ(Positions(), (std::vector<std::int32_t>{0, 92, 184, 276, 368, 460 + c.step}));
    ExpectExportSize(c.width, 309);

    // The first character: the width follows the last one and stays.
    w->MojimePM().SetListIndex(0);
    Click(w->PosBB(c.button));
    Click(w->PosBB(c.button));
    EXPECT_EQ(Positions()[0], 2 * c.step);
    ExpectExportSize(c.width, 309);
  }
}

TEST_F(EditsTest, ShiftOrAltMovesTheSelectedCharacterAndEveryLaterOne) {
  w->MojimePM().SetListIndex(0);
  Click(w->PosBB(0), kShift);
  ReleaseKeys();
  EXPECT_EQ(Positions(), (std::vector<std::int32_t>{-1, 91, 183, 275, 367, 459}));
  ExpectExportSize(1336, 309);

  w->MojimePM().SetListIndex(3);
  Click(w->PosBB(3), kAlt);
  ReleaseKeys();
  EXPECT_EQ(Positions(), (std::vector<std::int32_t>{-1, 91, 183, 285, 377, 469}));
  Click(w->PosBB(3));
  EXPECT_EQ(Positions(), (std::vector<std::int32_t>{-1, 91, 183, 295, 377, 469}))
      << "without Shift or Alt only the selected one";
}

TEST_F(EditsTest, WithoutASelectionAButtonMovesNothingButMarksTheWindow) {
  w->LogoTF().SetText(QString());
  w->LogoTF().SetText(QStringLiteral("TAVURE"));  // characters back, no row chosen
  ASSERT_EQ(w->MojimePM().ListIndex(), -1);
  w->ExpCB().SetText(QStringLiteral("138"));
  ExpectExportSize(598, 138);
  w->mLogo[6]->mPos = 0;  // moved behind the window's back: a recomputation would show it
  w->mNoChange = true;
  for (int b = 0; b < 4; ++b) {
    Click(w->PosBB(b));
    Click(w->PosBB(b), kShift);
  }
  ReleaseKeys();
  EXPECT_EQ(Positions(), (std::vector<std::int32_t>{0, 92, 184, 276, 368, 0}));
  ExpectExportSize(598, 138);
  EXPECT_TRUE(w->mDuty);
  EXPECT_FALSE(w->mNoChange);
}

TEST_F(EditsTest, OnlyTheFourButtonsHaveSteps) {
  // A button of the array with an index outside 0 to 3 steps by 0.
  class QuenzWin::PosBB stray(7);
  w->MojimePM().SetListIndex(5);
  w->PosBB_Action(stray);
  EXPECT_EQ(Positions()[5], 460);
  ExpectExportSize(1339, 309);
  EXPECT_TRUE(w->mDuty);
}

// ---- export size

TEST_F(EditsTest, TheExportWidthFollowsTheHeightAndTheLastCharacter) {
  const struct {
    const char* height;
    std::int32_t h;
    std::int32_t width;
  } cases[] = {
      {"46", 46, 199},     {"138", 138, 598},  {"276", 276, 1196}, {"309", 309, 1339},
      {"", 0, 0},          {"abc", 0, 0},      {"92px", 92, 398},  {"  184", 184, 797},
      {"100.9", 100, 433}, {"-46", -46, -199},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.height);
    w->ExpCB().SetText(QString::fromLatin1(c.height));
    ExpectExportSize(c.width, c.h);
  }
}

TEST_F(EditsTest, TypingOrPickingAHeightRecomputesTheSize) {
  QLineEdit& edit = *w->ExpCB().Box().lineEdit();
  edit.selectAll();
  QTest::keyClicks(&edit, "138");
  ExpectExportSize(598, 138);
  QTest::keyClick(&edit, Qt::Key_Backspace);
  ExpectExportSize(56, 13);

  w->ExpCB().Box().setCurrentIndex(0);  // the row "46"
  ExpectExportSize(199, 46);
}

// Typed into the box, a height stays exactly as typed: the box completes nothing from its rows.
TEST_F(EditsTest, ATypedHeightStaysAsTyped) {
  const struct {
    const char* typed;
    std::int32_t h;
    std::int32_t width;
  } cases[] = {{"4", 4, 17}, {"13", 13, 56}, {"2", 2, 8}, {"41", 41, 177}};
  QLineEdit& edit = *w->ExpCB().Box().lineEdit();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    edit.selectAll();
    QTest::keyClicks(&edit, c.typed);
    EXPECT_EQ(w->ExpCB().Text(), QString::fromLatin1(c.typed));
    EXPECT_EQ(edit.text(), QString::fromLatin1(c.typed));
    ExpectExportSize(c.width, c.h);
  }
}

TEST_F(EditsTest, ASingleCharacterIsAsWideAsHigh) {
  w->LogoTF().SetText(QStringLiteral("Q"));
  ExpectExportSize(309, 309);
  w->ExpCB().SetText(QStringLiteral("46"));
  ExpectExportSize(46, 46);
}

// The width is the sum of the scaled position and the height, converted once. Just left of 0 a
// width converted before the height is added comes out one pixel wider.
TEST_F(EditsTest, TheLastCharacterGivesTheWidthWhereverItStands) {
  const struct {
    std::int32_t pos;
    const char* height;
    std::int32_t width;
  } cases[] = {
      {100, "309", 532},     {0, "309", 309},  {-138, "309", 0}, {-148, "309", -22},
      {-1000, "309", -1930}, {-1, "309", 306}, {-5, "309", 297}, {-61, "309", 172},
      {-1, "46", 45},        {-2, "46", 45},   {-1, "138", 137}, {-1, "1000", 992},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.pos << " at height " << c.height);
    w->ExpCB().SetText(QString::fromLatin1(c.height));
    w->mLogo[6]->mPos = c.pos;  // left of the earlier characters, even
    w->SetExpSize();
    ExpectExportSize(c.width, std::int32_t(fw::Val(QString::fromLatin1(c.height))));
  }
}

TEST_F(EditsTest, ALogoWithoutGlyphsKeepsTheLastSize) {
  w->LogoTF().SetText(QStringLiteral("tavure"));
  ExpectExportSize(1339, 309);
  w->ExpCB().SetText(QStringLiteral("138"));
  ExpectExportSize(1339, 309);
  w->ExpCB().SetText(QString());
  ExpectExportSize(1339, 309);
  w->ExpCB().SetText(QStringLiteral("138"));
  QTest::keyClicks(&w->LogoTF().Edit(), "Q");
  ExpectExportSize(138, 138);
}

TEST_F(EditsTest, AColourDoesNotRecomputeTheSize) {
  w->mLogo[6]->mPos = 0;
  ChooseBackground(fw::RGB(1, 1, 1));
  w->MojimePM().SetListIndex(5);
  ChooseCharColor(fw::RGB(2, 2, 2));
  ExpectExportSize(1339, 309);
}

// ---- the window's width

TEST_F(EditsTest, FitPutsTheWindowBackToItsLayoutWidth) {
  for (const int width : {900, 400}) {
    w->SetWidth(width);
    Flush();
    ASSERT_EQ(w->Width(), width);
    Click(w->PushButton2());
    Flush();
    EXPECT_EQ(w->Width(), 627);
    EXPECT_EQ(w->Height(), 306);
    EXPECT_EQ(w->fcv().Widget().width(), 597);
  }
}

TEST_F(EditsTest, FitFirstRestoresAMaximisedOrFullScreenWindow) {
  const struct {
    const char* state;
    std::function<void(QWidget&)> enter;
  } states[] = {{"maximised", [](QWidget& f) { f.showMaximized(); }},
                {"full screen", [](QWidget& f) { f.showFullScreen(); }}};
  for (const auto& s : states) {
    SCOPED_TRACE(s.state);
    QWidget& frame = w->Frame();
    s.enter(frame);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->Width() > 627; }, 5000));
    Click(w->PushButton2());
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->Width() == 627; }, 5000));
    EXPECT_FALSE(frame.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen));
    EXPECT_EQ(w->Height(), 306) << "the normal height comes back";
    EXPECT_EQ(w->fcv().Widget().width(), 597);
  }
}

// ---- the swatches from the keyboard

// Tab reaches both swatches, right after the size box; Space, Return or Enter opens the picker,
// and with Shift a character colour goes to every later character too.
TEST_F(EditsTest, TheKeyboardReachesBothSwatchesAndOpensTheirPickers) {
  constexpr fw::Color kRed = 0xFF0000;
  const struct {
    const char* what;
    int tabs;  // from the size box
    Qt::Key key;
    Qt::KeyboardModifiers held;
    fw::Color background;
    std::vector<int> coloured;  // characters, from 1
  } cases[] = {
      {"Space on the background", 1, Qt::Key_Space, Qt::NoModifier, kRed, {}},
      {"Return on the background", 1, Qt::Key_Return, Qt::NoModifier, kRed, {}},
      {"Space on the character colour", 2, Qt::Key_Space, Qt::NoModifier, kWhite, {2}},
      {"Enter on the character colour", 2, Qt::Key_Enter, Qt::KeypadModifier, kWhite, {2}},
      {"Shift+Space on the character colour",
       2,
       Qt::Key_Space,
       Qt::ShiftModifier,
       kWhite,
       {2, 3, 4, 5, 6}},
      {"Shift+Return on the character colour",
       2,
       Qt::Key_Return,
       Qt::ShiftModifier,
       kWhite,
       {2, 3, 4, 5, 6}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    w = Shown();
    w->MojimePM().SetListIndex(1);
    QWidget& frame = *w->ExpCB().Widget().window();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    w->ExpCB().Widget().setFocus();
    for (int i = 0; i < c.tabs; ++i)
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    fw::Rectangle& swatch = c.tabs == 1 ? w->BKColorRT() : w->FGColorRT();
    ASSERT_EQ(QApplication::focusWidget(), &swatch.Widget());
    Script().ExpectColor(c.tabs == 1 ? kBackgroundPrompt : kCharPrompt, kRed);
    QTest::keyClick(&swatch.Widget(), c.key, c.held);
    EXPECT_TRUE(Script().Done());
    ReleaseKeys();
    EXPECT_EQ(w->BKColorRT().FillColor(), c.background);
    std::vector<fw::Color> expected(6, 0);
    for (const int n : c.coloured)
      expected[std::size_t(n - 1)] = kRed;
    EXPECT_EQ(Colors(), expected);
    EXPECT_TRUE(w->mDuty);
  }
  // Any other key opens nothing.
  const int shown = Script().dialogsShown;
  w->FGColorRT().Widget().setFocus();
  QTest::keyClick(&w->FGColorRT().Widget(), Qt::Key_A);
  EXPECT_EQ(Script().dialogsShown, shown);
}

// The focus shows on the swatch, whatever its colour, the desktop's highlight colour included;
// a click on it leaves the focus where it was.
TEST_F(EditsTest, ASwatchShowsTheFocusOnAnyFillAndAClickLeavesTheFocusAlone) {
  QWidget& swatch = w->FGColorRT().Widget();
  QWidget& frame = *swatch.window();
  frame.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
  const fw::Color highlight = swatch.palette().color(QPalette::Highlight).rgb() & 0xFFFFFF;
  for (const fw::Color fill : {fw::Color(0x000000), fw::Color(0xFFFFFF), highlight}) {
    SCOPED_TRACE(fill);
    w->FGColorRT().SetFillColor(fill);
    w->LogoTF().Widget().setFocus();
    const QImage unfocused = swatch.grab().toImage();
    swatch.setFocus();
    ASSERT_TRUE(swatch.hasFocus());
    EXPECT_NE(swatch.grab().toImage(), unfocused);
  }
  w->LogoTF().Widget().setFocus();
  Script().ExpectColor(kCharPrompt, std::nullopt);
  Click(w->FGColorRT());
  EXPECT_TRUE(w->LogoTF().Widget().hasFocus());
}

// ---- the preview's repaints

// Counts the paints that a widget really gets, as the screen would show them.
class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget& widget) : widget_(widget) { widget_.installEventFilter(this); }
  ~PaintCounter() override { widget_.removeEventFilter(this); }
  int paints = 0;

 private:
  bool eventFilter(QObject* /*target*/, QEvent* event) override {
    paints += event->type() == QEvent::Paint;
    return false;
  }
  QWidget& widget_;
};

// Each edit that changes the drawing repaints the preview by itself: a preview painted on demand
// in a test would show the change even when the window on the screen never does.
TEST_F(EditsTest, EveryEditThatChangesTheLogoRepaintsThePreviewAndNoOtherEditDoes) {
  const struct {
    const char* what;
    std::function<void(EditsTest&)> edit;
    bool repaints;
  } cases[] = {
      {"background", [](EditsTest& t) { t.ChooseBackground(fw::RGB(3, 3, 3)); }, true},
      {"character colour", [](EditsTest& t) { t.ChooseCharColor(fw::RGB(4, 4, 4)); }, true},
      {"character colour with Shift",
       [](EditsTest& t) { t.ChooseCharColor(fw::RGB(4, 4, 4), Qt::ShiftModifier); }, true},
      {"each position button",
       [](EditsTest& t) {
         for (int index = 0; index < 4; ++index) {
           PaintCounter counter(t.w->fcv().Widget());
           Click(t.w->PosBB(index));
           Flush();
           EXPECT_GT(counter.paints, 0) << "button " << index;
         }
       },
       true},
      {"typing", [](EditsTest& t) { QTest::keyClicks(&t.w->LogoTF().Edit(), "X"); }, true},
      {"background cancelled", [](EditsTest& t) { t.ChooseBackground(std::nullopt); }, false},
      {"character colour cancelled", [](EditsTest& t) { t.ChooseCharColor(std::nullopt); }, false},
      {"position step, nothing selected",
       [](EditsTest& t) {
         t.w->MojimePM().SetListIndex(-1);
         Flush();
         Click(t.w->PosBB(1));
       },
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    w = Shown();
    Flush();
    PaintCounter counter(w->fcv().Widget());
    c.edit(*this);
    Flush();
    EXPECT_EQ(counter.paints > 0, c.repaints) << counter.paints << " paints";
    ReleaseKeys();
  }
}

// ---- the marks

TEST_F(EditsTest, EachKindOfEditLeavesTheMarksItShould) {
  const struct {
    const char* what;
    std::function<void(EditsTest&)> edit;
    bool duty;
    bool noChange;
  } cases[] = {
      {"background", [](EditsTest& t) { t.ChooseBackground(fw::RGB(3, 3, 3)); }, true, false},
      {"the same background", [](EditsTest& t) { t.ChooseBackground(kWhite); }, true, false},
      {"background cancelled", [](EditsTest& t) { t.ChooseBackground(std::nullopt); }, false, true},
      {"character colour", [](EditsTest& t) { t.ChooseCharColor(fw::RGB(4, 4, 4)); }, true, false},
      {"character colour, nothing selected",
       [](EditsTest& t) {
         t.w->MojimePM().SetListIndex(-1);
         t.ChooseCharColor(fw::RGB(4, 4, 4));
       },
       true, false},
      {"character colour cancelled", [](EditsTest& t) { t.ChooseCharColor(std::nullopt); }, false,
       true},
      {"position step", [](EditsTest& t) { Click(t.w->PosBB(1)); }, true, false},
      {"position step, nothing selected",
       [](EditsTest& t) {
         t.w->MojimePM().SetListIndex(-1);
         Click(t.w->PosBB(2));
       },
       true, false},
      {"Fit", [](EditsTest& t) { Click(t.w->PushButton2()); }, false, true},
      {"export height", [](EditsTest& t) { t.w->ExpCB().SetText(QStringLiteral("46")); }, false,
       true},
      {"export format", [](EditsTest& t) { t.w->ExpTypPM().SetListIndex(2); }, false, true},
      {"character chosen", [](EditsTest& t) { t.w->MojimePM().SetListIndex(3); }, false, true},
      {"glyph clicked",
       [](EditsTest& t) {
         QTest::mouseClick(&t.w->fcv().Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(500, 9));
       },
       false, true},
      {"colour, then typing",
       [](EditsTest& t) {
         t.ChooseBackground(fw::RGB(3, 3, 3));
         QTest::keyClicks(&t.w->LogoTF().Edit(), "x");
       },
       true, false},
      {"colour, then a document read",
       [](EditsTest& t) {
         t.ChooseBackground(fw::RGB(3, 3, 3));
         WriteBytes(t.Path(QStringLiteral("doc.TXT")), "AB\n1:1:1\n0,0:0:0,0\n1,0:0:0,92\n");
         t.w->OpenData(t.Item(QStringLiteral("doc.TXT")));
       },
       false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    w = Shown();
    w->mNoChange = true;  // as the first window after start-up
    c.edit(*this);
    EXPECT_EQ(w->mDuty, c.duty);
    EXPECT_EQ(w->mNoChange, c.noChange);
  }
}

}  // namespace
