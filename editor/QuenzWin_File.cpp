// The window's files: image export, reading and saving its logo document, the File commands and
// the close prompt.
#include "QuenzWin.h"

#include "base/ErrorText.h"
#include "base/FolderItem.h"
#include "base/SaveFile.h"
#include "base/TextStreams.h"
#include "editor/LogoDocument.h"
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
  if (!mFile.Is(f)) return true;
  const std::optional<fw::FileStamp> now = fw::StampOf(f);
  if (!now) return true;  // gone: nothing to lose
  const bool changed = mFile.stamp && *now != *mFile.stamp;
  if (!changed && !mFile.hasOtherText) return true;

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

LogoDocument QuenzWin::Document() const {
  LogoDocument document{LogoTF().Text(), mFile.logoBytes, BKColorRT().FillColor(), {}, false};
  document.characters.reserve(std::size_t(std::max(0, UBoundLogo())));
  for (int n = 1; n <= UBoundLogo(); ++n)
    document.characters.push_back(*mLogo[std::size_t(n)]);
  return document;
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
      WriteLogoDocument(*out, Document());
      out->Close();
    });
  } catch (const fw::PartlyWritten&) {
    // The window's own file, part written over by this save, is now in the state that this
    // window left it in: no later save is to ask about another program's version of it.
    if (mFile.Is(*f)) mFile.stamp = fw::StampOf(*f);
    throw;
  }

  // The text's bytes stay as long as the field shows them: they are what the file now holds.
  mFile = LogoFile{f, fw::StampOf(*f), mFile.logoBytes, false};
  SetTitle(f->Name());
  mDuty = false;
}

void QuenzWin::OpenData(fw::FolderItemPtr f) {
  if (!f || !f->Exists()) return;

  fw::NamingFailures(f->Name(), fw::FileAction::Open, [&] {
    const auto in = OpenDocument(*f);
    const std::optional<LogoDocument> read = ReadLogoDocument(*in, kMaxLogoText);
    if (!read) throw TooLongLogo(*f);
    const fw::FileStamp stamp = in->Stamp();
    in->Close();

    // Assigning the text rebuilds the character list at once, from the bytes where it has them.
    mFile.logoBytes = read->textBytes;
    LogoTF().SetText(read->text);
    BKColorRT().SetFillColor(read->background);

    fw::Application::DoEvents(-1);

    // The events just run may have changed the logo text: copy only what both lists hold.
    const std::vector<LogoInfo>& characters = read->characters;
    for (int n = 1; n <= int(characters.size()) && n <= UBoundLogo(); ++n) {
      LogoInfo& target = *mLogo[std::size_t(n)];
      const LogoInfo& source = characters[std::size_t(n) - 1];
      target.mChr = source.mChr;
      target.mColor = source.mColor;
      target.mPos = source.mPos;
    }
    if (MojimePM().ListCount() > 0) MojimePM().SetListIndex(0);
    // An edit while the events ran has let go of the text's bytes; it must not get them back.
    mFile = LogoFile{f, stamp, mFile.logoBytes, read->hasOtherText};
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
  SaveData(mFile.item);
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
    SaveData(mFile.item);
    return mDuty;
  }
  if (b == &d.AlternateActionButton) return false;
  if (b == &d.CancelButton) return true;
  return false;
}
