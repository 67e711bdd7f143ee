#pragma once

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
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
  QStringList leftToTheTest;  // dialog classes never answered here
  QStringList proposedFiles;  // the file each save dialog proposed as it opened

 private:
  void Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible()) return;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      messages << box->text();
      // A plain message has OK; a question (a file dialog's "replace?") is
      // answered yes.
      QAbstractButton* answer = box->button(QMessageBox::Ok);
      if (answer == nullptr) answer = box->button(QMessageBox::Yes);
      if (answer == nullptr) answer = box->defaultButton();
      if (answer != nullptr) answer->click();
    } else if (auto* model = qobject_cast<qt::ModelDialog*>(modal)) {
      if (!pressDefaultButtons || model == answered_) return;
      if (leftToTheTest.contains(model->objectName())) return;
      answered_ = model;
      dialogs << model->objectName();
      for (QPushButton* button : model->findChildren<QPushButton*>()) {
        if (button->isDefault()) QTimer::singleShot(0, button, [button] { button->click(); });
      }
    } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
      AnswerFile(dialog);
    }
  }

  // A file dialog is answered as a user answers it: once it shows the
  // folder of the answer, by typing the whole path into its file-name field
  // and pressing its accept button. Choosing a file before the folder has
  // been read races the reading, which may take the choice back.
  void AnswerFile(QFileDialog* dialog) {
    if (dialog == answeredFile_) return;  // its answer is on its way
    if (dialog != openFile_) {
      openFile_ = dialog;
      folderRead_ = false;
      openedAt_.start();
      if (dialog->acceptMode() == QFileDialog::AcceptSave && !dialog->selectedFiles().isEmpty()) {
        proposedFiles << dialog->selectedFiles().front();
      }
      answer_.reset();
      if (!files_.empty()) {
        answer_ = files_.front();
        files_.pop_front();
      }
      if (!answer_) {
        answeredFile_ = dialog;
        QTimer::singleShot(0, dialog, [dialog] { dialog->reject(); });
        return;
      }
      const QString folder = QFileInfo(*answer_).absolutePath();
      if (auto* model = dialog->findChild<QFileSystemModel*>()) {
        QObject::connect(model, &QFileSystemModel::directoryLoaded, dialog,
                         [this, folder](const QString& path) {
                           if (QDir(path) == QDir(folder)) folderRead_ = true;
                         });
      }
      if (QDir(dialog->directory()) != QDir(folder)) dialog->setDirectory(folder);
    }
    // A folder read before we listened sends no signal: a generous limit.
    if (!folderRead_ && openedAt_.elapsed() < kFolderReadLimitMs) return;
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (name == nullptr) return;
    answeredFile_ = dialog;
    name->setFocus();
    name->setText(*answer_);
    // Accepting may ask something in turn: answered by the next poll.
    QTimer::singleShot(0, dialog, [dialog] { static_cast<QDialog*>(dialog)->accept(); });
  }

  static constexpr qint64 kFolderReadLimitMs = 3000;

  QTimer timer_;
  QPointer<QWidget> answered_;
  QPointer<QFileDialog> answeredFile_;
  QPointer<QFileDialog> openFile_;
  std::optional<QString> answer_;
  bool folderRead_ = false;
  QElapsedTimer openedAt_;
  std::deque<std::optional<QString>> files_;
};

}  // namespace crx::test
