#include "support/platform/ScriptedHost.h"

#include "platform/DialogModel.h"

namespace crx {

void ScriptedHost::AnswerFile(std::optional<std::string> path) {
  std::lock_guard lock(mutex_);
  fileAnswers_.push_back(std::move(path));
}

void ScriptedHost::AnswerDialog(DialogScript script) {
  std::lock_guard lock(mutex_);
  dialogAnswers_.push_back(std::move(script));
}

std::vector<ScriptedHost::Record> ScriptedHost::Records() const {
  std::lock_guard lock(mutex_);
  return records_;
}

std::vector<std::string> ScriptedHost::Messages() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> out;
  for (const Record& r : records_) {
    if (r.kind == Kind::Message) out.push_back(r.text);
  }
  return out;
}

std::vector<std::string> ScriptedHost::DialogNames() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> out;
  for (const Record& r : records_) {
    if (r.kind == Kind::Dialog) out.push_back(r.text);
  }
  return out;
}

int ScriptedHost::Beeps() const {
  std::lock_guard lock(mutex_);
  int n = 0;
  for (const Record& r : records_) n += r.kind == Kind::Beep ? 1 : 0;
  return n;
}

int ScriptedHost::ProgressTicks() const {
  std::lock_guard lock(mutex_);
  return ticks_;
}

void ScriptedHost::Clear() {
  std::lock_guard lock(mutex_);
  records_.clear();
  ticks_ = 0;
}

void ScriptedHost::ShowMessage(std::string_view utf8Text, MessageKind kind) {
  std::lock_guard lock(mutex_);
  records_.push_back({Kind::Message, std::string(utf8Text), kind});
}

std::optional<std::string> ScriptedHost::NextFile() {
  if (fileAnswers_.empty()) return std::nullopt;
  std::optional<std::string> answer = std::move(fileAnswers_.front());
  fileAnswers_.pop_front();
  return answer;
}

std::optional<std::string> ScriptedHost::OpenFileDialog(const FileDialogRequest& request) {
  std::lock_guard lock(mutex_);
  records_.push_back({Kind::OpenFile, request.filter, MessageKind::Plain});
  return NextFile();
}

std::optional<std::string> ScriptedHost::SaveFileDialog(const FileDialogRequest& request) {
  std::lock_guard lock(mutex_);
  records_.push_back({Kind::SaveFile, request.filter, MessageKind::Plain});
  return NextFile();
}

DialogResult ScriptedHost::RunModal(DialogModel& dialog) {
  DialogScript script;
  {
    std::lock_guard lock(mutex_);
    records_.push_back({Kind::Dialog, dialog.DialogName(), MessageKind::Plain});
    if (!dialogAnswers_.empty()) {
      script = std::move(dialogAnswers_.front());
      dialogAnswers_.pop_front();
    }
  }
  // The dialog's own handlers may show messages: no lock held here.
  if (!dialog.OnInitDialog()) return DialogResult::Cancel;
  DialogResult result = script ? script(dialog) : DialogResult::Ok;
  if (result == DialogResult::Cancel) {
    dialog.OnCancel();
    return result;
  }
  if (!dialog.OnOK()) {
    dialog.OnCancel();
    return DialogResult::Cancel;
  }
  return DialogResult::Ok;
}

void ScriptedHost::Beep() {
  std::lock_guard lock(mutex_);
  records_.push_back({Kind::Beep, {}, MessageKind::Plain});
}

void ScriptedHost::ShowHelp(const std::string& path) {
  std::lock_guard lock(mutex_);
  records_.push_back({Kind::Help, path, MessageKind::Plain});
}

void ScriptedHost::ProgressTick() {
  std::lock_guard lock(mutex_);
  ++ticks_;
}

void ScriptedHost::AnswerQuestion(bool yes) {
  std::lock_guard lock(mutex_);
  questionAnswers_.push_back(yes);
}

std::vector<std::string> ScriptedHost::Questions() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> out;
  for (const Record& r : records_) {
    if (r.kind == Kind::Question) out.push_back(r.text);
  }
  return out;
}

bool ScriptedHost::AskYesNo(std::string_view utf8Question) {
  std::lock_guard lock(mutex_);
  records_.push_back({Kind::Question, std::string(utf8Question)});
  if (questionAnswers_.empty()) return true;
  const bool yes = questionAnswers_.front();
  questionAnswers_.pop_front();
  return yes;
}

}  // namespace crx
