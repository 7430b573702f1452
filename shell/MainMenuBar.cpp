#include "MainMenuBar.h"

std::shared_ptr<MainMenuBar> implicitInstance;

namespace {

enum class Kind { Menu, Item, Separator, Quit };

struct Entry {
  const char* name;
  Kind kind;
  const char16_t* caption;
  const char* shortcut;
};

constexpr Entry kFileMenu[] = {
    {"FileMenu", Kind::Menu, u"ファイル", ""},
    {"FileNew", Kind::Item, u"新規...", "Cmd+N"},
    {"FileOpen", Kind::Item, u"開く...", "Cmd+O"},
    {"FileClose", Kind::Item, u"閉じる", "Cmd+W"},
    {"UntitledSeparator", Kind::Separator, u"-", nullptr},
    {"FileSave", Kind::Item, u"保存", "Cmd+S"},
    {"FileSaveAs", Kind::Item, u"別名で保存", ""},
    {"UntitledSeparator0", Kind::Separator, u"-", nullptr},
    {"FileQuit", Kind::Quit, u"終了", "Cmd+Q"},
};

constexpr Entry kEditMenu[] = {
    {"EditMenu", Kind::Menu, u"編集", ""},
    {"EditUndo", Kind::Item, u"取り消す", "Cmd+Z"},
    {"EditSeparator1", Kind::Separator, u"-", nullptr},
    {"EditCut", Kind::Item, u"カット", "Cmd+X"},
    {"EditCopy", Kind::Item, u"コピー", "Cmd+C"},
    {"EditPaste", Kind::Item, u"貼り付け", "Cmd+V"},
    {"EditClear", Kind::Item, u"削除", ""},
    {"EditSeparator2", Kind::Separator, u"-", nullptr},
    {"EditSelectAll", Kind::Item, u"すべてを選択", "Cmd+A"},
};

// A new item with its properties in their order: name, automatic enabling, caption, visible
// and, but for separators, the shortcut.
fw::MenuItemPtr Make(const Entry& e) {
  fw::MenuItemPtr item = e.kind == Kind::Quit ? std::make_shared<fw::QuitMenuItem>()
                                              : std::make_shared<fw::MenuItem>();
  item->Name = QString::fromLatin1(e.name);
  item->AutoEnable = true;
  item->Text = QString::fromUtf16(e.caption);
  item->Visible = true;
  if (e.shortcut) item->KeyboardShortcut = QString::fromLatin1(e.shortcut);
  return item;
}

// The menu goes onto the bar first; each item then finds it on the bar by name.
template <std::size_t N>
void BuildMenu(fw::MenuBar& bar, const Entry (&entries)[N]) {
  bar.Append(Make(entries[0]));
  const QString menuName = QString::fromLatin1(entries[0].name);
  for (std::size_t i = 1; i < N; ++i) {
    fw::MenuItemPtr item = Make(entries[i]);
    bar.Child(menuName)->Append(item);
  }
}

}  // namespace

MainMenuBar::MainMenuBar() {
  Untitled0();
  Untitled1();
}

void MainMenuBar::Untitled0() {
  BuildMenu(*this, kFileMenu);
}

void MainMenuBar::Untitled1() {
  BuildMenu(*this, kEditMenu);
}

std::shared_ptr<MainMenuBar> MainMenuBar::Instance() {
  if (!implicitInstance) implicitInstance = std::make_shared<MainMenuBar>();
  return implicitInstance;
}
