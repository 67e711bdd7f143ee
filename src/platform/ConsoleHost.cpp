#include "platform/ConsoleHost.h"

#include <unistd.h>

#include <cstdio>

#include "platform/DialogModel.h"

namespace crx {

ConsoleHost::ConsoleHost() : progressOnTerminal_(isatty(STDERR_FILENO) != 0) {}

void ConsoleHost::AddFileAnswer(std::string path) {
  std::lock_guard lock(mutex_);
  fileAnswers_.push_back(std::move(path));
}

void ConsoleHost::SetDialogPreset(const std::string& dialogName, DialogPreset preset) {
  std::lock_guard lock(mutex_);
  presets_[dialogName] = std::move(preset);
}

void ConsoleHost::ShowMessage(std::string_view utf8Text, MessageKind /*kind*/) {
  std::string line(utf8Text);
  for (char& c : line) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  std::lock_guard lock(mutex_);
  if (progressActive_ && progressOnTerminal_) std::fputc('\n', stderr);
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
}

std::optional<std::string> ConsoleHost::NextFileAnswer() {
  std::lock_guard lock(mutex_);
  if (fileAnswers_.empty()) return std::nullopt;
  std::string answer = std::move(fileAnswers_.front());
  fileAnswers_.pop_front();
  return answer;
}

std::optional<std::string> ConsoleHost::OpenFileDialog(const FileDialogRequest& /*request*/) {
  return NextFileAnswer();
}

std::optional<std::string> ConsoleHost::SaveFileDialog(const FileDialogRequest& /*request*/) {
  return NextFileAnswer();
}

DialogResult ConsoleHost::RunModal(DialogModel& dialog) {
  DialogPreset preset;
  {
    std::lock_guard lock(mutex_);
    auto it = presets_.find(dialog.DialogName());
    if (it != presets_.end()) preset = it->second;
  }
  if (!dialog.OnInitDialog()) return DialogResult::Cancel;
  if (preset) {
    DialogResult r = preset(dialog);
    if (r == DialogResult::Cancel) {
      dialog.OnCancel();
      return r;
    }
  }
  if (!dialog.OnOK()) {
    // Nobody can correct the values headless: the dialog ends as cancelled.
    dialog.OnCancel();
    return DialogResult::Cancel;
  }
  return DialogResult::Ok;
}

void ConsoleHost::Beep() {
  std::lock_guard lock(mutex_);
  std::fputc('\a', stderr);
  std::fflush(stderr);
}

void ConsoleHost::ShowHelp(const std::string& path) { ShowMessage(path, MessageKind::Plain); }

void ConsoleHost::ProgressStart() {
  std::lock_guard lock(mutex_);
  progressActive_ = true;
}

void ConsoleHost::ProgressStop() {
  std::lock_guard lock(mutex_);
  if (progressActive_ && progressOnTerminal_) {
    std::fputc('\n', stderr);
    std::fflush(stderr);
  }
  progressActive_ = false;
}

void ConsoleHost::ProgressTick() {
  std::lock_guard lock(mutex_);
  if (progressActive_ && progressOnTerminal_) {
    std::fputc('*', stderr);
    std::fflush(stderr);
  }
}

bool ConsoleHost::AskYesNo(std::string_view utf8Question) {
  ShowMessage(utf8Question, MessageKind::Plain);
  return true;
}

}  // namespace crx
