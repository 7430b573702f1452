#pragma once

#include <QStringList>

#include <exception>
#include <functional>
#include <memory>

class QApplication;
class QLocale;

namespace fw {

// The framework's runtime for the one run of the program. It makes the QApplication (unless one
// exists) and takes the command line's paths as documents for the desktop to open. On
// destruction it lets go of the application object, every window and the dialog provider before
// the QApplication.
class Runtime {
 public:
  Runtime(int& argc, char** argv);
  ~Runtime();
  Runtime(const Runtime&) = delete;
  Runtime& operator=(const Runtime&) = delete;

  // The process exit status: the event loop's, or 1 when start-up ended in an exception.
  int Exit() const;

 private:
  std::unique_ptr<QApplication> ownApp_;
};

// The documents that the desktop hands over at start-up; the Runtime fills it from the command
// line.
void SetStartupDocuments(const QStringList& paths);

// Puts Qt's own texts and the program's messages into the language of the locale, in place of
// those of an earlier call; a language without translations leaves the English texts.
void InstallTranslations(const QLocale& locale);
// Completes the framework's start-up, in the desktop's language, and calls the late start-up
// hook.
void RunFrameworkInitialization(const std::function<void()>& lateStartup);
// The event loop. The Open event comes first, then one open-document event per start-up
// document, in order, each raised once the one before it has been handled; a document whose
// path names nothing (missing, a loop of symbolic links) is reported as a file that could not be
// opened, and raises none. Returns the exit code when the application quits.
int RuntimeRun();
// Whether the event loop runs now.
bool RuntimeRunning();
// The handling of an exception that escaped start-up: it is reported, and the exit status
// becomes non-zero.
void UnhandledException(std::exception_ptr error);

}  // namespace fw
