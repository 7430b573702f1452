// Arbitrary bytes as a document that the desktop hands to the program, read into its first
// window, saved, and read again. What users rely on is checked on every input:
// - the read leaves no line end in the logo text, and makes no window besides the first;
// - the read gives what the input says: line 1 as the text (decoded as UTF-8, or as Latin-1
//   where it is not UTF-8), a capital or digit byte of it for every character, and the
//   background and every character line written in the writer's own plain form as they stand;
// - the save writes line 1 back byte for byte, whatever its encoding;
// - read, save and read again gives the same logo (text, background, every character);
// - save, read and save again writes the same bytes;
// - the format read on its own (LogoDocument, without a window) gives what the input says too,
//   and the window shows what it gives; what its writer writes of that reads back as the same
//   document, holding no text that a save would lose, and writes the same bytes again;
// - a document refused is told to the user, by the file's name, and leaves the window as it
//   was: one whose line 1 is longer than the logo's bound, and one past the reader's size limit
//   (an input that ends in a NUL byte is presented as a file grown past it). An input that ends
//   in the byte 01 is presented as a file exactly at the limit, which must be read: the input,
//   empty lines, and a last line of NUL bytes that fills it up.
// The window draws nothing (the renderer has tests of its own), so that an input costs what the
// program's own work on it costs.
#include "base/FolderItem.h"
#include "base/TextStreams.h"
#include "editor/LogoDocument.h"
#include "editor/QuenzWin.h"
#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "framework/FileTypes.h"
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

#include <climits>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
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

// The file holds the bytes, then NUL bytes up to length, which take no room (a sparse file).
void Write(const std::string& path, std::string_view bytes, off_t length) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  Check(fd >= 0);
  Check(write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size()));
  if (length > off_t(bytes.size())) Check(ftruncate(fd, length) == 0);
  close(fd);
}

// ---- what the input says, read on its own terms

constexpr std::string_view kMark = "\xEF\xBB\xBF";

// The lines of a file, one at a time: CR, LF and CR LF end a line alike, and a byte order mark
// that starts the file is none of its text.
class Lines {
 public:
  explicit Lines(std::string_view bytes) : rest_(bytes) {
    if (rest_.starts_with(kMark)) rest_.remove_prefix(kMark.size());
  }
  std::optional<std::string_view> Next() {
    if (rest_.empty()) return std::nullopt;
    const std::size_t end = rest_.find_first_of("\r\n");
    const std::string_view line = rest_.substr(0, end);
    if (end == std::string_view::npos) {
      rest_ = {};
    } else {
      rest_.remove_prefix(end + (rest_.substr(end).starts_with("\r\n") ? 2 : 1));
    }
    return line;
  }

 private:
  std::string_view rest_;
};

// A decimal number as the writer writes it: no sign but an optional "-" where allowed, no
// leading zero, no blank, within [low, high].
std::optional<std::int64_t> PlainNumber(std::string_view text, std::int64_t low,
                                        std::int64_t high) {
  const std::string_view digits = text.starts_with('-') ? text.substr(1) : text;
  if (digits.empty() || (digits.size() > 1 && digits[0] == '0') || digits.size() > 11) {
    return std::nullopt;
  }
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < low || value > high || text == "-0") return std::nullopt;
  return value;
}

std::vector<std::string_view> Fields(std::string_view text, char separator) {
  std::vector<std::string_view> fields;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find(separator, start);
    fields.push_back(text.substr(start, end - start));
    if (end == std::string_view::npos) return fields;
    start = end + 1;
  }
}

// A colour in its plain form, "r:g:b".
std::optional<fw::Color> PlainColor(std::string_view text) {
  const auto fields = Fields(text, ':');
  if (fields.size() != 3) return std::nullopt;
  fw::Color c = 0;
  for (const std::string_view field : fields) {
    const auto channel = PlainNumber(field, 0, 255);
    if (!channel) return std::nullopt;
    c = (c << 8) | fw::Color(*channel);
  }
  return c;
}

