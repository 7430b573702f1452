// The window's files: image export, the logo document, the File commands and the close prompt.
#include "QuenzWin.h"

#include "base/ErrorText.h"
#include "base/FolderItem.h"
#include "base/SaveFile.h"
#include "base/TextStreams.h"
#include "editor/Module1.h"
#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "framework/Progress.h"
#include "framework/WindowList.h"
#include "imaging/ExportPicture.h"
#include "imaging/Picture.h"

#include <QCoreApplication>
#include <QLocale>

#include <algorithm>
#include <memory>

namespace {

struct ExportFormat {
  const char* typeIdentifier;
  const char* fileTypeName;
  const char* defaultName;
  int formatCode;
};

// By row of the format popup: TIFF, PNG, JPEG.
constexpr ExportFormat kExportFormats[] = {
    {"public.tiff", "TIFFTYPE", "Untitled.TIF", fw::Picture::kFormatTIFF},
    {"public.png", "PNGTYPE", "Untitled.PNG", fw::Picture::kFormatPNG},
    {"public.jpeg", "JPEGTYPE", "Untitled.JPG", fw::Picture::kFormatJPEG},
};

// Str(mChr), ",", the colour, ",", Str(mPos), appended to line.
void AppendCharacterLine(QString& line, const LogoInfo& r) {
  fw::AppendStr(line, r.mChr);
  line.append(u',');
  Module1::AppendColorToStr(line, r.mColor);
  line.append(u',');
  fw::AppendStr(line, r.mPos);
}

// Built in place, one line for every character.
QString CharacterLine(const LogoInfo& r) {
  QString line;
  line.reserve(36);
  AppendCharacterLine(line, r);
  return line;
}

// What a save would lose of a document read: a line of it that holds text which the writer would
// not write back as it stands. Line 1 is always written back as read. Line 2 is the document's own
// when it is the colour text that the writer writes for the colour read from it, and a character
// line when it is the writer's line for the record read from it; any line that holds text beyond
// the lines that the characters take is lost. An empty line holds no text to lose. The writer of
// every version of this program writes exactly these forms ("r:g:b" with each channel from 0 to
// 255, numbers with no leading zeros, no sign but a leading "-", no blanks) and no line beyond
// them, so that no document that it wrote ever counts.
class TextNotWrittenBack {
 public:
  void Background(const QString& line, fw::Color read) {
    found_ = found_ || (!line.isEmpty() && line != Module1::ColorToStr(read));
  }
  void Character(const QString& line, const LogoInfo& read) {
    if (found_ || line.isEmpty()) return;
    written_.resize(0);  // keeps its room for the next line
    AppendCharacterLine(written_, read);
    found_ = line != written_;
  }
  // The lines after the characters' own.
  void Rest(fw::TextInputStream& in) {
    while (!found_ && !in.Eof())
      found_ = !in.ReadLineBytes().isEmpty();
  }
  bool Found() const { return found_; }

 private:
  bool found_ = false;
  QString written_;
};

// Holds a window until the event loop is free again: a window closed while its export lets
// events run must outlive the export, and the click on its button that started it.
class HeldUntilIdle {
 public:
  explicit HeldUntilIdle(std::shared_ptr<fw::Window> window) : window_(std::move(window)) {}
  HeldUntilIdle(const HeldUntilIdle&) = delete;
  HeldUntilIdle& operator=(const HeldUntilIdle&) = delete;
  ~HeldUntilIdle() { fw::ReleaseWhenIdle(std::move(window_)); }

