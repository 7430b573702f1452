#pragma once

#include "base/FolderItem.h"

#include <QByteArray>

#include <optional>

// The file of a window's logo document: the one that the window last read or wrote, and what the
// window knows of it. A save asks before it replaces a version that the window has not seen, or
// text that it would lose.
struct LogoFile {
  fw::FolderItemPtr item;  // none until the window's logo is first read or written
  // The file as the window last read or wrote it.
  std::optional<fw::FileStamp> stamp;
  // Line 1 of the document read, when it is not UTF-8: its bytes, which the logo is made of and a
  // save writes back, for as long as the logo field shows them (as Latin-1) unedited.
  std::optional<QByteArray> logoBytes;
  // The file as the window read it holds text that a save would not write back.
  bool hasOtherText = false;

  // Whether f is this file.
  bool Is(const fw::FolderItem& f) const { return item && item->Path() == f.Path(); }
};
