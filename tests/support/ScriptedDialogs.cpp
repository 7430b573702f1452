#include "ScriptedDialogs.h"
#include "base/FolderItem.h"
#include "framework/FileTypes.h"
#include "framework/Progress.h"

#include <gtest/gtest.h>

namespace {

const char* KindName(int kind) {
  static const char* names[] = {"open dialog", "save dialog", "colour picker", "message box"};
  return names[kind];
}

}  // namespace

void ScriptedDialogs::ExpectOpen(const QString& typeName, const QString& path) {
  script_.push_back({Kind::Open, typeName, {}, path, {}, {}, std::move(pendingWhileOpen_)});
}

void ScriptedDialogs::ExpectSave(const QString& typeName, const QString& defaultName,
                                 const QString& path) {
  script_.push_back(
      {Kind::Save, typeName, defaultName, path, {}, {}, std::move(pendingWhileOpen_)});
}

void ScriptedDialogs::ExpectColor(const QString& prompt, std::optional<fw::Color> answer) {
  script_.push_back({Kind::Color, {}, prompt, {}, answer, {}, std::move(pendingWhileOpen_)});
}

void ScriptedDialogs::ExpectMessage(const QString& messagePart, fw::MessageButton answer) {
  script_.push_back({Kind::Message, {}, messagePart, {}, {}, answer, std::move(pendingWhileOpen_)});
}

void ScriptedDialogs::WhileOpen(std::function<void()> action) {
  pendingWhileOpen_ = std::move(action);
}

void ScriptedDialogs::Reset() {
  script_.clear();
  pendingWhileOpen_ = nullptr;
  messages.clear();
  lastColorInitial = 0;
  dialogsShown = 0;
  progress = {};
}

std::optional<ScriptedDialogs::Step> ScriptedDialogs::Next(Kind kind, const QString& description) {
  ++dialogsShown;
  if (script_.empty() || script_.front().kind != kind) {
    ADD_FAILURE() << "unexpected " << KindName(int(kind)) << ": " << description.toStdString()
                  << (script_.empty() ? std::string(" (no dialog expected)")
                                      : std::string(" (expected a ") +
                                            KindName(int(script_.front().kind)) + ")");
    return std::nullopt;
  }
  Step step = std::move(script_.front());
  script_.pop_front();
  if (step.whileOpen) step.whileOpen();
  return step;
}

fw::FolderItemPtr ScriptedDialogs::OpenFile(const fw::RegisteredFileType& type) {
  const auto step = Next(Kind::Open, type.name);
  if (!step) return nullptr;
  EXPECT_EQ(step->typeName, type.name);
  return step->path.isEmpty() ? nullptr : std::make_shared<fw::FolderItem>(step->path);
}

fw::FolderItemPtr ScriptedDialogs::SaveFile(const fw::RegisteredFileType& type,
                                            const QString& defaultName) {
  const auto step = Next(Kind::Save, type.name + QStringLiteral(" / ") + defaultName);
  if (!step) return nullptr;
  EXPECT_EQ(step->typeName, type.name);
  EXPECT_EQ(step->text, defaultName);
  return step->path.isEmpty() ? nullptr : std::make_shared<fw::FolderItem>(step->path);
}

std::optional<fw::Color> ScriptedDialogs::SelectColor(fw::Color initial, const QString& prompt) {
  lastColorInitial = initial;
  const auto step = Next(Kind::Color, prompt);
  if (!step) return std::nullopt;
  EXPECT_EQ(step->text, prompt);
  return step->color;
}

fw::MessageButton ScriptedDialogs::Message(const fw::MessageRequest& request) {
  messages.push_back(request);
  const auto step = Next(Kind::Message, request.message);
  if (!step) return fw::MessageButton::Cancel;
  EXPECT_TRUE(request.message.contains(step->text)) << "message: " << request.message.toStdString();
  return step->button;
}

std::shared_ptr<ScriptedDialogs> SharedScript() {
  static const auto script = std::make_shared<ScriptedDialogs>();
  return script;
}

ScriptedDialogs& Script() {
  return *SharedScript();
}

// ---- progress windows

namespace {

class ScriptedProgress : public fw::Progress {
 public:
  explicit ScriptedProgress(ScriptedDialogs::ProgressScript& script) : script_(script) {}
  bool Step(int done) override {
    script_.stepsSeen = done;
    if (script_.onStep) script_.onStep(done);
    return script_.stopAt == 0 || done < script_.stopAt;
  }

 private:
  ScriptedDialogs::ProgressScript& script_;
};

}  // namespace

std::unique_ptr<fw::Progress> ScriptedDialogs::StartProgress(const QString& label, int steps) {
  progress.labels.push_back(label);
  progress.steps = steps;
  progress.stepsSeen = 0;
  return std::make_unique<ScriptedProgress>(progress);
}
