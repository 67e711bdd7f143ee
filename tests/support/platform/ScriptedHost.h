#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/UiServices.h"

namespace crx {

// The host of tests: records every request in order and answers from a
// script. Unscripted file dialogs are cancelled; unscripted modal dialogs are
// accepted with their values as they open.
class ScriptedHost : public UiServices {
 public:
  enum class Kind { Message, OpenFile, SaveFile, Dialog, Beep, Help, Question };
  struct Record {
    Kind kind;
    std::string text;  // message text, dialog filter, dialog name or help path
    MessageKind messageKind = MessageKind::Plain;
  };
  using DialogScript = std::function<DialogResult(DialogModel&)>;

  // Answers for the next file dialogs, in order; nullopt cancels.
  void AnswerFile(std::optional<std::string> path);
  // Answers for the next yes/no questions, in order; unscripted ones are yes.
  void AnswerQuestion(bool yes);
  // The texts of the questions asked so far.
  std::vector<std::string> Questions() const;
  // Handler for the next modal dialog; it may change the dialog's values.
  void AnswerDialog(DialogScript script);

  std::vector<Record> Records() const;
  // The texts of all messages so far, in order.
  std::vector<std::string> Messages() const;
  std::vector<std::string> DialogNames() const;
  int Beeps() const;
  int ProgressTicks() const;
  void Clear();

  void ShowMessage(std::string_view utf8Text, MessageKind kind) override;
  std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) override;
  std::optional<std::string> SaveFileDialog(const FileDialogRequest& request) override;
  DialogResult RunModal(DialogModel& dialog) override;
  bool AskYesNo(std::string_view utf8Question) override;
  void Beep() override;
  void ShowHelp(const std::string& path) override;
  void ProgressStart() override {}
  void ProgressStop() override {}
  void ProgressTick() override;

 private:
  std::optional<std::string> NextFile();

  mutable std::mutex mutex_;
  std::vector<Record> records_;
  std::deque<std::optional<std::string>> fileAnswers_;
  std::deque<DialogScript> dialogAnswers_;
  std::deque<bool> questionAnswers_;
  int ticks_ = 0;
};

}  // namespace crx
