#pragma once

#include "base/FolderItem.h"
#include "framework/Dialogs.h"
#include "framework/FileTypes.h"
#include "framework/Progress.h"

#include <QString>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// Answers the program's dialogs from a script, in order. A dialog that the script does not
// expect fails the test and is answered as cancelled.
class ScriptedDialogs : public fw::DialogProvider {
 public:
  // The open dialog for a file type, answered with a path ("" cancels it).
  void ExpectOpen(const QString& typeName, const QString& path);
  // The save dialog for a file type offering defaultName, answered with a path ("" cancels).
  void ExpectSave(const QString& typeName, const QString& defaultName, const QString& path);
  // The colour picker with a prompt, answered with a colour (nothing cancels it). The picker's
  // starting colour is recorded in lastColorInitial.
  void ExpectColor(const QString& prompt, std::optional<fw::Color> answer);
  // A message box whose message contains the text, answered with a button.
  void ExpectMessage(const QString& messagePart, fw::MessageButton answer);
  // Runs while the next dialog is up, just before it is answered (to check or change state
  // as a user could while a dialog is open).
  void WhileOpen(std::function<void()> action);

  // Whether every expected dialog came.
  bool Done() const { return script_.empty(); }
  void Reset();

  std::vector<fw::MessageRequest> messages;  // every message box shown, in order
  fw::Color lastColorInitial = 0;
  int dialogsShown = 0;

  fw::FolderItemPtr OpenFile(const fw::RegisteredFileType& type) override;
  fw::FolderItemPtr SaveFile(const fw::RegisteredFileType& type,
                             const QString& defaultName) override;
  std::optional<fw::Color> SelectColor(fw::Color initial, const QString& prompt) override;
  fw::MessageButton Message(const fw::MessageRequest& request) override;

  // ---- progress windows: never on screen, and not counted among the dialogs
  struct ProgressScript {
    int stopAt = 0;                   // the step at which the user stops the task; 0: never
    std::function<void(int)> onStep;  // runs at every step, given the steps done
    std::vector<QString> labels;      // of every progress window started, in order
    int steps = 0;                    // of the last one started
    int stepsSeen = 0;                // steps reported to the last one
  };
  ProgressScript progress;
  std::unique_ptr<fw::Progress> StartProgress(const QString& label, int steps) override;

 private:
  enum class Kind { Open, Save, Color, Message };
  struct Step {
    Kind kind;
    QString typeName;
    QString text;  // default name, prompt or message part
    QString path;
    std::optional<fw::Color> color;
    fw::MessageButton button = fw::MessageButton::Cancel;
    std::function<void()> whileOpen;
  };
  std::optional<Step> Next(Kind kind, const QString& description);

  std::deque<Step> script_;
  std::function<void()> pendingWhileOpen_;
};

// The script that the tests' dialogs answer from.
ScriptedDialogs& Script();
std::shared_ptr<ScriptedDialogs> SharedScript();
