#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/Diagnostics.h"

namespace crx {

class DialogModel;

// How a message box is shown: tagged module errors are system-modal, the
// messages of the steps are plain OK boxes.
enum class MessageKind { ModuleError, Plain };

enum class DialogResult { Ok, Cancel };

struct FileDialogRequest {
  std::string filter;            // "description|pattern|..."
  std::string defaultExtension;  // "mid", "*.wav", ...
  bool mustExist = false;        // open dialogs
  bool overwritePrompt = false;  // save dialogs
  // The dialog's title (UTF-8); empty: the toolkit's own.
  std::string title = {};
  // The folder it opens in; empty or missing: the folder used last, else the
  // home folder.
  std::string startFolder = {};
  // Save dialogs: the file name proposed in that folder; empty: none.
  std::string proposedName = {};
};

// Everything the core shows or asks goes through this interface. One host is
// installed per process; any thread may call it.
class UiServices {
 public:
  virtual ~UiServices() = default;

  // Returns when the user has pressed OK.
  virtual void ShowMessage(std::string_view utf8Text, MessageKind kind) = 0;
  // The chosen path, or nothing when cancelled.
  virtual std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) = 0;
  virtual std::optional<std::string> SaveFileDialog(const FileDialogRequest& request) = 0;
  // Shows a dialog class modally: initialises it, lets the user edit it, and
  // on OK runs its checks.
  virtual DialogResult RunModal(DialogModel& dialog) = 0;
  // A question answered yes or no (はい / いいえ): true for yes.
  virtual bool AskYesNo(std::string_view utf8Question) = 0;
  virtual void Beep() = 0;
  virtual void ShowHelp(const std::string& path) = 0;
  virtual void ProgressStart() = 0;
  virtual void ProgressStop() = 0;
  virtual void ProgressTick() = 0;
};

// The process-wide host. Until a host is installed a console host answers.
UiServices& Ui();
// Installs a host (not owned; nullptr restores the built-in console host) and
// returns the previous one.
UiServices* SetUi(UiServices* host);

// Shows diagnostics of the core through the host, in order. The first use of
// Ui() or SetUi() also routes diagnostics reported outside any collector to
// the host, so that they appear where they happen.
void ShowDiagnostics(const std::vector<Diagnostic>& diagnostics);

// Installs a host for the lifetime of the scope.
class ScopedUi {
 public:
  explicit ScopedUi(UiServices& host) : previous_(SetUi(&host)) {}
  ~ScopedUi() { SetUi(previous_); }
  ScopedUi(const ScopedUi&) = delete;
  ScopedUi& operator=(const ScopedUi&) = delete;

 private:
  UiServices* previous_;
};

}  // namespace crx
