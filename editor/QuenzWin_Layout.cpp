// The window's appearance: its own properties, its 24 controls and their event bindings.
#include "QuenzWin.h"

#include "framework/Menus.h"

namespace {

fw::WindowProperties QuenzWinProperties() {
  fw::WindowProperties p;
  p.width = 627;
  p.height = 306;
  p.minWidth = 64;
  p.minHeight = 64;
  p.maxWidth = 32000;
  p.maxHeight = 32000;
  p.frame = 0;
  p.title = QStringLiteral("Quenz Logo Maker");
  p.closeButton = true;
  p.resizeable = true;
  p.maximizeButton = true;
  p.minimizeButton = true;
  p.fullScreenButton = false;
  p.hasBackColor = false;
  p.backColor = 0xFFFFFF;
  p.menuBarVisible = true;
  return p;
}

// A control of the window by the entries that every control has: its name, place and tab
// index.
fw::ControlProperties ControlAt(const char16_t* name, int left, int top, int width, int height,
                                int tab) {
  fw::ControlProperties p;
  p.name = QString::fromUtf16(name);
  p.left = left;
  p.top = top;
  p.width = width;
  p.height = height;
  p.tabIndex = tab;
  return p;
}

fw::ControlProperties Caption(fw::ControlProperties p, const char16_t* text, int align = 0) {
  p.text = QString::fromUtf16(text);
  p.textAlign = align;
  return p;
}

fw::ControlProperties Swatch(fw::ControlProperties p, fw::Color fill) {
  p.fillColor = fill;
  p.topLeftColor = 0x333333;
  p.bottomRightColor = 0xB3B3B3;
  p.borderWidth = 2;
  return p;
}

fw::ControlProperties Rows(fw::ControlProperties p, const QStringList& rows, int listIndex) {
  p.initialValue = rows;
  p.listIndex = listIndex;
  return p;
}

fw::ControlProperties Member(fw::ControlProperties p, int index, const char16_t* caption) {
  p.index = index;
  p.text = QString::fromUtf16(caption);
  return p;
}

// The default logo text; the layout shows its first letters until the logo field opens.
constexpr char16_t kDefaultText[] = u"TAVURE";

}  // namespace

void QuenzWin::Layout() {
  SetMenuBar(fw::SharedMenuBar());
  SetProperties(QuenzWinProperties());
}

void QuenzWin::CreateControls() {
  CreateControls0();
}

namespace {

// Adds a control under its name, finds it again by name (and index) as its class, and applies
// its property list, before any of its events is bound.
template <class Found, class Made>
Found& Place(fw::Window& window, std::shared_ptr<Made> control, const fw::ControlProperties& p) {
  window.AddControl(p.name, control);
  Found& found = window.ControlAs<Found>(p.name, p.index);
  found.Apply(p);
  return found;
}

template <class C>
C& Place(fw::Window& window, const fw::ControlProperties& p) {
  return Place<C>(window, std::make_shared<C>(), p);
}

}  // namespace

