// The costs that matter to a user: making a window, painting the preview, rebuilding the logo
// as the text changes, exporting (end to end, against ImageMagick composing the same logo, and
// at great sizes with the memory it takes), encoding, and writing and reading a document.
//
//   QT_QPA_PLATFORM=offscreen build/bench/quenz_bench
//   QUENZ_BENCH_HUGE=1 ... --benchmark_filter=Huge   the 32767 x 32767 exports (3.2 GB of TIFF)
#include "base/FolderItem.h"
#include "base/TextStreams.h"
#include "editor/FileTypes1.h"
#include "editor/Module1.h"
#include "editor/QuenzWin.h"
#include "framework/Dialogs.h"
#include "framework/FileTypes.h"
#include "framework/Menus.h"
#include "framework/Progress.h"
#include "framework/Runtime.h"
#include "imaging/ExportPicture.h"
#include "imaging/ImageEncoder.h"
#include "imaging/Outline.h"
#include "imaging/Picture.h"
#include "shell/MainMenuBar.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QLineEdit>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// A logo text of n kept characters: the alphabet and the digits over and over.
QString LogoText(int n) {
  static const QString glyphs = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
  QString text;
  text.reserve(n);
  for (int i = 0; i < n; ++i)
    text.append(glyphs[i % glyphs.size()]);
  return text;
}

QTemporaryDir& Folder() {
  static QTemporaryDir dir;
  return dir;
}

const char* FormatName(int format) {
  return format == fw::Picture::kFormatPNG    ? "PNG"
         : format == fw::Picture::kFormatJPEG ? "JPEG"
                                              : "TIFF";
}

// The export's save dialog, answered at once with a file in the benchmarks' folder; no other
// dialog is expected.
class BenchDialogs : public fw::DialogProvider {
 public:
  fw::FolderItemPtr OpenFile(const fw::RegisteredFileType&) override { return nullptr; }
  fw::FolderItemPtr SaveFile(const fw::RegisteredFileType& type, const QString&) override {
    return std::make_shared<fw::FolderItem>(
        Folder().filePath(QStringLiteral("export.") + type.suffixes.value(0)));
  }
  std::optional<fw::Color> SelectColor(fw::Color, const QString&) override { return {}; }
  fw::MessageButton Message(const fw::MessageRequest& request) override {
    qFatal("unexpected message: %s", qPrintable(request.message));
  }
  // The progress window as the program shows it, so that its cost is measured too.
  std::unique_ptr<fw::Progress> StartProgress(const QString& label, int steps) override {
    return fw::MakeQtProgress(label, steps);
  }
};

// ---- resident memory, from the kernel's own count

std::int64_t StatusKiB(const char* field) {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith(field))
      return line.mid(int(qstrlen(field))).trimmed().split(' ')[0].toLongLong();
  }
  return -1;
}

// Sets the peak of resident memory to what is resident now, and gives that.
std::int64_t ResetPeakKiB() {
  QFile clear(QStringLiteral("/proc/self/clear_refs"));
  if (clear.open(QIODevice::WriteOnly)) clear.write("5");
  return StatusKiB("VmRSS:");
}

// The peak of resident memory since the reset that gave idle, above idle, in MiB.
double PeakAboveMiB(std::int64_t idleKiB) {
  return double(StatusKiB("VmHWM:") - idleKiB) / 1024.0;
}

// A window with the default logo at an export height, its format row set.
std::shared_ptr<QuenzWin> ExportWindow(int height, int format) {
  auto w = std::make_shared<QuenzWin>();
  w->ExpCB().SetText(QString::number(height));
  w->ExpTypPM().SetListIndex(format == fw::Picture::kFormatTIFF  ? 0
                             : format == fw::Picture::kFormatPNG ? 1
                                                                 : 2);
  QCoreApplication::processEvents();  // what the new window left pending is not the export's
  return w;
}

// ---- the export, from the press of the button to the closed file

// The first export of the run: nothing of it has been touched before.
void BM_DefaultExportCold(benchmark::State& state) {
  auto w = ExportWindow(309, fw::Picture::kFormatPNG);
  for (auto _ : state)
    w->PushButton1_Action(w->PushButton1());
}
BENCHMARK(BM_DefaultExportCold)->Iterations(1)->Unit(benchmark::kMillisecond);

