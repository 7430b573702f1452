#include "App.h"

#include "base/FolderItem.h"
#include "editor/Module1.h"
#include "editor/QuenzWin.h"
#include "framework/Dialogs.h"

App::App() = default;

App::~App() {
  mW.reset();
}

std::shared_ptr<App> App::Instance() {
  return std::dynamic_pointer_cast<App>(fw::AppObject());
}

void App::Event_Open() {
  Module1::InitMoji();
  if (!mW) {
    mW = std::make_shared<QuenzWin>();
    mW->Show();
    mW->mNoChange = true;
  }
}

void App::Event_OpenDocument(fw::FolderItemPtr item) {
  DoEvents(-1);
  if (!item) return;
  if (item->Directory()) return;
  OpenData(item);
}

bool App::FileNew_Action() {
  auto w = std::make_shared<QuenzWin>();
  w->Show();
  return true;
}

bool App::FileOpen_Action() {
  const fw::FolderItemPtr f = fw::GetOpenFolderItem(QStringLiteral("TextType"));
  if (!f) return true;
  OpenData(f);
  return true;
}

void App::OpenData(fw::FolderItemPtr f) {
  std::shared_ptr<QuenzWin> target;
  if (mW && mW->mNoChange) {
    target = mW;
  } else {
    target = std::make_shared<QuenzWin>();
    if (!mW) mW = target;
  }
  target->OpenData(f);
  target->Show();
}
