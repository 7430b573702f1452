// A new document window: its fields, its logo, and its 24 controls with their places, captions,
// tab order and the one control that follows the window's width.
#include "support/Fixtures.h"

#include <QComboBox>
#include <QLabel>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace {

class WindowTest : public QuenzTest {
 protected:
  void SetUp() override {
    QuenzTest::SetUp();
    w = NewWindow();
  }

  fw::Control& ControlNamed(const char16_t* name, int index = fw::kNoIndex) const {
    const QString n = QString::fromUtf16(name);
    fw::Control* c = index == fw::kNoIndex ? w->ControlByName(n) : w->ControlByNameIndex(n, index);
    if (!c) throw std::runtime_error("no control " + n.toStdString());
    return *c;
  }

  std::shared_ptr<QuenzWin> w;
};

constexpr int kNone = fw::kNoIndex;

enum class Kind { Combo, Label, Canvas, Rect, Field, Popup, Button, PosButton };

bool IsOfKind(const fw::Control& c, Kind k) {
  switch (k) {
    case Kind::Combo:
      return dynamic_cast<const fw::ComboBox*>(&c);
    case Kind::Label:
      return dynamic_cast<const fw::Label*>(&c);
    case Kind::Canvas:
      return dynamic_cast<const fw::Canvas*>(&c);
    case Kind::Rect:
      return dynamic_cast<const fw::Rectangle*>(&c);
    case Kind::Field:
      return dynamic_cast<const fw::TextField*>(&c);
    case Kind::Popup:
      return dynamic_cast<const fw::PopupMenu*>(&c);
    case Kind::Button:
      return dynamic_cast<const fw::PushButton*>(&c) &&
             !dynamic_cast<const class QuenzWin::PosBB*>(&c);
    case Kind::PosButton:
      return dynamic_cast<const class QuenzWin::PosBB*>(&c);
  }
  return false;
}

// The window's controls in the order they are made. Captions are those a new window shows;
// nullptr where the control has none.
const struct ControlRow {
  const char16_t* name;
  int index;
  Kind kind;
  int left, top, width, height;
  int tab;
  const char16_t* caption;
} kControls[] = {
    {u"ExpCB", kNone, Kind::Combo, 130, 265, 80, 20, 0, nullptr},
    {u"Label1", kNone, Kind::Label, 20, 264, 114, 20, 1, u"出力サイズ(高さ)："},
    {u"fcv", kNone, Kind::Canvas, 15, 115, 597, 138, 2, nullptr},
    {u"BKColorRT", kNone, Kind::Rect, 467, 13, 56, 22, 3, nullptr},
    {u"FGColorRT", kNone, Kind::Rect, 268, 49, 56, 22, 4, nullptr},
    {u"Label2", kNone, Kind::Label, 396, 13, 59, 20, 5, u"背景色："},
    {u"LogoTF", kNone, Kind::Field, 60, 12, 326, 22, 6, u"TAVURE"},
    {u"Label3", kNone, Kind::Label, 15, 13, 45, 20, 7, u"ロゴ："},
    {u"MojimePM", kNone, Kind::Popup, 93, 49, 71, 20, 8, nullptr},
    {u"Label4", kNone, Kind::Label, 15, 49, 79, 20, 9, u"各文字設定："},
    {u"MojimeLV", kNone, Kind::Label, 169, 49, 78, 20, 10, u"文字目(T)"},
    {u"Label6", kNone, Kind::Label, 240, 49, 30, 20, 11, u"色："},
    {u"Label7", kNone, Kind::Label, 337, 49, 41, 20, 12, u"位置："},
    {u"PushButton1", kNone, Kind::Button, 505, 266, 80, 20, 13, u"出力"},
    {u"PosBB", 0, Kind::PosButton, 412, 49, 36, 20, 14, u"<"},
    {u"PosBB", 1, Kind::PosButton, 451, 49, 36, 20, 15, u">"},
    {u"PosBB", 2, Kind::PosButton, 375, 49, 36, 20, 16, u"<<"},
    {u"PosBB", 3, Kind::PosButton, 489, 49, 36, 20, 17, u">>"},
    {u"ExpWLV", kNone, Kind::Label, 226, 264, 169, 20, 18, u"出力サイズ(幅)：1339"},
    {u"ExpTypPM", kNone, Kind::Popup, 408, 266, 80, 20, 19, nullptr},
    {u"Label9", kNone, Kind::Label, 20, 83, 451, 23, 20,
     u"オプションを押したまま色や位置を変えると選択文字以降が対象になります"},
    {u"Label10", kNone, Kind::Label, 551, 70, 66, 20, 21, u"ケース比"},
    {u"PushButton2", kNone, Kind::Button, 575, 50, 37, 20, 22, u"Fit"},
};