// The same height at 4600, PNG, first of the run: time and peak memory above idle.
void BM_Export4600Cold(benchmark::State& state) {
  auto w = ExportWindow(4600, fw::Picture::kFormatPNG);
  const std::int64_t idle = ResetPeakKiB();
  for (auto _ : state)
    w->PushButton1_Action(w->PushButton1());
  state.counters["peak_MiB"] = PeakAboveMiB(idle);
  state.SetLabel(std::to_string(w->mExpW) + " x " + std::to_string(w->mExpH));
}
BENCHMARK(BM_Export4600Cold)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_DefaultExport(benchmark::State& state) {
  const int format = int(state.range(0));
  auto w = ExportWindow(309, format);
  for (auto _ : state)
    w->PushButton1_Action(w->PushButton1());
  state.SetLabel(FormatName(format));
}
BENCHMARK(BM_DefaultExport)
    ->Arg(fw::Picture::kFormatPNG)
    ->Arg(fw::Picture::kFormatJPEG)
    ->Arg(fw::Picture::kFormatTIFF)
    ->Unit(benchmark::kMillisecond);

// ImageMagick composing the default logo (TAVURE at height 309, black on white, from the
// glyph sheet's cells) as a whole process, and the export in process, in the same run: each
// round exports ten times, then runs the peer once.
void BM_DefaultExportAgainstImageMagick(benchmark::State& state) {
  const QString sheet = Folder().filePath(QStringLiteral("QuenzPic.png"));
  if (!QFile::exists(sheet)) QFile::copy(QStringLiteral(":/pictures/QuenzPic"), sheet);
  QStringList args{QStringLiteral("-size"), QStringLiteral("1339x309"), QStringLiteral("xc:white")};
  const int glyphs[] = {19, 0, 21, 20, 17, 4};  // T A V U R E
  for (int n = 0; n < 6; ++n) {
    const int k = glyphs[n];
    args << QStringLiteral("(") << sheet << QStringLiteral("-crop")
         << QStringLiteral("46x46+%1+%2").arg(k % 6 * 46).arg(k / 6 * 46)
         << QStringLiteral("+repage") << QStringLiteral("-resize") << QStringLiteral("309x309!")
         << QStringLiteral(")") << QStringLiteral("-geometry")
         << QStringLiteral("+%1+0").arg(int(n * 92 * 309 / 138.0)) << QStringLiteral("-compose")
         << QStringLiteral("Multiply") << QStringLiteral("-composite");
  }
  args << Folder().filePath(QStringLiteral("peer.png"));

  auto w = ExportWindow(309, fw::Picture::kFormatPNG);
  double exportNs = 0;
  double peerNs = 0;
  QElapsedTimer clock;
  constexpr int kExports = 10;
  for (auto _ : state) {
    clock.start();
    for (int i = 0; i < kExports; ++i)
      w->PushButton1_Action(w->PushButton1());
    exportNs += double(clock.nsecsElapsed()) / kExports;
    clock.start();
    QProcess peer;
    peer.start(QStringLiteral("convert"), args);
    if (!peer.waitForFinished(60000) || peer.exitCode() != 0) {
      state.SkipWithError("ImageMagick's convert did not run");
      return;
    }
    peerNs += double(clock.nsecsElapsed());
  }
  const double n = double(state.iterations());
  state.counters["export_ms"] = exportNs / n / 1e6;
  state.counters["peer_ms"] = peerNs / n / 1e6;
  state.counters["export_per_peer_%"] = 100.0 * exportNs / peerNs;
}
BENCHMARK(BM_DefaultExportAgainstImageMagick)->Iterations(20)->Unit(benchmark::kMillisecond);

// A tall export of each format: time, and peak memory above idle.
void BM_Export4600(benchmark::State& state) {
  const int format = int(state.range(0));
  auto w = ExportWindow(4600, format);
  const std::int64_t idle = ResetPeakKiB();
  for (auto _ : state)
    w->PushButton1_Action(w->PushButton1());
  state.counters["peak_MiB"] = PeakAboveMiB(idle);
  state.SetLabel(std::string(FormatName(format)) + ", " + std::to_string(w->mExpW) + " x " +
                 std::to_string(w->mExpH));
}
BENCHMARK(BM_Export4600)
    ->Arg(fw::Picture::kFormatPNG)
    ->Arg(fw::Picture::kFormatJPEG)
    ->Arg(fw::Picture::kFormatTIFF)
    ->Unit(benchmark::kMillisecond);

