#include "Startup.h"

#include "editor/FileTypes1.h"
#include "editor/Module1.h"
#include "framework/Application.h"
#include "framework/Guard.h"
#include "framework/Runtime.h"
#include "shell/App.h"
#include "shell/MainMenuBar.h"

namespace {

// Each global is emptied first, and only then is what it held released.
template <class T>
void Release(T& global) {
  T held = std::move(global);
  global = T();
  held = T();
}

}  // namespace

const std::array<ModuleFinalizer, 6> kModuleFinalizers = {{
    {"pJPEGTYPE", [] { Release(FileTypes1::pJPEGTYPE); }},
    {"pPNGTYPE", [] { Release(FileTypes1::pPNGTYPE); }},
    {"pTextType", [] { Release(FileTypes1::pTextType); }},
    {"pTIFFTYPE", [] { Release(FileTypes1::pTIFFTYPE); }},
    {"implicitInstance", [] { Release(implicitInstance); }},
    {"gMoji", [] { Release(Module1::gMoji); }},
}};

void RuntimePerformInitializers() {
  FileTypes1::pJPEGTYPE.reset();
  FileTypes1::pPNGTYPE.reset();
  FileTypes1::pTextType.reset();
  FileTypes1::pTIFFTYPE.reset();
  implicitInstance.reset();
  Module1::gMoji = {};
}

void InitFileTypes() {
  FileTypes1::Initialize();
}

void NewAppInstance() {
  // The one menu bar, made on first use, which the application and every window share.
  fw::SetSharedMenuBar([] { return MainMenuBar::Instance(); });
  auto app = std::make_shared<App>();
  app->SetMenuBar(MainMenuBar::Instance());
  fw::RegisterAppObject(app);
}

void ApplicationAddMenuHandlers() {
  const std::shared_ptr<App> app = App::Instance();
  App* self = app.get();
  app->AddMenuHandler(QStringLiteral("FileNew"), [self] { return self->FileNew_Action(); });
  app->AddMenuHandler(QStringLiteral("FileOpen"), [self] { return self->FileOpen_Action(); });
}

void EarlyStartup() {
  fw::Application::SetSupportsHiDPI(true);
  InitFileTypes();
  NewAppInstance();
  ApplicationAddMenuHandlers();
}

void LateStartup() {}

void Main() {
  try {
    EarlyStartup();
    fw::RunFrameworkInitialization(LateStartup);
    fw::RuntimeRun();
  } catch (...) {
    fw::UnhandledException(std::current_exception());
  }
}

void RuntimePerformFinalizers() {
  for (const ModuleFinalizer& finalizer : kModuleFinalizers)
    finalizer.release();
}
