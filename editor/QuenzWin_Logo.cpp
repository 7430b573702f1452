// The logo: drawing it, its export size, its text and selection, and the colour and position
// edits.
#include "QuenzWin.h"

#include "editor/LogoRenderer.h"
#include "editor/Module1.h"
#include "framework/Dialogs.h"
#include "framework/Keyboard.h"

namespace {

constexpr std::int32_t kPreviewSize = 138;  // a glyph's height in the preview
constexpr double kPreviewSizeReal = 138.0;
constexpr int kDesignWidth = 627;

const QString& WidthCaption() {
  static const QString caption = QStringLiteral("出力サイズ(幅)：");
  return caption;
}

}  // namespace

// ---- renderer and preview

void QuenzWin::MakeQuenzLogo(fw::Graphics& g, std::int32_t size, double scale) {
  DrawLogo(g, mLogo, BKColorRT().FillColor(), Module1::gMoji, size, scale);
}

void QuenzWin::fcv_Paint(fw::Canvas& /*canvas*/, fw::Graphics& g) {
  MakeQuenzLogo(g, kPreviewSize, 1.0);
}

// ---- export size

void QuenzWin::SetExpSize() {
  const std::int32_t h = fw::ToInt32(fw::Val(ExpCB().Text()));
  const double s = h / kPreviewSizeReal;
  if (UBoundLogo() < 1) return;  // no character: keep the last size
  const std::int32_t p = mLogo[std::size_t(UBoundLogo())]->mPos;
  const std::int32_t w = fw::ToInt32(s * p + h);
  ExpWLV().SetText(WidthCaption() + fw::Str(w));
  mExpW = w;
  mExpH = h;
  mExpZ = s;
}

void QuenzWin::ExpCB_Open(fw::ComboBox& box) {
  box.DeleteAllRows();
  for (int i = 1; i <= 10; ++i)
    box.AddRow(fw::Str(i * 46));
  box.SetText(QStringLiteral("309"));
  SetExpSize();
}

void QuenzWin::ExpCB_TextChanged(fw::ComboBox& /*box*/) {
  SetExpSize();
}

// ---- logo text and selection

void QuenzWin::LogoTF_Open(fw::TextField& field) {
  field.SetText(QStringLiteral("TAVURE"));
}

void QuenzWin::LogoTF_TextChange(fw::TextField& field) {
  // The logo keeps only the bytes of digits and capitals; the field shows the text as typed. A
  // line 1 read in another encoding than UTF-8 gives its own bytes until the text changes.
  std::optional<QByteArray>& bytes = mFile.logoBytes;
  if (bytes && (field.UserChange() || field.Text() != QString::fromLatin1(*bytes))) bytes.reset();
  const QByteArray text = bytes ? *bytes : field.Text().toUtf8();
  QByteArray kept;
  kept.reserve(text.size());
  for (const char b : text) {
    if (MakesCharacter(b)) kept.append(b);
  }
  SetLogoText(kept);
  // An edit of the user's is a change to be saved, like a colour or a position; the default
  // text and the text of a document read in are not.
  mDuty = field.UserChange();
  mNoChange = false;
}

void QuenzWin::SetLogoText(const QByteArray& text) {
  const int n = fw::LenB(text);

  // One record per character. A record stays with its place and changes only its glyph.
  mLogo.resize(std::size_t(n) + 1);
  for (int i = 1; i <= n; ++i) {
    // The i-th byte as a one-byte text, read in place.
    const QByteArray ch = QByteArray::fromRawData(text.constData() + i - 1, 1);
    LogoInfoPtr& record = mLogo[std::size_t(i)];
    if (!record) {
      record = std::make_shared<LogoInfo>(i, ch);
    } else {
      record->SetChar(ch);
    }
  }
  fcv().Refresh(true);

  // One row of the popup per character, "ch: n", tagged with the character; the selection stays
  // where it still names a row. The rows are made from the text only when the popup needs them:
  // a long logo would spend most of its rebuild on rows one by one.
  fw::PopupMenu& popup = MojimePM();
  const int old = popup.ListIndex();
  const auto character = [text](int row) { return QString(QChar(uchar(text[row]))); };
  popup.SetRows(
      n, [character](int row) { return character(row) + QStringLiteral(": ") + fw::Str(row + 1); },
      character);
  const int count = popup.ListCount();
  int selected = old;
  if (old > count - 1) selected = count == 0 ? -1 : 0;
  popup.SetListIndex(selected);

  SetExpSize();
}