void QuenzWin::CreateControls0() {
  const QString defaultText = QString::fromUtf16(kDefaultText);

  auto& expCB = Place<fw::ComboBox>(
      *this, Rows(ControlAt(u"ExpCB", 130, 265, 80, 20, 0),
                  {QStringLiteral("23"), QStringLiteral("46"), QStringLiteral("92"),
                   QStringLiteral("138"), QStringLiteral("184"), QStringLiteral("230")},
                  4));
  expCB.onOpen = [this](fw::ComboBox& s) { ExpCB_Open(s); };
  expCB.onTextChanged = [this](fw::ComboBox& s) { ExpCB_TextChanged(s); };

  Place<fw::Label>(*this,
                   Caption(ControlAt(u"Label1", 20, 264, 114, 20, 1), u"出力サイズ(高さ)："));

  fw::ControlProperties canvas = ControlAt(u"fcv", 15, 115, 597, 138, 2);
  canvas.lockRight = true;
  auto& preview = Place<fw::Canvas>(*this, canvas);
  preview.onPaint = [this](fw::Canvas& s, fw::Graphics& g) { fcv_Paint(s, g); };
  preview.onMouseDown = [this](fw::Canvas& s, int x, int y) { return fcv_MouseDown(s, x, y); };

  auto& background =
      Place<fw::Rectangle>(*this, Swatch(ControlAt(u"BKColorRT", 467, 13, 56, 22, 3), 0xFFFFFF));
  background.onMouseDown = [this](fw::Rectangle& s, int x, int y) {
    return BKColorRT_MouseDown(s, x, y);
  };

  auto& foreground =
      Place<fw::Rectangle>(*this, Swatch(ControlAt(u"FGColorRT", 268, 49, 56, 22, 4), 0x000000));
  foreground.onMouseDown = [this](fw::Rectangle& s, int x, int y) {
    return FGColorRT_MouseDown(s, x, y);
  };

  Place<fw::Label>(*this, Caption(ControlAt(u"Label2", 396, 13, 59, 20, 5), u"背景色：", 2));

  fw::ControlProperties logoText = ControlAt(u"LogoTF", 60, 12, 326, 22, 6);
  logoText.text = defaultText.left(2);
  logoText.limitText = kMaxLogoText;
  auto& logo = Place<fw::TextField>(*this, logoText);
  logo.onTextChange = [this](fw::TextField& s) { LogoTF_TextChange(s); };
  logo.onOpen = [this](fw::TextField& s) { LogoTF_Open(s); };

  Place<fw::Label>(*this, Caption(ControlAt(u"Label3", 15, 13, 45, 20, 7), u"ロゴ："));

  auto& characters =
      Place<fw::PopupMenu>(*this, Rows(ControlAt(u"MojimePM", 93, 49, 71, 20, 8),
                                       {QStringLiteral("1"), QStringLiteral("2")}, 0));
  characters.onChange = [this](fw::PopupMenu& s) { MojimePM_Change(s); };

  Place<fw::Label>(*this, Caption(ControlAt(u"Label4", 15, 49, 79, 20, 9), u"各文字設定："));

  fw::ControlProperties characterLabel = ControlAt(u"MojimeLV", 169, 49, 78, 20, 10);
  characterLabel.text = QStringLiteral("文字目 (") + defaultText.left(1) + u')';
  Place<fw::Label>(*this, characterLabel);

  Place<fw::Label>(*this, Caption(ControlAt(u"Label6", 240, 49, 30, 20, 11), u"色："));
  Place<fw::Label>(*this, Caption(ControlAt(u"Label7", 337, 49, 41, 20, 12), u"位置："));

  auto& exportButton = Place<fw::PushButton>(
      *this, Caption(ControlAt(u"PushButton1", 505, 266, 80, 20, 13), u"出力"));
  exportButton.onAction = [this](fw::PushButton& s) { PushButton1_Action(s); };

  // The four position buttons, made with their index; on screen they read <<, <, >, >>.
  const fw::ControlProperties positions[] = {
      Member(ControlAt(u"PosBB", 412, 49, 36, 20, 14), 0, u"<"),
      Member(ControlAt(u"PosBB", 451, 49, 36, 20, 15), 1, u">"),
      Member(ControlAt(u"PosBB", 375, 49, 36, 20, 16), 2, u"<<"),
      Member(ControlAt(u"PosBB", 489, 49, 36, 20, 17), 3, u">>"),
  };
  for (const fw::ControlProperties& p : positions) {
    auto& button = Place<fw::PushButton>(*this, std::make_shared<class PosBB>(p.index), p);
    button.onAction = [this](fw::PushButton& s) { PosBB_Action(s); };
  }

  Place<fw::Label>(*this,
                   Caption(ControlAt(u"ExpWLV", 226, 264, 169, 20, 18), u"出力サイズ(幅)："));

  Place<fw::PopupMenu>(
      *this, Rows(ControlAt(u"ExpTypPM", 408, 266, 80, 20, 19),
                  {QStringLiteral("TIFF"), QStringLiteral("PNG"), QStringLiteral("JPEG")}, 1));

  fw::ControlProperties hint =
      Caption(ControlAt(u"Label9", 20, 83, 451, 23, 20),
              u"オプションを押したまま色や位置を変えると選択文字以降が対象になります");
  hint.multiline = true;
  Place<fw::Label>(*this, hint);

  fw::ControlProperties line;
  line.name = QStringLiteral("Line1");
  line.tabIndex = 20;
  line.x1 = 611;
  line.y1 = 92;
  line.x2 = 611;
  line.y2 = 112;
  line.lineColor = 0x000000;
  line.borderWidth = 1;
  Place<fw::Line>(*this, line);

  fw::ControlProperties ratio = Caption(ControlAt(u"Label10", 551, 70, 66, 20, 21), u"ケース比", 2);
  ratio.textSize = 11;
  Place<fw::Label>(*this, ratio);

  fw::ControlProperties fit = Caption(ControlAt(u"PushButton2", 575, 50, 37, 20, 22), u"Fit");
  fit.textSize = 11;
  auto& fitButton = Place<fw::PushButton>(*this, fit);
  fitButton.onAction = [this](fw::PushButton& s) { PushButton2_Action(s); };
}
