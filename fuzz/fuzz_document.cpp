// Arbitrary bytes as a document that the desktop hands to the program, read into its first
// window, saved, and read again. What users rely on is checked on every input:
// - the read leaves no line end in the logo text, and makes no window besides the first;
// - read, save and read again gives the same logo (text, background, every character);
// - save, read and save again writes the same bytes;
// - a document refused (an input that ends in a NUL byte is presented as a file grown past the
//   reader's limit) is told to the user, by the file's name, and leaves the window as it was.
// The window draws nothing (the renderer has tests of its own), so that an input costs what the
// program's own work on it costs.
#include "editor/QuenzWin.h"
#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "framework/FileTypes.h"
#include "framework/FolderItem.h"
#include "framework/Guard.h"
#include "framework/Progress.h"
#include "framework/Runtime.h"
#include "framework/WindowList.h"
#include "shell/App.h"
#include "shell/Startup.h"

#include <QDir>
#include <QLineEdit>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QtGlobal>

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

// Allocations are most of the cost of an input: their stacks are not recorded, and freed memory
// is held back from reuse for a shorter while (2 MiB, some hundreds of inputs), so that use
// after free is still caught. To see where a reported block was allocated and freed, run the
// input again with ASAN_OPTIONS=malloc_context_size=30.
extern "C" const char* __asan_default_options() {
  return "malloc_context_size=0:quarantine_size_mb=2";
}

namespace {

// The message boxes that the program shows; any other dialog is a fault here.
class FuzzDialogs : public fw::DialogProvider {
 public:
  fw::FolderItemPtr OpenFile(const fw::RegisteredFileType&) override { std::abort(); }
  fw::FolderItemPtr SaveFile(const fw::RegisteredFileType&, const QString&) override {
    std::abort();
  }
  std::optional<fw::Color> SelectColor(fw::Color, const QString&) override { std::abort(); }
  std::unique_ptr<fw::Progress> StartProgress(const QString&, int) override { std::abort(); }
  fw::MessageButton Message(const fw::MessageRequest& request) override {
    messages.push_back(request.message);
    return fw::MessageButton::Action;
  }
  std::vector<QString> messages;
};

// All of it stays for the life of the process: libFuzzer ends it with exit(), and Qt must not be
// torn down from an exit handler, after its own statics are gone.
fw::Runtime* runtime = nullptr;
std::shared_ptr<App>* app = nullptr;
QTemporaryDir* folder = nullptr;
FuzzDialogs* dialogs = nullptr;

// Everything of a window that its document holds, and its title.
struct Logo {
  QString text;
  fw::Color background;
  std::vector<std::tuple<std::int32_t, fw::Color, std::int32_t>> characters;
  int rows;
  QString title;
  bool operator==(const Logo&) const = default;
};

Logo LogoOf(const QuenzWin& w) {
  Logo logo{w.LogoTF().Text(), w.BKColorRT().FillColor(), {}, w.MojimePM().ListCount(), w.Title()};
  for (int n = 1; n <= w.UBoundLogo(); ++n) {
    const LogoInfo& c = *w.mLogo[std::size_t(n)];
    logo.characters.emplace_back(c.mChr, c.mColor, c.mPos);
  }
  return logo;
}

void Check(bool holds) {
  if (!holds) std::abort();
}

QuenzWin& FirstWindow() {
  return *(*app)->mW;
}

// As the desktop sends a document: an open-document request to the application object, under
// the framework's report of what escapes it. The first window is made untouched again first,
// so that the document goes into it.
void OpenAsTheDesktopDoes(const QString& path) {
  FirstWindow().mNoChange = true;
  fw::Guard([&] { (*app)->Event_OpenDocument(std::make_shared<fw::FolderItem>(path)); });
}

// The fuzzer's own file work is plain system calls, the fewest there can be.
std::string Bytes(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  Check(fd >= 0);
  std::string bytes;
  static char buffer[64 * 1024];
  for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) != 0;) {
    Check(got > 0);
    bytes.append(buffer, std::size_t(got));
  }
  close(fd);
  return bytes;
}