QString CaptionOf(const fw::Control& c) {
  if (auto* label = dynamic_cast<const fw::Label*>(&c)) return label->Text();
  if (auto* button = dynamic_cast<const fw::PushButton*>(&c)) return button->Caption();
  if (auto* field = dynamic_cast<const fw::TextField*>(&c)) return field->Text();
  return QString();
}

QStringList RowsOf(const fw::PopupMenu& p) {
  QStringList rows;
  for (int i = 0; i < p.ListCount(); ++i)
    rows << p.List(i);
  return rows;
}

// ---- fields and logo

TEST_F(WindowTest, ANewWindowHoldsTheDefaultLogo) {
  EXPECT_FALSE(w->mDuty);
  EXPECT_FALSE(w->mNoChange) << "putting in the default text counts as a change";
  EXPECT_FALSE(w->mFile.item);
  EXPECT_EQ(w->Title(), QStringLiteral("Quenz Logo Maker"));
  EXPECT_EQ(w->LogoTF().Text(), QStringLiteral("TAVURE"));

  ASSERT_EQ(w->UBoundLogo(), 6);
  EXPECT_FALSE(w->mLogo[0]) << "element 0 is never filled";
  const struct {
    std::int32_t chr;
    std::int32_t pos;
  } expected[] = {{19, 0}, {0, 92}, {21, 184}, {20, 276}, {17, 368}, {4, 460}};
  for (int n = 1; n <= 6; ++n) {
    SCOPED_TRACE(testing::Message() << "character " << n);
    ASSERT_TRUE(w->mLogo[std::size_t(n)]);
    const LogoInfo& r = *w->mLogo[std::size_t(n)];
    EXPECT_EQ(r.mChr, expected[n - 1].chr);
    EXPECT_EQ(r.mPos, expected[n - 1].pos);
    EXPECT_EQ(r.mColor, 0u);
  }

  const fw::PopupMenu& chars = w->MojimePM();
  EXPECT_EQ(RowsOf(chars),
            QStringList({QStringLiteral("T: 1"), QStringLiteral("A: 2"), QStringLiteral("V: 3"),
                         QStringLiteral("U: 4"), QStringLiteral("R: 5"), QStringLiteral("E: 6")}));
  const char* tags[] = {"T", "A", "V", "U", "R", "E"};
  for (int r = 0; r < 6; ++r)
    EXPECT_EQ(chars.RowTag(r), QString::fromLatin1(tags[r])) << "row " << r;
  EXPECT_EQ(chars.ListIndex(), 0);
  EXPECT_EQ(w->MojimeLV().Text(), QStringLiteral("文字目(T)"));
  EXPECT_EQ(w->FGColorRT().FillColor(), 0x000000u);
  EXPECT_EQ(w->BKColorRT().FillColor(), 0xFFFFFFu);

  EXPECT_EQ(w->mExpH, 309);
  EXPECT_EQ(w->mExpZ, 309 / 138.0);
  EXPECT_EQ(w->mExpW, 1339);
  EXPECT_EQ(w->ExpWLV().Text(), QStringLiteral("出力サイズ(幅)：1339"));
  EXPECT_EQ(w->ExpCB().Text(), QStringLiteral("309"));
  QStringList heights;
  for (int i = 0; i < w->ExpCB().ListCount(); ++i)
    heights << w->ExpCB().List(i);
  EXPECT_EQ(heights,
            QStringList({"46", "92", "138", "184", "230", "276", "322", "368", "414", "460"}));

  EXPECT_EQ(RowsOf(w->ExpTypPM()), QStringList({"TIFF", "PNG", "JPEG"}));
  EXPECT_EQ(w->ExpTypPM().ListIndex(), 1);
}

TEST_F(WindowTest, EveryWindowIsMadeAlike) {
  w->LogoTF().SetText(QStringLiteral("XY"));
  auto other = NewWindow();
  EXPECT_EQ(other->LogoTF().Text(), QStringLiteral("TAVURE"));
  EXPECT_EQ(other->UBoundLogo(), 6);
  EXPECT_EQ(other->mExpW, 1339);
  EXPECT_NE(other->mLogo[1], w->mLogo[1]) << "each window has characters of its own";
  EXPECT_EQ(w->UBoundLogo(), 2);
}

