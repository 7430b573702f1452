// The costs that matter to a user: making a window, painting the preview, rebuilding the logo
// as the text changes, rendering and encoding an export, and writing and reading a document.
//
//   QT_QPA_PLATFORM=offscreen build/bench/quenz_bench
#include "editor/FileTypes1.h"
#include "editor/Module1.h"
#include "editor/QuenzWin.h"
#include "framework/Application.h"
#include "framework/Files.h"
#include "framework/Picture.h"

#include <QImage>
#include <QLineEdit>
#include <QPainter>
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
BENCHMARK(BM_TypeIntoLogo)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The export's picture and its drawing, at a height; the default logo.
void BM_ExportRender(benchmark::State& state) {
  auto w = std::make_shared<QuenzWin>();
  w->ExpCB().SetText(QString::number(state.range(0)));
  for (auto _ : state) {
    auto picture = std::make_shared<fw::Picture>(w->mExpW, w->mExpH, 32);
    w->MakeQuenzLogo(picture->Graphics(), w->mExpH, w->mExpZ);
    benchmark::DoNotOptimize(picture->Image().constBits());
  }
  state.SetLabel(std::to_string(w->mExpW) + " x " + std::to_string(w->mExpH));
  state.counters["pixels"] = double(w->mExpW) * w->mExpH;
}
BENCHMARK(BM_ExportRender)->Arg(138)->Arg(309)->Arg(460)->Arg(4600)->Unit(benchmark::kMillisecond);

// Making the export's picture alone (white, as every new picture is): at large heights this is
// most of the render, the cost of fresh memory.
void BM_NewPicture(benchmark::State& state) {
  auto w = std::make_shared<QuenzWin>();
  w->ExpCB().SetText(QString::number(state.range(0)));
  for (auto _ : state) {
    auto picture = std::make_shared<fw::Picture>(w->mExpW, w->mExpH, 32);
    benchmark::DoNotOptimize(picture->Image().constBits());
  }
  state.SetLabel(std::to_string(w->mExpW) + " x " + std::to_string(w->mExpH));
}
BENCHMARK(BM_NewPicture)->Arg(309)->Arg(4600)->Unit(benchmark::kMillisecond);

// Encoding the default export (1339 x 309) to a file in each format.
void BM_ExportEncode(benchmark::State& state) {
  auto w = std::make_shared<QuenzWin>();
  auto picture = std::make_shared<fw::Picture>(w->mExpW, w->mExpH, 32);
  w->MakeQuenzLogo(picture->Graphics(), w->mExpH, w->mExpZ);
  const int format = int(state.range(0));
  const fw::FolderItem file(Folder().filePath(QStringLiteral("export.img")));
  for (auto _ : state)
    picture->Save(file, format, -1);
  state.SetLabel(format == fw::Picture::kFormatPNG    ? "PNG"
                 : format == fw::Picture::kFormatJPEG ? "JPEG"
                                                      : "TIFF");
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
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
