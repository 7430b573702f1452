#include "Fixtures.h"

#include "editor/FileTypes1.h"
#include "editor/Module1.h"
#include "framework/Application.h"
#include "framework/FileTypes.h"
#include "framework/Menus.h"
#include "framework/WindowList.h"
#include "shell/MainMenuBar.h"

#include <QCoreApplication>
#include <QFile>
#include <QWidget>

void EnsureGlyphsAndTypes() {
  fw::SetSharedMenuBar([] { return MainMenuBar::Instance(); });
  if (Module1::gMoji.empty()) Module1::InitMoji();
  bool registered = false;
  for (const auto& type : fw::RegisteredFileTypes())
    registered |= type.name == u"TextType";
  if (!registered) FileTypes1::Initialize();
}

void CloseAllWindows() {
  for (const auto& window : fw::OpenWindows()) {
    if (auto* w = dynamic_cast<QuenzWin*>(window.get())) w->mDuty = false;
    window->Close();
  }
  Flush();
}

void Flush() {
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QByteArray ReadBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
  ASSERT_EQ(file.write(bytes), bytes.size());
}

void QuenzTest::SetUp() {
  ASSERT_TRUE(dir_.isValid());
  Script().Reset();
  EnsureGlyphsAndTypes();
}

void QuenzTest::TearDown() {
  EXPECT_TRUE(Script().Done()) << "a dialog that the test expected did not come";
  CloseAllWindows();
  Script().Reset();
}

QImage PreviewImage(const QuenzWin& w) {
  return w.fcv().Widget().grab().toImage().convertToFormat(QImage::Format_RGB32);
}