void QuenzWin::MojimePM_Change(fw::PopupMenu& popup) {
  const int r = popup.ListIndex();
  if (r < 0) return;
  MojimeLV().SetText(QStringLiteral("文字目(") + popup.RowTag(r) + u')');
  if (r + 1 <= UBoundLogo()) FGColorRT().SetFillColor(mLogo[std::size_t(r) + 1]->mColor);
}

bool QuenzWin::fcv_MouseDown(fw::Canvas& /*canvas*/, int x, int /*y*/) {
  for (int n = 1; n <= UBoundLogo(); ++n) {
    const std::int64_t left = mLogo[std::size_t(n)]->mPos;
    if (left <= x && x < left + kPreviewSize) {
      MojimePM().SetListIndex(n - 1);
      return true;
    }
  }
  return false;
}

// ---- colour and position edits

QuenzWin::EditRange QuenzWin::CharEditRange() const {
  const fw::PopupMenu& popup = MojimePM();
  EditRange range;
  range.first = popup.ListIndex() + 1;
  if (range.first < 1) return EditRange{};
  const bool all = fw::AsyncOptionKey() || fw::AsyncAltKey();
  range.last = all ? popup.ListCount() : range.first;
  range.last = std::min(range.last, UBoundLogo());
  return range;
}

bool QuenzWin::BKColorRT_MouseDown(fw::Rectangle& swatch, int /*x*/, int /*y*/) {
  fw::Color c = swatch.FillColor();
  if (fw::SelectColor(c, QStringLiteral("背景色を選んで下さい"))) {
    swatch.SetFillColor(c);
    fcv().Refresh(true);
    mDuty = true;
    mNoChange = false;
  }
  return false;
}

bool QuenzWin::FGColorRT_MouseDown(fw::Rectangle& swatch, int /*x*/, int /*y*/) {
  fw::Color c = swatch.FillColor();
  if (fw::SelectColor(c, QStringLiteral("文字の色を選んで下さい"))) {
    swatch.SetFillColor(c);
    SetCharColor(c);
    mDuty = true;
    mNoChange = false;
  }
  return false;
}

bool QuenzWin::EditChars(const std::function<void(LogoInfo&)>& edit) {
  const EditRange range = CharEditRange();
  if (range.first > range.last) return false;
  for (int n = range.first; n <= range.last; ++n)
    edit(*mLogo[std::size_t(n)]);
  return true;
}

void QuenzWin::SetCharColor(fw::Color c) {
  if (!EditChars([c](LogoInfo& r) { r.SetCharColor(c); })) return;
  fcv().Refresh(true);
}

void QuenzWin::SetCharPos(std::int32_t d) {
  if (!EditChars([d](LogoInfo& r) { r.SetDifPos(d); })) return;
  fcv().Refresh(true);
  SetExpSize();
}

void QuenzWin::PosBB_Action(fw::PushButton& button) {
  std::int32_t step = 0;
  switch (button.Index()) {
    case 0:
      step = -1;
      break;
    case 1:
      step = 1;
      break;
    case 2:
      step = -10;
      break;
    case 3:
      step = 10;
      break;
    default:
      break;
  }
  SetCharPos(step);
  mDuty = true;
  mNoChange = false;
}

void QuenzWin::PushButton2_Action(fw::PushButton& /*button*/) {
  SetWidth(kDesignWidth);
}