 private:
  std::shared_ptr<fw::Window> window_;
};

// The format that a file of that name is written in. A name typed with the extension of one of the
// three formats says which the user wants, whatever the popup shows: as in Linux's image programs,
// which take the format from the name, and so that a file never holds one format under another's
// extension, which viewers and browsers would then misread. Any other name takes the popup's.
int FormatCodeFor(const QString& fileName, const ExportFormat& chosen) {
  static const struct {
    const char* extension;
    int formatCode;
  } kNamed[] = {
      {".tif", fw::Picture::kFormatTIFF},  {".tiff", fw::Picture::kFormatTIFF},
      {".png", fw::Picture::kFormatPNG},   {".jpg", fw::Picture::kFormatJPEG},
      {".jpeg", fw::Picture::kFormatJPEG},
  };
  for (const auto& named : kNamed) {
    if (fileName.endsWith(QLatin1String(named.extension), Qt::CaseInsensitive)) {
      return named.formatCode;
    }
  }
  return chosen.formatCode;
}

// Why no picture of width x height can be made, and what to do about it, for the user.
fw::MessageDialog ExportSizeMessage(std::int32_t width, std::int32_t height) {
  fw::MessageDialog d;
  d.Icon = 1;
  d.Message =
      QCoreApplication::translate("QuenzWin", "A picture of %1 × %2 pixels cannot be exported.")
          .arg(width)
          .arg(height);
  QString advice;
  if (height < 1) {
    advice = QCoreApplication::translate("QuenzWin", "Choose an export height of 1 or more.");
  } else if (height > fw::Picture::kMaxSide || width > fw::Picture::kMaxSide) {
    advice = QCoreApplication::translate("QuenzWin", "Choose a smaller height.");
  } else {
    // The height is fine; the last character lies so far left that the picture ends before 0.
    advice = QCoreApplication::translate("QuenzWin", "Move the last character to the right.");
  }
  d.Explanation = QCoreApplication::translate(
                      "QuenzWin", "Width and height must both be from 1 to %1 pixels. %2")
                      .arg(fw::Picture::kMaxSide)
                      .arg(advice);
  return d;
}

// The most bytes that a file name can hold on Linux's file systems.
constexpr qsizetype kMaxNameBytes = 255;

// The first characters of text whose UTF-8 takes at most maxBytes bytes, never half a character.
QString LeftInUtf8(const QString& text, qsizetype maxBytes) {
  qsizetype bytes = 0;
  qsizetype end = 0;
  while (end < text.size()) {
    const char16_t c = text[end].unicode();
    const bool pair =
        QChar::isHighSurrogate(c) && end + 1 < text.size() && text[end + 1].isLowSurrogate();
    const qsizetype size = pair ? 4 : c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
    if (bytes + size > maxBytes) break;
    bytes += size;
    end += pair ? 2 : 1;
  }
  return text.left(end);
}

// The name that the save dialog offers for a logo text: the text and ".TXT", made one valid and
// visible file name. A "/" or a NUL becomes "_", a line end a blank, leading full stops go; a
// long text is cut to fit; a text of blanks alone, which would name a hidden or blank file,
// gives "Untitled.TXT".
QString DocumentName(const QString& logoText) {
  const QString extension = QStringLiteral(".TXT");
  QString name = fw::OneLine(logoText);
  name.replace(u'/', u'_');
  name.replace(QChar(u'\0'), u'_');
  // A leading "." would hide the file from the open dialog.
  while (name.startsWith(u'.'))
    name.remove(0, 1);
  if (name.trimmed().isEmpty()) return QStringLiteral("Untitled") + extension;
  return LeftInUtf8(name, kMaxNameBytes - extension.size()) + extension;
}

// A logo document is a regular file of at most QuenzWin::kMaxDocumentBytes; anything else is
// refused before a byte of it is read.
std::unique_ptr<fw::TextInputStream> OpenDocument(const fw::FolderItem& f) {
  try {
    return fw::TextInputStream::Open(f, QuenzWin::kMaxDocumentBytes);
  } catch (const fw::RefusedFile& refused) {
    throw fw::Error(QCoreApplication::translate("QuenzWin", "“%1” is not a logo document: %2")
                        .arg(f.Name(), refused.Reason()));
  }
}

// A document whose logo text no window takes: refused before the window changes, or shows.
fw::Error TooLongLogo(const fw::FolderItem& f) {
  return fw::Error(QCoreApplication::translate("QuenzWin",
                                               "“%1” was not opened: its logo text is longer "
                                               "than %2 characters, the most that a logo takes.")
                       .arg(f.Name(), QLocale(QLocale::English).toString(QuenzWin::kMaxLogoText)));
}

}  // namespace

// ---- image export

