#pragma once

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <optional>

#include "qt/ModelDialog.h"

namespace crx::test {

// Answers message boxes with OK and file dialogs from a list, as a user
// would, recording what they said and proposed.
class AutoAnswer {
 public:
  AutoAnswer() {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start();
  }

  // The next file dialog's answer; nullopt cancels it.
  void File(std::optional<QString> path) { files_.push_back(std::move(path)); }

  QStringList messages;
  // When set, the dialog windows are answered too, by their default button.
  bool pressDefaultButtons = false;
  QStringList dialogs;        // the dialog classes answered so
  QStringList proposedFiles;  // the file each save dialog proposed as it opened

 private:
  void Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible()) return;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      messages << box->text();
      box->button(QMessageBox::Ok)->click();
    } else if (auto* model = qobject_cast<qt::ModelDialog*>(modal)) {
      if (!pressDefaultButtons || model == answered_) return;
      answered_ = model;
      dialogs << model->objectName();
      for (QPushButton* button : model->findChildren<QPushButton*>()) {
        if (button->isDefault()) QTimer::singleShot(0, button, [button] { button->click(); });
      }
    } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
      // Answered once: a poll that comes before the answer is carried out
      // (a loaded machine) must not answer again.
      if (dialog == answeredFile_) return;
      answeredFile_ = dialog;
      if (dialog->acceptMode() == QFileDialog::AcceptSave && !dialog->selectedFiles().isEmpty()) {
        proposedFiles << dialog->selectedFiles().front();
      }
      std::optional<QString> answer;
      if (!files_.empty()) {
        answer = files_.front();
        files_.pop_front();
      }
      if (answer) {
        dialog->selectFile(*answer);
        // Accepting may ask something in turn: answered by the next poll.
        QTimer::singleShot(0, dialog, [dialog] { static_cast<QDialog*>(dialog)->accept(); });
      } else {
        QTimer::singleShot(0, dialog, [dialog] { dialog->reject(); });
      }
    }
  }

  QTimer timer_;
  QPointer<QWidget> answered_;
  QPointer<QFileDialog> answeredFile_;
  std::deque<std::optional<QString>> files_;
};

}  // namespace crx::test