// ---- controls

TEST_F(WindowTest, ControlsStandWhereTheLayoutPutsThem) {
  w->Show();
  Flush();
  EXPECT_EQ(w->Width(), 627);
  EXPECT_EQ(w->Height(), 306);
  for (const ControlRow& row : kControls) {
    SCOPED_TRACE(QString::fromUtf16(row.name).toStdString() + " " + std::to_string(row.index));
    fw::Control* c = row.index == kNone
                         ? w->ControlByName(QString::fromUtf16(row.name))
                         : w->ControlByNameIndex(QString::fromUtf16(row.name), row.index);
    ASSERT_TRUE(c);
    EXPECT_TRUE(IsOfKind(*c, row.kind));
    EXPECT_EQ(c->Index(), row.index);
    EXPECT_EQ(c->TabIndex(), row.tab);
    EXPECT_EQ(c->Widget().geometry(), QRect(row.left, row.top, row.width, row.height));
    EXPECT_TRUE(c->Widget().isVisible());
    EXPECT_TRUE(c->Widget().isEnabled());
    if (row.caption) {
      EXPECT_EQ(CaptionOf(*c), QString::fromUtf16(row.caption));
    }
  }

  // The line: a vertical black line from (611, 92) to (611, 112), sharing Label9's tab place.
  fw::Control& line = ControlNamed(u"Line1");
  EXPECT_TRUE(dynamic_cast<fw::Line*>(&line));
  EXPECT_EQ(line.TabIndex(), 20);
  const QRect lineRect = line.Widget().geometry();
  EXPECT_TRUE(lineRect.contains(QPoint(611, 92)) && lineRect.contains(QPoint(611, 112)))
      << lineRect.x() << "," << lineRect.y() << " " << lineRect.width() << "x" << lineRect.height();
  EXPECT_LE(lineRect.width(), 2);
  EXPECT_LE(lineRect.height(), 22);
  EXPECT_EQ(line.Widget().grab().toImage().pixel(611 - lineRect.x(), 100 - lineRect.y()),
            qRgb(0, 0, 0));
}

// The line under "ケース比" stays a line at every scale of the screen: at least one of the
// screen's pixels across, and no more than its width of 1 takes at that scale, rounded up.
TEST_F(WindowTest, TheLineIsAtLeastOnePixelOfTheScreenWideAtAnyScale) {
  QWidget& content = *w->Line1().Widget().parentWidget();
  for (const qreal scale : {1.0, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0}) {
    SCOPED_TRACE(scale);
    QImage screen(content.size() * scale, QImage::Format_RGB32);
    screen.setDevicePixelRatio(scale);
    screen.fill(Qt::white);
    content.render(&screen);
    for (const int y : {93, 100, 111}) {
      const int row = int(y * scale);
      int dark = 0;
      for (int x = int(609 * scale); x <= int(614 * scale) + 1; ++x)
        dark += qGray(screen.pixel(x, row)) < 128;
      EXPECT_GE(dark, 1) << "at y " << y;
      EXPECT_LE(dark, int(std::ceil(scale)) + 1) << "at y " << y;
    }
  }
}

TEST_F(WindowTest, SwatchesAndTextSettings) {
  for (const fw::Rectangle* swatch : {&w->BKColorRT(), &w->FGColorRT()}) {
    EXPECT_EQ(swatch->TopLeftColor(), 0x333333u);
    EXPECT_EQ(swatch->BottomRightColor(), 0xB3B3B3u);
    EXPECT_EQ(swatch->BorderWidth(), 2);
  }

  // Label2 and Label10 share one alignment that no other label has; Label9 wraps.
  auto alignmentOf = [](const fw::Label& l) {
    return static_cast<const QLabel&>(l.Widget()).alignment() & Qt::AlignHorizontal_Mask;
  };
  const auto centred = alignmentOf(w->Label2());
  EXPECT_EQ(alignmentOf(w->Label10()), centred);
  for (const fw::Label* l : {&w->Label1(), &w->Label3(), &w->Label4(), &w->MojimeLV(), &w->Label6(),
                             &w->Label7(), &w->ExpWLV(), &w->Label9()}) {
    EXPECT_NE(alignmentOf(*l), centred) << l->Name().toStdString();
  }
  EXPECT_TRUE(static_cast<const QLabel&>(w->Label9().Widget()).wordWrap());
  EXPECT_FALSE(static_cast<const QLabel&>(w->Label1().Widget()).wordWrap());

  // Label10 and PushButton2 are set smaller than the rest.
  const int standard = w->Label1().Widget().font().pixelSize();
  EXPECT_EQ(w->Label10().Widget().font().pixelSize(), 11);
  EXPECT_EQ(w->PushButton2().Widget().font().pixelSize(), 11);
  EXPECT_NE(standard, 11);
  EXPECT_EQ(w->PushButton1().Widget().font().pixelSize(), standard);
}

