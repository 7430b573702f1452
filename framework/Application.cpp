#include "Application.h"

#include "Dialogs.h"
#include "Error.h"
#include "Guard.h"
#include "Window.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMetaObject>
#include <QTranslator>

#include <algorithm>
#include <optional>

namespace fw {

namespace {

struct RuntimeState {
  std::shared_ptr<Application> app;
  std::vector<std::shared_ptr<Window>> open;  // front first
  QStringList documents;
  bool hiDPI = false;
  QString displayName;
  bool running = false;
  bool quitting = false;
  bool startupFailed = false;
  int exitCode = 0;
};

RuntimeState& State() {
  static RuntimeState state;
  return state;
}

// Runs f once the event loop is free, unless the loop has ended by then.
void Post(std::function<void()> f) {
  QMetaObject::invokeMethod(
      qApp,
      [f = std::move(f)] {
        if (State().running) f();
      },
      Qt::QueuedConnection);
}

// What the user is told of a failure: an Error's own text, or for any other exception what went
// wrong in plain words, never the name of the exception.
QString TextOf(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const Error& e) {
    return e.Text();
  } catch (...) {
    QString reason = PlainReason(std::current_exception());
    if (reason.endsWith(u'.')) reason.chop(1);
    return QCoreApplication::translate("fw", "The last action could not be finished: %1.")
        .arg(reason);
  }
}

// A start-up that ends without any window open leaves nothing for the user to reach: quit.
void StartupEventsHandled() {
  const RuntimeState& s = State();
  if (s.running && s.open.empty()) QCoreApplication::exit(0);
}

// The start-up documents are raised one after the other, each once the one before has been
// handled, so that a handler that lets pending events run does not take the next document in
// before its own.
void PostStartupDocument(qsizetype index) {
  Post([index] {
    const QStringList& documents = State().documents;
    if (index >= documents.size()) {
      StartupEventsHandled();
      return;
    }
    const QString path = documents[index];
    if (const auto app = State().app) {
      Guard([&] { app->Event_OpenDocument(std::make_shared<FolderItem>(path)); });
    }
    PostStartupDocument(index + 1);
  });
}

}  // namespace

// ---- unhandled exceptions

void ReportUnhandled(std::exception_ptr error) {
  MessageDialog dialog;
  dialog.Icon = 2;
  dialog.Message = TextOf(error);
  try {
    dialog.ShowModal();
  } catch (...) {
    // Nothing more can be done for a report that cannot be shown.
  }
}

void ReportUnhandledLater(std::exception_ptr error) {
  QMetaObject::invokeMethod(
      qApp, [error] { ReportUnhandled(error); }, Qt::QueuedConnection);
}

void UnhandledException(std::exception_ptr error) {
  State().startupFailed = true;
  ReportUnhandled(error);
}

// ---- Application

void Application::AddMenuHandler(const QString& itemName, std::function<bool()> handler) {
  menuHandlers_[itemName] = std::move(handler);
}

bool Application::HasMenuHandler(const QString& itemName) const {
  return menuHandlers_.count(itemName) > 0;
}

bool Application::HandleMenu(const QString& itemName) {
  const auto it = menuHandlers_.find(itemName);
  if (it == menuHandlers_.end()) return false;
  const std::function<bool()> handler = it->second;
  return handler();
}

void Application::DoEvents(int /*milliseconds*/) {
  QCoreApplication::processEvents();
}

void Application::SetSupportsHiDPI(bool on) {
  State().hiDPI = on;
}

bool Application::SupportsHiDPI() {
  return State().hiDPI;
}

void Application::SetDisplayName(const QString& name) {
  State().displayName = name;
}

QString Application::DisplayName() {
  const QString& name = State().displayName;
  return name.isEmpty() ? QCoreApplication::applicationName() : name;
}

// ---- Runtime

struct Runtime::Outer {
  RuntimeState state;
  std::shared_ptr<DialogProvider> dialogs;
};

Runtime::Runtime(int& argc, char** argv)
    : outer_(std::make_unique<Outer>(Outer{State(), CurrentDialogProvider()})) {
  if (!QApplication::instance()) ownApp_ = std::make_unique<QApplication>(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);  // the framework decides when to quit
  State() = RuntimeState{};
  SetStartupDocuments(QCoreApplication::arguments().mid(1));
}

Runtime::~Runtime() {
  RuntimeState& s = State();
  s.running = false;
  s.open.clear();
  s.app.reset();
  // Let go of what waits in the queue (windows released after their last event) before the
  // QApplication goes.
  QCoreApplication::sendPostedEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  State() = std::move(outer_->state);
  SetDialogProvider(std::move(outer_->dialogs));
  ownApp_.reset();
}

