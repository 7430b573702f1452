#pragma once

#include "ScriptedDialogs.h"
#include "base/FolderItem.h"
#include "editor/QuenzWin.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

// A failed check shows a text as the text itself.
inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}

// The glyph table and the file types, in place as start-up puts them (once per process).
void EnsureGlyphsAndTypes();

// Closes every open window without asking, and lets go of the windows released meanwhile.
void CloseAllWindows();

// Lets pending events run, among them deferred repaints and releases.
void Flush();

QByteArray ReadBytes(const QString& path);
void WriteBytes(const QString& path, const QByteArray& bytes);

// A test with the glyph table and file types in place, an empty dialog script, a temporary
// folder, and no window left open after it. Dialogs that the script expected must have come.
class QuenzTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A path in the test's temporary folder.
  QString PathOf(const QString& name) const { return dir_.filePath(name); }
  fw::FolderItemPtr ItemOf(const QString& name) const {
    return std::make_shared<fw::FolderItem>(PathOf(name));
  }
  static std::shared_ptr<QuenzWin> NewWindow() { return std::make_shared<QuenzWin>(); }
  // A new window, shown.
  static std::shared_ptr<QuenzWin> Shown() {
    auto window = NewWindow();
    window->Show();
    return window;
  }

 private:
  QTemporaryDir dir_;
};

// The window's preview as it paints now.
QImage PreviewImage(const QuenzWin& w);