void QuenzWin::PushButton1_Action(fw::PushButton& /*button*/) {
  // A size that no picture can have is explained here, before any dialog.
  if (!fw::Picture::SizeAllowed(mExpW, mExpH)) {
    ExportSizeMessage(mExpW, mExpH).ShowModal();
    return;
  }
  const HeldUntilIdle held(shared_from_this());

  // The picture records the logo as it is drawn, and draws it again band by band as it is saved.
  const auto picture = std::make_shared<fw::ExportPicture>(mExpW, mExpH, 32);
  MakeQuenzLogo(picture->Graphics(), mExpH, mExpZ);

  const int row = ExpTypPM().ListIndex();
  if (row < 0 || row >= int(std::size(kExportFormats))) return;
  const ExportFormat& format = kExportFormats[row];
  if (!fw::Picture::IsExportFormatSupported(QString::fromLatin1(format.typeIdentifier))) return;
  const fw::FolderItemPtr f = fw::GetSaveFolderItem(QString::fromLatin1(format.fileTypeName),
                                                    QString::fromLatin1(format.defaultName));
  if (!f) return;
  // Between the bands the windows repaint, and a save that takes a while shows its progress.
  const std::unique_ptr<fw::Progress> progress = fw::StartProgress(
      QCoreApplication::translate("QuenzWin", "Saving “%1”…").arg(f->Name()), picture->BandCount());
  picture->Save(*f, FormatCodeFor(f->Name(), format), -1,
                [&](int bandsDone) { return fw::RunEventsAndStep(*progress, bandsDone); });
}

// ---- the logo document

bool QuenzWin::MayReplace(const fw::FolderItem& f) {
  if (!mFile || mFile->Path() != f.Path()) return true;
  const std::optional<fw::FileStamp> now = fw::StampOf(f);
  if (!now) return true;  // gone: nothing to lose
  const bool changed = mFileStamp && *now != *mFileStamp;
  if (!changed && !mFileHasOtherText) return true;

  // A file changed since it was read is asked about as such; agreeing to replace that version
  // replaces whatever it holds.
  fw::MessageDialog d;
  d.Icon = 1;
  if (changed) {
    d.Message = QCoreApplication::translate(
                    "QuenzWin", "“%1” has changed since this window last opened or saved it.")
                    .arg(f.Name());
    d.Explanation = QCoreApplication::translate(
        "QuenzWin",
        "Another window or another program has saved it since. Replace it with this window's "
        "logo, and lose what was saved there?");
  } else {
    d.Message =
        QCoreApplication::translate("QuenzWin", "“%1” holds text that is not part of a logo.")
            .arg(f.Name());
    d.Explanation = QCoreApplication::translate(
        "QuenzWin",
        "It may not be a logo document. Saving replaces the whole file with this window's logo, "
        "and that text is lost.");
  }
  d.ActionButton.Caption = QCoreApplication::translate("QuenzWin", "Replace");
  d.CancelButton.Visible = true;
  const fw::DialogOwnerScope over(*this);
  return d.ShowModal() == &d.ActionButton;
}

void QuenzWin::SaveData(fw::FolderItemPtr f) {
  if (!f) {
    f = fw::GetSaveFolderItem(QStringLiteral("TextType"), DocumentName(LogoTF().Text()));
    if (!f) return;
  }
  if (!MayReplace(*f)) return;
  try {
    fw::NamingFailures(f->Name(), fw::FileAction::Save, [&] {
      // Nothing touches the old file until the whole document is written (see TextOutputStream).
      const auto out = fw::TextOutputStream::Create(*f);
      if (mLogoBytes) {
        out->WriteLineBytes(*mLogoBytes);
      } else {
        out->WriteLine(LogoTF().Text());
      }
      out->WriteLine(Module1::ColorToStr(BKColorRT().FillColor()));
      for (int n = 1; n <= UBoundLogo(); ++n)
        out->WriteLine(CharacterLine(*mLogo[std::size_t(n)]));
      out->Close();
    });
  } catch (const fw::PartlyWritten&) {
    // The window's own file, part written over by this save, is now in the state that this
    // window left it in: no later save is to ask about another program's version of it.
    if (mFile && mFile->Path() == f->Path()) mFileStamp = fw::StampOf(*f);
    throw;
  }

  mFileStamp = fw::StampOf(*f);
  mFileHasOtherText = false;
  mFile = f;
  SetTitle(f->Name());
  mDuty = false;
}