int Runtime::Exit() const {
  const RuntimeState& s = State();
  return s.startupFailed ? 1 : s.exitCode;
}

void SetStartupDocuments(const QStringList& paths) {
  State().documents = paths;
}

void RegisterAppObject(std::shared_ptr<Application> app) {
  State().app = std::move(app);
}

std::shared_ptr<Application> AppObject() {
  return State().app;
}

void InstallTranslations(const QLocale& locale) {
  // Qt's own texts (the file, colour and message dialogs, their buttons and questions), as the
  // system's Qt translations have them, and the program's own messages, which it carries.
  static std::unique_ptr<QTranslator> qtTexts;
  static std::unique_ptr<QTranslator> ownTexts;
  for (std::unique_ptr<QTranslator>* installed : {&qtTexts, &ownTexts}) {
    if (*installed) QCoreApplication::removeTranslator(installed->get());
    installed->reset();
  }
  auto qt = std::make_unique<QTranslator>();
  if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
               QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(qt.get());
    qtTexts = std::move(qt);
  }
  auto own = std::make_unique<QTranslator>();
  if (own->load(locale, QStringLiteral("quenz"), QStringLiteral("_"), QStringLiteral(":/i18n"))) {
    QCoreApplication::installTranslator(own.get());
    ownTexts = std::move(own);
  }
}

void RunFrameworkInitialization(const std::function<void()>& lateStartup) {
  InstallTranslations(QLocale());
  if (lateStartup) lateStartup();
}

int RuntimeRun() {
  RuntimeState& s = State();
  s.running = true;
  s.quitting = false;
  Post([] {
    if (const auto app = State().app) Guard([&] { app->Event_Open(); });
    PostStartupDocument(0);
  });
  s.exitCode = QApplication::exec();
  s.running = false;
  s.quitting = false;
  QCoreApplication::sendPostedEvents();
  return s.exitCode;
}

// ---- windows and menus

void ReleaseWhenIdle(std::shared_ptr<Window> window) {
  QMetaObject::invokeMethod(
      qApp, [window = std::move(window)]() mutable { window.reset(); }, Qt::QueuedConnection);
}

std::vector<std::shared_ptr<Window>> OpenWindows() {
  return State().open;
}

std::shared_ptr<Window> FrontWindow() {
  const auto& open = State().open;
  return open.empty() ? nullptr : open.front();
}

void ChooseMenuItem(const QString& itemName, Window* window) {
  std::shared_ptr<Window> keep = window ? window->shared_from_this() : FrontWindow();
  std::optional<DialogOwnerScope> owner;
  if (keep) owner.emplace(*keep);
  Guard([&] {
    if (keep && keep->HandleMenu(itemName)) return;
    const auto app = State().app;
    if (app && app->HandleMenu(itemName)) return;
    std::shared_ptr<MenuBar> bar = keep ? keep->MenuBar() : nullptr;
    if (!bar && app) bar = app->MenuBar();
    const MenuItem* item = bar ? bar->Find(itemName) : nullptr;
    if (item && item->IsQuitItem()) {
      Quit();
    } else if (IsStandardEditItem(itemName)) {
      ApplyStandardEdit(itemName,
                        keep ? keep->FocusedTextField() : TextFieldOf(QApplication::focusWidget()));
    }
  });
}

bool Quit() {
  RuntimeState& s = State();
  s.quitting = true;
  const auto windows = s.open;
  for (const auto& window : windows) {
    window->Close();
    if (window->IsOpen()) {
      s.quitting = false;
      return false;
    }
  }
  s.quitting = false;
  // Outside the event loop (a test's windows) there is no loop to end; Qt's exit then would
  // make every later modal loop of the process return at once.
  if (s.running) QCoreApplication::exit(0);
  return true;
}

bool Quitting() {
  return State().quitting;
}

namespace detail {

void WindowShown(const std::shared_ptr<Window>& window) {
  auto& open = State().open;
  open.erase(std::remove(open.begin(), open.end(), window), open.end());
  open.insert(open.begin(), window);
}

void WindowActivated(const Window* window) {
  auto& open = State().open;
  const auto it = std::find_if(open.begin(), open.end(),
                               [&](const std::shared_ptr<Window>& w) { return w.get() == window; });
  if (it != open.end()) std::rotate(open.begin(), it, it + 1);
}

void WindowClosed(const Window* window) {
  auto& open = State().open;
  const auto it = std::find_if(open.begin(), open.end(),
                               [&](const std::shared_ptr<Window>& w) { return w.get() == window; });
  if (it == open.end()) return;
  ReleaseWhenIdle(*it);
  open.erase(it);
  if (open.empty() && State().running && !State().quitting) QCoreApplication::exit(0);
}

}  // namespace detail

}  // namespace fw
