#include "Runtime.h"

#include "Application.h"
#include "Dialogs.h"
#include "ErrorReport.h"
#include "Guard.h"
#include "WindowList.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QMetaObject>
#include <QTranslator>

#include <sys/stat.h>

#include <cerrno>
#include <optional>
#include <utility>

namespace fw {

namespace {

struct RuntimeState {
  QStringList documents;
  bool running = false;
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

// A start-up that ends without any window open leaves nothing for the user to reach: quit.
void StartupEventsHandled() {
  if (State().running && OpenWindows().empty()) QCoreApplication::exit(0);
}

// Why a path names nothing at all, in the system's words (no such file, a loop of symbolic links,
// a folder on the way that may not be searched); nothing when it names a file or a folder.
std::optional<QString> WhyNothingAt(const QString& path) {
  struct stat status {};
  if (::stat(QFile::encodeName(path).constData(), &status) == 0) return std::nullopt;
  return SystemReason(errno);
}

// A start-up document raises the open-document event only when its path names something: the
// desktop hands over files that exist, so a path that names nothing was typed wrong, or its file
// went before the program started. It is told, as a file that could not be opened, and opens no
// window.
void OpenStartupDocument(Application& app, const QString& path) {
  if (const auto reason = WhyNothingAt(path)) {
    throw Error(FileFailure(path, FileAction::Open, *reason));
  }
  app.Event_OpenDocument(std::make_shared<FolderItem>(path));
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
    if (const auto app = AppObject()) Guard([&] { OpenStartupDocument(*app, path); });
    PostStartupDocument(index + 1);
  });
}

}  // namespace

Runtime::Runtime(int& argc, char** argv) {
  if (!QApplication::instance()) ownApp_ = std::make_unique<QApplication>(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);  // the framework decides when to quit
  SetStartupDocuments(QCoreApplication::arguments().mid(1));
}

Runtime::~Runtime() {
  State().running = false;
  detail::ForgetWindows();
  RegisterAppObject(nullptr);
  // Let go of what waits in the queue (windows released after their last event) before the
  // QApplication goes.
  QCoreApplication::sendPostedEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  SetDialogProvider(nullptr);
  ownApp_.reset();
}

int Runtime::Exit() const {
  const RuntimeState& s = State();
  return s.startupFailed ? 1 : s.exitCode;
}

void SetStartupDocuments(const QStringList& paths) {
  State().documents = paths;
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
  Post([] {
    if (const auto app = AppObject()) Guard([&] { app->Event_Open(); });
    PostStartupDocument(0);
  });
  s.exitCode = QApplication::exec();
  s.running = false;
  QCoreApplication::sendPostedEvents();
  return s.exitCode;
}

bool RuntimeRunning() {
  return State().running;
}

void UnhandledException(std::exception_ptr error) {
  State().startupFailed = true;
  ReportUnhandled(error);
}

}  // namespace fw
