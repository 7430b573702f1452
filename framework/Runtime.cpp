#include "Runtime.h"

#include "Application.h"
#include "Dialogs.h"
#include "ErrorReport.h"
#include "Guard.h"
#include "WindowList.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMetaObject>
#include <QTranslator>

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
    if (const auto app = AppObject()) {
      Guard([&] { app->Event_OpenDocument(std::make_shared<FolderItem>(path)); });
    }
    PostStartupDocument(index + 1);
  });
}

}  // namespace

Runtime::Runtime(int& argc, char** argv) {
  if (!QApplication::instance()) ownApp_ = std::make_unique<QApplication>(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);  // the framework decides when to quit
  State() = RuntimeState{};
  detail::ResetApplication();
  detail::ForgetWindows();
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

void RunFrameworkInitialization(const std::function<void()>& lateStartup) {
  // The user's language for Qt's own texts (the file, colour and message dialogs, their
  // buttons and questions), as the system's Qt translations have it.
  static QTranslator qtTexts;
  if (qtTexts.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(&qtTexts);
  }
  // The user's language for the program's localisable texts, if the program carries it.
  static QTranslator translator;
  if (translator.load(QLocale(), QStringLiteral("quenz"), QStringLiteral("_"),
                      QStringLiteral(":/i18n"))) {
    QCoreApplication::installTranslator(&translator);
  }
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
