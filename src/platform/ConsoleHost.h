#pragma once

#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "platform/UiServices.h"

namespace crx {

// The host of headless runs: messages go to standard error as one line each,
// file dialogs take their answers in order from the command line, a modal
// dialog is accepted as it opens unless a preset handles it.
class ConsoleHost : public UiServices {
 public:
  using DialogPreset = std::function<DialogResult(DialogModel&)>;

  ConsoleHost();

  void AddFileAnswer(std::string path);
  void SetDialogPreset(const std::string& dialogName, DialogPreset preset);

  void ShowMessage(std::string_view utf8Text, MessageKind kind) override;
  std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) override;
  std::optional<std::string> SaveFileDialog(const FileDialogRequest& request) override;
  DialogResult RunModal(DialogModel& dialog) override;
  // Nobody answers on the console: the question is shown and taken as yes.
  bool AskYesNo(std::string_view utf8Question) override;
  void Beep() override;
  void ShowHelp(const std::string& path) override;
  void ProgressStart() override;
  void ProgressStop() override;
  void ProgressTick() override;

 private:
  std::optional<std::string> NextFileAnswer();

  std::mutex mutex_;
  std::deque<std::string> fileAnswers_;
  std::map<std::string, DialogPreset> presets_;
  bool progressOnTerminal_ = false;
  bool progressActive_ = false;
};

}  // namespace crx
