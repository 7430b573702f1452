// Feeds arbitrary bytes as a logo document through the reader into a new window, then draws
// the logo, as the preview and the export would.
#include "editor/FileTypes1.h"
#include "editor/Module1.h"
#include "editor/QuenzWin.h"
#include "framework/Application.h"
#include "framework/Picture.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

// Both stay for the life of the process: libFuzzer ends it with exit(), and Qt must not be torn
// down from an exit handler, after its own statics are gone.
fw::Runtime* runtime = nullptr;
QTemporaryDir* folder = nullptr;
// One window serves every input (making a window per input would leave little time for the
// reader); it is brought back to a fresh window's logo before each.
QuenzWin* window = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  runtime = std::make_unique<fw::Runtime>(*argc, *argv).release();
  fw::SetStartupDocuments({});
  Module1::InitMoji();
  FileTypes1::Initialize();
  folder = std::make_unique<QTemporaryDir>().release();
  window = std::make_unique<QuenzWin>().release();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QString path = folder->filePath(QStringLiteral("input.TXT"));
  {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) std::abort();
    file.write(reinterpret_cast<const char*>(data), qint64(size));
  }
  QuenzWin* w = window;
  w->LogoTF().SetText(QString());
  w->LogoTF().SetText(QStringLiteral("TAVURE"));
  w->BKColorRT().SetFillColor(0xFFFFFF);
  w->ExpCB().SetText(QStringLiteral("309"));
  w->OpenData(std::make_shared<fw::FolderItem>(path));

  fw::Picture preview(300, 138);
  w->MakeQuenzLogo(preview.Graphics(), 138, 1.0);
  // The export at its stored size, where that size makes a picture of modest memory.
  if (w->mExpW >= 1 && w->mExpH >= 1 && std::int64_t(w->mExpW) * w->mExpH <= 60'000) {
    fw::Picture picture(w->mExpW, w->mExpH);
    w->MakeQuenzLogo(picture.Graphics(), w->mExpH, w->mExpZ);
  }
  return 0;
}