// A character line in its plain form: glyph index, colour, x position.
std::optional<std::tuple<std::int32_t, fw::Color, std::int32_t>> PlainCharacter(
    std::string_view line) {
  const auto fields = Fields(line, ',');
  if (fields.size() != 3) return std::nullopt;
  constexpr std::int64_t kLow = INT32_MIN, kHigh = INT32_MAX;
  const auto glyph = PlainNumber(fields[0], kLow, kHigh);
  const auto color = PlainColor(fields[1]);
  const auto pos = PlainNumber(fields[2], kLow, kHigh);
  if (!glyph || !color || !pos) return std::nullopt;
  return std::tuple{std::int32_t(*glyph), *color, std::int32_t(*pos)};
}

// The bytes of line 1 that make glyphs: capitals and digits.
std::size_t KeptBytes(std::string_view line1) {
  std::size_t kept = 0;
  for (const char b : line1)
    if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z')) ++kept;
  return kept;
}

QString TextOf(std::string_view line1) {
  const QByteArrayView bytes(line1.data(), qsizetype(line1.size()));
  return fw::IsUtf8(bytes) ? fw::DecodeLine(bytes) : QString::fromLatin1(bytes);
}

// The first line of a file that the writer wrote for line 1's bytes: a line that starts with a
// byte order mark gets one of its own before it.
std::string WrittenLine1(std::string_view line1) {
  return (line1.starts_with(kMark) ? std::string(kMark) : std::string()) + std::string(line1);
}

// The characters of the document that the format reads from the file: one for every character
// line, as many as line 1 makes at most, and one at least where it makes any.
std::size_t DocumentCharacters(std::string_view file) {
  Lines lines(file);
  const std::size_t kept = KeptBytes(lines.Next().value_or(std::string_view()));
  lines.Next();
  std::size_t available = 0;
  while (available < kept && lines.Next())
    ++available;
  return kept == 0 ? 0 : std::max<std::size_t>(available, 1);
}

// The read checked against the input itself: it gives that many characters.
void CheckAgainstInput(const Logo& read, std::string_view file, std::size_t characters) {
  Lines lines(file);
  const std::string_view line1 = lines.Next().value_or(std::string_view());
  Check(read.text == TextOf(line1));
  Check(read.characters.size() == characters);
  const auto line2 = lines.Next();
  if (const auto background = PlainColor(line2.value_or(std::string_view()))) {
    Check(read.background == *background);
  }
  for (std::size_t n = 0; n < characters; ++n) {
    const auto line = lines.Next();
    if (!line) break;
    if (const auto character = PlainCharacter(*line)) Check(read.characters[n] == *character);
  }
}

// ---- the format on its own

std::optional<LogoDocument> ReadDocument(const QString& path) {
  const auto in = fw::TextInputStream::Open(fw::FolderItem(path), QuenzWin::kMaxDocumentBytes);
  std::optional<LogoDocument> document = ReadLogoDocument(*in, QuenzWin::kMaxLogoText);
  in->Close();
  return document;
}

std::string WrittenBytes(const LogoDocument& document, const QString& path) {
  const auto out = fw::TextOutputStream::Create(fw::FolderItem(path));
  WriteLogoDocument(*out, document);
  out->Close();
  return Bytes(path.toStdString());
}

Logo LogoOf(const LogoDocument& document) {
  Logo logo{document.text, document.background, {}, 0, QString()};
  for (const LogoInfo& c : document.characters)
    logo.characters.emplace_back(c.mChr, c.mColor, c.mPos);
  return logo;
}