void QuenzWin::OpenData(fw::FolderItemPtr f) {
  if (!f || !f->Exists()) return;

  fw::NamingFailures(f->Name(), fw::FileAction::Open, [&] {
    std::vector<LogoInfo> records;  // lives only during the read: held by value
    const auto in = OpenDocument(*f);

    // Line 1 is the logo text; assigning it rebuilds the character list at once. A line that is
    // not UTF-8 is shown as Latin-1, one character a byte, and its bytes are kept as they are.
    const QByteArray line1 = in->ReadLineBytes();
    const bool utf8 = fw::IsUtf8(line1);
    const QString text = utf8 ? fw::DecodeLine(line1) : QString::fromLatin1(line1);
    if (text.size() > kMaxLogoText) throw TooLongLogo(*f);
    mLogoBytes.reset();
    if (!utf8) mLogoBytes = line1;
    LogoTF().SetText(text);
    TextNotWrittenBack otherText;
    const QString line2 = in->ReadLine();
    const fw::Color background = Module1::StrToColor(line2);
    BKColorRT().SetFillColor(background);
    otherText.Background(line2, background);

    // One record per character line, but never more than the characters that line 1 gave: the
    // rest could not be copied anyway.
    records.emplace_back();
    const std::size_t wanted = std::size_t(std::max(0, UBoundLogo()));
    records.reserve(wanted + 1);
    while (records.size() - 1 < wanted) {
      const QString line = in->ReadLine();
      LogoInfo& record = records.emplace_back();
      record.mChr = fw::ToInt32(fw::Val(fw::NthFieldView(line, u",", 1)));
      record.mColor = Module1::StrToColor(fw::NthFieldView(line, u",", 2));
      record.mPos = fw::ToInt32(fw::Val(fw::NthFieldView(line, u",", 3)));
      otherText.Character(line, record);
      if (in->Eof()) break;
    }
    otherText.Rest(*in);
    const fw::FileStamp stamp = in->Stamp();
    in->Close();

    fw::Application::DoEvents(-1);

    // The events just run may have changed the logo text: copy only what both lists hold.
    for (int n = 1; n < int(records.size()) && n <= UBoundLogo(); ++n) {
      LogoInfo& target = *mLogo[std::size_t(n)];
      target.mChr = records[std::size_t(n)].mChr;
      target.mColor = records[std::size_t(n)].mColor;
      target.mPos = records[std::size_t(n)].mPos;
    }
    if (MojimePM().ListCount() > 0) MojimePM().SetListIndex(0);
    mFileStamp = stamp;
    mFileHasOtherText = otherText.Found();
    mFile = f;
    SetTitle(f->Name());
    fcv().Refresh(true);
    SetExpSize();
  });
}

// ---- File commands and closing

void QuenzWin::AddMenuHandlers(fw::Window& window) {
  auto& self = static_cast<QuenzWin&>(window);
  window.AddMenuHandler(QStringLiteral("FileClose"), [&self] { return self.FileClose_Action(); });
  window.AddMenuHandler(QStringLiteral("FileSave"), [&self] { return self.FileSave_Action(); });
  window.AddMenuHandler(QStringLiteral("FileSaveAs"), [&self] { return self.FileSaveAs_Action(); });
}

bool QuenzWin::FileClose_Action() {
  Close();
  return true;
}

bool QuenzWin::FileSave_Action() {
  SaveData(mFile);
  return true;
}

bool QuenzWin::FileSaveAs_Action() {
  SaveData(nullptr);
  return true;
}

bool QuenzWin::Event_CancelClose(bool /*appQuitting*/) {
  if (!mDuty) return false;

  fw::MessageDialog d;
  d.Icon = 1;
  d.ActionButton.Caption = Module1::kSave(QString());
  d.CancelButton.Visible = true;
  d.AlternateActionButton.Visible = true;
  d.AlternateActionButton.Caption = QStringLiteral("Don't Save");
  d.Message = QStringLiteral("Do you want to save changes to this document before closing?");
  d.Explanation = QStringLiteral("If you don't save, your changes will be lost. ");

  const fw::MessageDialogButton* b = d.ShowModal();
  if (b == &d.ActionButton) {
    // Saved, the window closes; a save dialog cancelled keeps it open with its changes, and a
    // write that fails does too, through the framework's report.
    SaveData(mFile);
    return mDuty;
  }
  if (b == &d.AlternateActionButton) return false;
  if (b == &d.CancelButton) return true;
  return false;
}