TEST_F(WindowTest, TabGoesThroughTheControlsInCreationOrder) {
  // The controls that take the keyboard focus, in the order Tab visits them.
  std::vector<QWidget*> expected = {
      &w->ExpCB().Widget(),  &w->BKColorRT().Widget(), &w->FGColorRT().Widget(),
      &w->LogoTF().Widget(), &w->MojimePM().Widget(),  &w->PushButton1().Widget(),
      &w->PosBB(0).Widget(), &w->PosBB(1).Widget(),    &w->PosBB(2).Widget(),
      &w->PosBB(3).Widget(), &w->ExpTypPM().Widget(),  &w->PushButton2().Widget()};
  auto owner = [&](QWidget* widget) -> QWidget* {
    for (QWidget* c : expected) {
      if (widget == c || c->isAncestorOf(widget)) return c;
    }
    return nullptr;
  };
  std::vector<QWidget*> chain;
  QWidget* at = expected.front();
  for (int steps = 0; steps < 200 && chain.size() < expected.size(); ++steps) {
    if (QWidget* c = owner(at); c && (chain.empty() || chain.back() != c)) chain.push_back(c);
    at = at->nextInFocusChain();
  }
  EXPECT_EQ(chain, expected);
}

TEST_F(WindowTest, PositionButtonsAreOneArrayToldApartByIndex) {
  const char* captions[] = {"<", ">", "<<", ">>"};
  std::vector<std::pair<int, QString>> onScreen;
  for (int i = 0; i < 4; ++i) {
    fw::PushButton& b = w->PosBB(i);
    EXPECT_EQ(b.Name(), QStringLiteral("PosBB"));
    EXPECT_EQ(b.Index(), i);
    EXPECT_EQ(b.Caption(), QString::fromLatin1(captions[i]));
    EXPECT_TRUE(dynamic_cast<class QuenzWin::PosBB*>(&b));
    onScreen.emplace_back(b.Widget().x(), b.Caption());
  }
  EXPECT_EQ(w->ControlByNameIndex(QStringLiteral("PosBB"), 4), nullptr);
  std::sort(onScreen.begin(), onScreen.end());
  QStringList leftToRight;
  for (const auto& [x, caption] : onScreen)
    leftToRight << caption;
  EXPECT_EQ(leftToRight, QStringList({"<<", "<", ">", ">>"}));
}

TEST_F(WindowTest, OnlyThePreviewFollowsTheWidthAndFitRestoresIt) {
  w->Show();
  Flush();
  std::vector<std::pair<fw::Control*, QRect>> others;
  for (const ControlRow& row : kControls) {
    if (QString::fromUtf16(row.name) == u"fcv") continue;
    fw::Control& c = ControlNamed(row.name, row.index);
    others.emplace_back(&c, c.Widget().geometry());
  }
  const QRect line = w->Line1().Widget().geometry();

  for (const int width : {727, 527, 627 + 1000}) {
    SCOPED_TRACE(width);
    w->SetWidth(width);
    Flush();
    ASSERT_EQ(w->Width(), width);
    EXPECT_EQ(w->fcv().Widget().geometry(), QRect(15, 115, width - 30, 138));
    for (const auto& [c, rect] : others)
      EXPECT_EQ(c->Widget().geometry(), rect) << c->Name().toStdString() << " " << c->Index();
    EXPECT_EQ(w->Line1().Widget().geometry(), line);
    EXPECT_EQ(w->Height(), 306);

    const bool duty = w->mDuty;
    const bool noChange = w->mNoChange;
    QTest::mouseClick(&w->PushButton2().Widget(), Qt::LeftButton);
    Flush();
    EXPECT_EQ(w->Width(), 627);
    EXPECT_EQ(w->Height(), 306);
    EXPECT_EQ(w->fcv().Widget().geometry(), QRect(15, 115, 597, 138));
    EXPECT_EQ(w->mDuty, duty);
    EXPECT_EQ(w->mNoChange, noChange);
  }
}

}  // namespace