// The document read from the file, checked against the input, and its round trip through the
// writer; gives the bytes written.
std::string CheckDocument(const LogoDocument& document, std::string_view file,
                          const QString& path) {
  const Logo read = LogoOf(document);
  CheckAgainstInput(read, file, DocumentCharacters(file));
  const std::string_view line1 = Lines(file).Next().value_or(std::string_view());
  // Line 1's bytes are kept where they are not UTF-8, and only there.
  const QByteArrayView bytes(line1.data(), qsizetype(line1.size()));
  Check(document.textBytes ? !fw::IsUtf8(bytes) && *document.textBytes == bytes
                           : fw::IsUtf8(bytes));
  const std::string written = WrittenBytes(document, path);
  Check(written.substr(0, written.find('\n')) == WrittenLine1(line1));
  const std::optional<LogoDocument> again = ReadDocument(path);
  Check(again && LogoOf(*again) == read && again->textBytes == document.textBytes);
  Check(!again->hasOtherText);
  Check(WrittenBytes(*again, path) == written);
  return written;
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
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const bool tooLarge = bytes.ends_with('\0');
  // At the limit: the input, enough line ends for all that the reader could want (the end of line
  // 1, which may be the input's last line, the background and a line for every character), and a
  // last line of NUL bytes that fills the file up, which the reader thus never needs to read.
  const bool atLimit = bytes.ends_with('\1');
  std::string file(bytes);
  if (atLimit) file += std::string(KeptBytes(Lines(bytes).Next().value_or("")) + 2, '\n');
  Write(input.toStdString(), file,
        tooLarge  ? QuenzWin::kMaxDocumentBytes + 1
        : atLimit ? QuenzWin::kMaxDocumentBytes
                  : 0);
  const std::string_view line1 = Lines(file).Next().value_or(std::string_view());
  const bool tooLong = TextOf(line1).size() > QuenzWin::kMaxLogoText;
  std::optional<LogoDocument> document;
  std::string documentWritten;
  if (!tooLarge) {
    document = ReadDocument(input);
    Check(document.has_value() == !tooLong);
    if (document) {
      documentWritten =
          CheckDocument(*document, file, folder->filePath(QStringLiteral("document.TXT")));
    }
  }

  // No logo, so that nothing of the last input stays in the characters that a document leaves
  // as its text made them.
  QuenzWin& w = FirstWindow();
  w.LogoTF().SetText(QString());
  w.BKColorRT().SetFillColor(0xFFFFFF);
  w.mFile.item = nullptr;
  w.SetTitle(QStringLiteral("Quenz Logo Maker"));
  const Logo before = LogoOf(w);
  dialogs->messages.clear();

  OpenAsTheDesktopDoes(input);
  Check(fw::OpenWindows().size() == 1);
  if (tooLarge || tooLong) {
    Check(dialogs->messages.size() == 1);
    Check(dialogs->messages[0].startsWith(
        tooLarge ? QStringLiteral("“input.TXT” is not a logo document")
                 : QStringLiteral("“input.TXT” was not opened: its logo text is longer than")));
    Check(LogoOf(w) == before);
    Check(!w.mFile.item);
    return 0;
  }
  Check(dialogs->messages.empty());
  Check(w.mFile.item && w.mFile.item->Path() == input);
  const Logo read = LogoOf(w);
  Check(!read.text.contains(u'\n') && !read.text.contains(u'\r'));
  Check(read.rows == int(read.characters.size()));
  CheckAgainstInput(read, file, KeptBytes(line1));
  // The window shows what the format read: the characters without a line of their own keep what
  // the text made them.
  const Logo fromDocument = LogoOf(*document);
  Check(read.text == fromDocument.text && read.background == fromDocument.background);
  Check(fromDocument.characters.size() <= read.characters.size());
  Check(std::equal(fromDocument.characters.begin(), fromDocument.characters.end(),
                   read.characters.begin()));

  // The round trip, through the window's own writer and reader.
  w.SaveData(std::make_shared<fw::FolderItem>(saved));
  const std::string written = Bytes(saved.toStdString());
  Check(written.substr(0, written.find('\n')) == WrittenLine1(line1));
  // With a line for every character, the window's logo is the document read, and saves as it.
  if (fromDocument.characters.size() == read.characters.size()) Check(written == documentWritten);
  w.OpenData(std::make_shared<fw::FolderItem>(saved));
  Check(dialogs->messages.empty());
  Logo reread = LogoOf(w);
  Check(reread.title == QStringLiteral("saved.TXT"));
  reread.title = read.title;
  Check(reread == read);

  w.SaveData(std::make_shared<fw::FolderItem>(again));
  Check(Bytes(again.toStdString()) == written);
  return 0;
}