// The largest picture there is, 32767 x 32767, in each format (run on request only).
void BM_ExportHuge(benchmark::State& state) {
  const int format = int(state.range(0));
  fw::ExportPicture picture(32767, 32767);
  const auto w = std::make_shared<QuenzWin>();
  w->MakeQuenzLogo(picture.Graphics(), 32767, 32767 / 138.0);
  const fw::FolderItem file(Folder().filePath(QStringLiteral("huge.img")));
  const std::int64_t idle = ResetPeakKiB();
  for (auto _ : state) {
    // As the export saves: with its progress, the windows repainting between the bands.
    const auto progress = fw::StartProgress(QStringLiteral("Saving"), picture.BandCount());
    picture.Save(file, format, -1, [&](int done) { return fw::RunEventsAndStep(*progress, done); });
  }
  state.counters["peak_MiB"] = PeakAboveMiB(idle);
  state.counters["file_MiB"] = double(QFile(file.Path()).size()) / (1 << 20);
  QFile::remove(file.Path());
  state.SetLabel(FormatName(format));
}

// ---- the PNG encoder against Qt's, on the picture of the default export, in memory

void BM_PngEncoder(benchmark::State& state) {
  const bool ours = state.range(0) == 0;
  // The picture as the export hands it to the encoder: drawn from its record as one band.
  auto w = std::make_shared<QuenzWin>();
  fw::ExportPicture picture(w->mExpW, w->mExpH);
  w->MakeQuenzLogo(picture.Graphics(), w->mExpH, w->mExpZ);
  QImage image(picture.Width(), picture.Height(), QImage::Format_RGB32);
  picture.DrawBand(0, picture.Height(), image);
  qint64 bytes = 0;
  for (auto _ : state) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    if (ours) {
      const auto encoder =
          fw::ImageEncoder::Make(fw::Picture::kFormatPNG, buffer, image.size(), -1);
      encoder->Write(fw::ImageRows{image.constBits(), image.bytesPerLine(), image.height()});
      encoder->Finish();
    } else {
      QImageWriter(&buffer, "png").write(image);
    }
    bytes = data.size();
  }
  state.counters["bytes"] = double(bytes);
  state.SetLabel(ours ? "ours (Up filter, run-length)" : "Qt's QImageWriter");
}
BENCHMARK(BM_PngEncoder)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_NewWindow(benchmark::State& state) {
  for (auto _ : state) {
    auto w = std::make_shared<QuenzWin>();
    benchmark::DoNotOptimize(w->mExpW);
  }
}
BENCHMARK(BM_NewWindow)->Unit(benchmark::kMicrosecond);

// One paint of the preview at the window's width, as the canvas's paint event does it.
void BM_PreviewPaint(benchmark::State& state) {
  auto w = std::make_shared<QuenzWin>();
  w->LogoTF().SetText(LogoText(int(state.range(0))));
  QImage surface(597, 138, QImage::Format_ARGB32_Premultiplied);
  QPainter painter(&surface);
  fw::Graphics g(painter, surface.width(), surface.height());
  for (auto _ : state)
    w->fcv_Paint(w->fcv(), g);
  state.SetLabel(std::to_string(state.range(0)) + " characters");
}
BENCHMARK(BM_PreviewPaint)->Arg(6)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

// The outlines traced from the glyphs' cells, which their enlargements are drawn from: made once
// for each of the 36 glyphs, at its first enlarged draw, from its cell's coverage.
void BM_GlyphOutlines(benchmark::State& state) {
  const QImage sheet = Module1::QuenzPic()->Image().convertToFormat(QImage::Format_RGB32);
  constexpr int kCell = Module1::kGlyphCell;
  std::vector<std::vector<std::uint8_t>> cells;
  for (int k = 0; k < 36; ++k) {
    std::vector<std::uint8_t>& cell = cells.emplace_back(std::size_t(kCell) * kCell);
    for (int y = 0; y < kCell; ++y) {
      for (int x = 0; x < kCell; ++x) {
        const QRgb p = sheet.pixel((k % Module1::kGlyphColumns) * kCell + x,
                                   (k / Module1::kGlyphColumns) * kCell + y);
        cell[std::size_t(y) * kCell + std::size_t(x)] = std::uint8_t(255 - qGray(p));
      }
    }
  }
  for (auto _ : state) {
    for (const auto& cell : cells)
      benchmark::DoNotOptimize(fw::TraceOutline(cell.data(), kCell, kCell));
  }
}
BENCHMARK(BM_GlyphOutlines)->Unit(benchmark::kMillisecond);

void BM_SetLogoText(benchmark::State& state) {
  auto w = std::make_shared<QuenzWin>();
  const QByteArray text = LogoText(int(state.range(0))).toLatin1();
  for (auto _ : state)
    w->SetLogoText(text);
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SetLogoText)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity();

