#pragma once

#include "base/FolderItem.h"
#include "framework/Application.h"

#include <memory>

class QuenzWin;

// The application object: it opens the first window, answers File > New and File > Open, and
// picks the window that a document is read into.
class App : public fw::Application {
 public:
  App();
  ~App() override;

  // The registered application object, or nullptr before start-up has registered it.
  static std::shared_ptr<App> Instance();

  void Event_Open() override;
  void Event_OpenDocument(fw::FolderItemPtr item) override;
  bool FileNew_Action();
  bool FileOpen_Action();
  // Reads the document into the untouched first window, or else into a new window, and shows
  // that window.
  void OpenData(fw::FolderItemPtr f);

  // The first window, held for the life of the application, also once it is closed.
  std::shared_ptr<QuenzWin> mW;
};