void Write(const std::string& path, const std::uint8_t* data, std::size_t size, off_t length) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  Check(fd >= 0);
  Check(write(fd, data, size) == ssize_t(size));
  if (length > off_t(size)) Check(ftruncate(fd, length) == 0);
  close(fd);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // Qt's notes (such as the off-screen platform's on raising a window, at every read) would
  // fill the log.
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  // Qt's own event dispatcher: the GLib one costs more at every DoEvents, to the same effect.
  setenv("QT_NO_GLIB", "1", 0);
  runtime = std::make_unique<fw::Runtime>(*argc, *argv).release();
  fw::SetStartupDocuments({});
  auto provider = std::make_shared<FuzzDialogs>();
  dialogs = provider.get();
  fw::SetDialogProvider(provider);
  // The program as start-up leaves it: file types, the application object and its first window.
  RuntimePerformInitializers();
  EarlyStartup();
  app = std::make_unique<std::shared_ptr<App>>(App::Instance()).release();
  (*app)->Event_Open();
  // Nothing of the window is drawn, not even the logo field's text laid out for display: that
  // work is Qt's, and would cost more than everything else together.
  FirstWindow().Frame().setUpdatesEnabled(false);
  FirstWindow().LogoTF().Edit().setEchoMode(QLineEdit::NoEcho);
  // Files in memory where there is such a folder: every save is synced to the disk.
  const QString shm = QStringLiteral("/dev/shm");
  folder =
      QDir(shm).exists()
          ? std::make_unique<QTemporaryDir>(shm + QStringLiteral("/fuzz_document-XXXXXX")).release()
          : std::make_unique<QTemporaryDir>().release();
  Check(folder->isValid());
  // The folder itself stays (see above); its files go when the process ends.
  static const std::string path = folder->path().toStdString();
  std::atexit([] { std::filesystem::remove_all(path); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QString input = folder->filePath(QStringLiteral("input.TXT"));
  const QString saved = folder->filePath(QStringLiteral("saved.TXT"));
  const QString again = folder->filePath(QStringLiteral("again.TXT"));
  const bool tooLarge = size > 0 && data[size - 1] == 0;
  Write(input.toStdString(), data, size, tooLarge ? QuenzWin::kMaxDocumentBytes + 1 : 0);

  // No logo, so that nothing of the last input stays in the characters that a document leaves
  // as its text made them.
  QuenzWin& w = FirstWindow();
  w.LogoTF().SetText(QString());
  w.BKColorRT().SetFillColor(0xFFFFFF);
  w.mFile = nullptr;
  w.SetTitle(QStringLiteral("Quenz Logo Maker"));
  const Logo before = LogoOf(w);
  dialogs->messages.clear();

  OpenAsTheDesktopDoes(input);
  Check(fw::OpenWindows().size() == 1);
  if (tooLarge) {
    Check(dialogs->messages.size() == 1);
    Check(dialogs->messages[0].startsWith(QStringLiteral("“input.TXT” is not a logo document")));
    Check(LogoOf(w) == before);
    Check(!w.mFile);
    return 0;
  }
  Check(dialogs->messages.empty());
  Check(w.mFile && w.mFile->Path() == input);
  const Logo read = LogoOf(w);
  Check(!read.text.contains(u'\n') && !read.text.contains(u'\r'));
  Check(read.rows == int(read.characters.size()));

  // The round trip, through the window's own writer and reader.
  w.SaveData(std::make_shared<fw::FolderItem>(saved));
  w.OpenData(std::make_shared<fw::FolderItem>(saved));
  Check(dialogs->messages.empty());
  Logo reread = LogoOf(w);
  Check(reread.title == QStringLiteral("saved.TXT"));
  reread.title = read.title;
  Check(reread == read);

  w.SaveData(std::make_shared<fw::FolderItem>(again));
  Check(Bytes(again.toStdString()) == Bytes(saved.toStdString()));
  return 0;
}