// One character typed at the end of a long logo and taken back, as the user edits it: the field's
// own work on its text and the logo's rebuild, twice.
void BM_TypeIntoLogo(benchmark::State& state) {
  auto w = std::make_shared<QuenzWin>();
  w->LogoTF().SetText(LogoText(int(state.range(0))));
  QLineEdit& edit = w->LogoTF().Edit();
  edit.end(false);
  for (auto _ : state) {
    edit.insert(QStringLiteral("A"));
    edit.backspace();
  }
}
// One short of the bound, so that the character typed is taken.
BENCHMARK(BM_TypeIntoLogo)
    ->Arg(1000)
    ->Arg(QuenzWin::kMaxLogoText - 1)
    ->Unit(benchmark::kMillisecond);

// The export's drawing alone, at a height; the default logo: recorded, then drawn band by band
// as the save does, without encoding.
void BM_ExportRender(benchmark::State& state) {
  auto w = std::make_shared<QuenzWin>();
  w->ExpCB().SetText(QString::number(state.range(0)));
  for (auto _ : state) {
    fw::ExportPicture picture(w->mExpW, w->mExpH, 32);
    w->MakeQuenzLogo(picture.Graphics(), w->mExpH, w->mExpZ);
    QImage band(picture.Width(), picture.BandRows(), QImage::Format_RGB32);
    for (int top = 0; top < picture.Height(); top += picture.BandRows())
      picture.DrawBand(top, std::min(picture.BandRows(), picture.Height() - top), band);
    benchmark::DoNotOptimize(band.constBits());
  }
  state.SetLabel(std::to_string(w->mExpW) + " x " + std::to_string(w->mExpH));
  state.counters["pixels"] = double(w->mExpW) * w->mExpH;
}
BENCHMARK(BM_ExportRender)->Arg(138)->Arg(309)->Arg(460)->Arg(4600)->Unit(benchmark::kMillisecond);

// Encoding the default export (1339 x 309) to a file in each format.
void BM_ExportEncode(benchmark::State& state) {
  auto w = std::make_shared<QuenzWin>();
  fw::Picture picture(w->mExpW, w->mExpH, 32);
  w->MakeQuenzLogo(picture.Graphics(), w->mExpH, w->mExpZ);
  const int format = int(state.range(0));
  const fw::FolderItem file(Folder().filePath(QStringLiteral("export.img")));
  for (auto _ : state)
    picture.Save(file, format, -1);
  state.SetLabel(FormatName(format));
}
BENCHMARK(BM_ExportEncode)
    ->Arg(fw::Picture::kFormatPNG)
    ->Arg(fw::Picture::kFormatJPEG)
    ->Arg(fw::Picture::kFormatTIFF)
    ->Unit(benchmark::kMillisecond);

void BM_WriteDocument(benchmark::State& state) {
  auto w = std::make_shared<QuenzWin>();
  w->LogoTF().SetText(LogoText(int(state.range(0))));
  const auto file = std::make_shared<fw::FolderItem>(Folder().filePath(QStringLiteral("w.TXT")));
  for (auto _ : state)
    w->SaveData(file);
}
BENCHMARK(BM_WriteDocument)->Arg(6)->Arg(1000)->Unit(benchmark::kMicrosecond);

void BM_ReadDocument(benchmark::State& state) {
  const auto file = std::make_shared<fw::FolderItem>(Folder().filePath(QStringLiteral("r.TXT")));
  {
    auto w = std::make_shared<QuenzWin>();
    w->LogoTF().SetText(LogoText(int(state.range(0))));
    w->SaveData(file);
  }
  auto w = std::make_shared<QuenzWin>();
  for (auto _ : state)
    w->OpenData(file);
}
BENCHMARK(BM_ReadDocument)->Arg(6)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  fw::Runtime runtime(argc, argv);
  Module1::InitMoji();
  FileTypes1::Initialize();
  fw::SetSharedMenuBar([] { return MainMenuBar::Instance(); });
  fw::SetDialogProvider(std::make_shared<BenchDialogs>());
  if (qEnvironmentVariableIsSet("QUENZ_BENCH_HUGE")) {
    for (const int format :
         {fw::Picture::kFormatPNG, fw::Picture::kFormatJPEG, fw::Picture::kFormatTIFF}) {
      benchmark::RegisterBenchmark("BM_ExportHuge", BM_ExportHuge)
          ->Arg(format)
          ->Iterations(1)
          ->Unit(benchmark::kMillisecond);
    }
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
