#pragma once

#include "base/FolderItem.h"
#include "editor/LogoDocument.h"
#include "editor/LogoFile.h"
#include "editor/LogoInfo.h"
#include "framework/Controls.h"
#include "framework/Window.h"

#include <QByteArray>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace fw {
class Graphics;
}

// The document window: one logo, its controls, and everything the user does with it.
class QuenzWin : public fw::Window {
 public:
  // The four position buttons: one control array, told apart by Index.
  class PosBB : public fw::PushButton {
   public:
    explicit PosBB(int index);
  };

  // Builds the window with its controls; when it returns, the controls' Open handlers have run
  // and the window holds the default logo.
  QuenzWin();

  // ---- fields
  // The character list: element n (from 1) is the n-th kept character of the logo text;
  // element 0 is never filled. Empty until the first rebuild.
  std::vector<LogoInfoPtr> mLogo;
  std::int32_t mExpW = 0;  // export width in pixels
  std::int32_t mExpH = 0;  // export height in pixels, also the export's glyph size
  LogoFile mFile;          // the document's file: the one last written or read
  double mExpZ = 0.0;      // export scale, from preview pixels to export pixels
  bool mDuty = false;      // unsaved changes
  bool mNoChange = true;   // the untouched mark of the application's first window

  // The last index of the character list, -1 while it is empty.
  int UBoundLogo() const { return int(mLogo.size()) - 1; }

  // ---- controls, by name
  fw::ComboBox& ExpCB() const;
  fw::Label& Label1() const;
  fw::Canvas& fcv() const;
  fw::Rectangle& BKColorRT() const;
  fw::Rectangle& FGColorRT() const;
  fw::Label& Label2() const;
  fw::TextField& LogoTF() const;
  fw::Label& Label3() const;
  fw::PopupMenu& MojimePM() const;
  fw::Label& Label4() const;
  fw::Label& MojimeLV() const;
  fw::Label& Label6() const;
  fw::Label& Label7() const;
  fw::PushButton& PushButton1() const;
  fw::PushButton& PosBB(int index) const;
  fw::Label& ExpWLV() const;
  fw::PopupMenu& ExpTypPM() const;
  fw::Label& Label9() const;
  fw::Line& Line1() const;
  fw::Label& Label10() const;
  fw::PushButton& PushButton2() const;

  // ---- control handlers
  void ExpCB_Open(fw::ComboBox& box);
  void ExpCB_TextChanged(fw::ComboBox& box);
  void fcv_Paint(fw::Canvas& canvas, fw::Graphics& g);
  bool fcv_MouseDown(fw::Canvas& canvas, int x, int y);
  bool BKColorRT_MouseDown(fw::Rectangle& swatch, int x, int y);
  bool FGColorRT_MouseDown(fw::Rectangle& swatch, int x, int y);
  void LogoTF_TextChange(fw::TextField& field);
  void LogoTF_Open(fw::TextField& field);
  void MojimePM_Change(fw::PopupMenu& popup);
  void PushButton1_Action(fw::PushButton& button);
  void PosBB_Action(fw::PushButton& button);
  void PushButton2_Action(fw::PushButton& button);

  // ---- menu handlers
  bool FileClose_Action();
  bool FileSave_Action();
  bool FileSaveAs_Action();

  // ---- the logo
  void SetLogoText(const QByteArray& text);
  void SetCharPos(std::int32_t d);
  void SetCharColor(fw::Color c);
  void SetExpSize();
  void MakeQuenzLogo(fw::Graphics& g, std::int32_t size, double scale);

  // ---- the document
  fw::FolderItemPtr DocumentFile() const override { return mFile.item; }
  QString DocumentFileType() const override { return QStringLiteral("TextType"); }
  // The longest logo text, in characters: the field stays responsive with it on a real display
  // (measured under Xvfb, see the README), and it is twice the longest logo that can be
  // exported at all. A longer text is refused whole, typed, pasted or read.
  static constexpr int kMaxLogoText = 100000;
  // The largest document that is read. A logo of kMaxLogoText capitals with its character lines
  // takes about 2 MiB; a file past this limit is refused before a byte of it is read.
  static constexpr qint64 kMaxDocumentBytes = 16 * 1024 * 1024;
  void SaveData(fw::FolderItemPtr f);
  void OpenData(fw::FolderItemPtr f);

 protected:
  void Layout() override;
  void CreateControls() override;
  void AddMenuHandlers(fw::Window& window) override;
  bool Event_CancelClose(bool appQuitting) override;

 private:
  void CreateControls0();
  // The characters that a colour choice or a position step changes: the selected one, or with
  // Option (Alt) down the selected one and every later one. first > last when there is none.
  struct EditRange {
    int first = 0;
    int last = -1;
  };
  EditRange CharEditRange() const;
  // Applies edit to each of those characters; false when there is none.
  bool EditChars(const std::function<void(LogoInfo&)>& edit);
  // Whether the save may write to f: true unless f is this window's file, has changed since the
  // window last read or wrote it or holds text that the save would lose, and the user would
  // rather keep it.
  bool MayReplace(const fw::FolderItem& f);
  // The window's logo as a document: its text, background and characters.
  LogoDocument Document() const;
};
