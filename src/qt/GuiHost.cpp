#include "qt/GuiHost.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <QStringList>
#include <QThread>
#include <QUrl>

#include "app/MessageAdvice.h"
#include "platform/DialogModel.h"
#include "qt/ModelDialog.h"

namespace crx::qt {

GuiHost::GuiHost() = default;
GuiHost::~GuiHost() = default;

void GuiHost::RegisterDialog(const std::string& dialogName, WidgetFactory factory) {
  factories_[dialogName] = std::move(factory);
}

void GuiHost::OnGuiThread(const std::function<void()>& work) {
  if (QThread::currentThread() == thread()) {
    work();
    return;
  }
  QMetaObject::invokeMethod(this, work, Qt::BlockingQueuedConnection);
}

QString GuiHost::FilterToQt(const std::string& filter) {
  // "description|pattern|description|pattern|": one entry per pair; a
  // pattern list "*.a;*.b" becomes "*.a *.b".
  const QStringList parts = QString::fromStdString(filter).split('|');
  QStringList entries;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty() && parts[i + 1].isEmpty()) break;
    QString patterns = parts[i + 1];
    patterns.replace(';', ' ');
    // Programs here have no ".exe": a program picker shows all files.
    patterns.replace(QStringLiteral("*.exe"), QStringLiteral("*"));
    entries << QStringLiteral("%1 (%2)").arg(parts[i], patterns.trimmed());
  }
  return entries.join(QStringLiteral(";;"));
}

void GuiHost::KeepTitleWhole(QMessageBox& box) {
  // A message box is as narrow as its text: a short text cuts the title
  // ("C… ix"). The title's width, the window buttons' room and a margin
  // hold it open.
  constexpr int kTitleRoom = 160;
  const int width = box.fontMetrics().horizontalAdvance(box.windowTitle()) + kTitleRoom;
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                  grid->rowCount(), 0, 1, grid->columnCount());
  }
}

void GuiHost::ShowMessage(std::string_view utf8Text, MessageKind kind) {
  const QString text = QString::fromUtf8(utf8Text.data(), static_cast<qsizetype>(utf8Text.size()));
  OnGuiThread([&] {
    const QString title = messageTitle_.isEmpty() ? QApplication::applicationName() : messageTitle_;
    QMessageBox box(kind == MessageKind::ModuleError ? QMessageBox::Warning : QMessageBox::NoIcon,
                    title, text, QMessageBox::Ok, mainWindow_);
    KeepTitleWhole(box);
    box.setObjectName(kind == MessageKind::ModuleError ? "moduleError" : "message");
    if (kind == MessageKind::ModuleError) {
      // A module's error stops everything else until it has been read.
      box.setWindowModality(Qt::ApplicationModal);
      box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    }
    box.exec();
  });
}

bool GuiHost::AskYesNo(std::string_view utf8Question) {
  const QString text =
      QString::fromUtf8(utf8Question.data(), static_cast<qsizetype>(utf8Question.size()));
  bool yes = false;
  OnGuiThread([&] {
    const QString title = messageTitle_.isEmpty() ? QApplication::applicationName() : messageTitle_;
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                    mainWindow_);
    KeepTitleWhole(box);
    box.setObjectName("question");
    // Enter keeps the work: leaving must be chosen.
    box.setDefaultButton(QMessageBox::No);
    yes = box.exec() == QMessageBox::Yes;
  });
  return yes;
}

void GuiHost::Deliver(const Diagnostic& diagnostic) {
  ShowMessage(MessageAdvice::WithAdvice(diagnostic), diagnostic.kind == DiagnosticKind::ModuleError
                                                         ? MessageKind::ModuleError
                                                         : MessageKind::Plain);
}

std::optional<std::string> GuiHost::FileDialog(const FileDialogRequest& request, bool save) {
  std::optional<std::string> chosen;
  OnGuiThread([&] {
    QFileDialog dialog(mainWindow_, QString(), QString(), FilterToQt(request.filter));
    dialog.setObjectName(save ? "saveFileDialog" : "openFileDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
    // The default extension is given as "mid" or as "*.wav".
    QString suffix = QString::fromStdString(request.defaultExtension);
    if (suffix.startsWith(QStringLiteral("*."))) suffix.remove(0, 2);
    if (suffix.startsWith('.')) suffix.remove(0, 1);
    if (!suffix.isEmpty() && !suffix.contains('*') && suffix != QStringLiteral("exe")) {
      dialog.setDefaultSuffix(suffix);
    }
    if (!request.title.empty()) dialog.setWindowTitle(QString::fromStdString(request.title));
    const QString folder = StartFolder(request);
    dialog.setDirectory(folder);
    if (save && !request.proposedName.empty()) {
      dialog.selectFile(QDir(folder).filePath(QString::fromStdString(request.proposedName)));
    } else if (save && proposal_) {
      const std::string proposed = proposal_();
      if (!proposed.empty()) dialog.selectFile(QString::fromStdString(proposed));
    }
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
      chosen = dialog.selectedFiles().front().toStdString();
      lastFolder_ = QFileInfo(dialog.selectedFiles().front()).absolutePath();
    }
  });
  return chosen;
}

QString GuiHost::StartFolder(const FileDialogRequest& request) const {
  for (const QString& folder : {QString::fromStdString(request.startFolder), lastFolder_}) {
    if (!folder.isEmpty() && QFileInfo(folder).isDir()) return folder;
  }
  return QDir::homePath();
}

std::optional<std::string> GuiHost::OpenFileDialog(const FileDialogRequest& request) {
  return FileDialog(request, false);
}

std::optional<std::string> GuiHost::SaveFileDialog(const FileDialogRequest& request) {
  return FileDialog(request, true);
}

DialogResult GuiHost::RunModal(DialogModel& dialog) {
  DialogResult result = DialogResult::Cancel;
  OnGuiThread([&] {
    auto it = factories_.find(dialog.DialogName());
    if (it == factories_.end()) {
      // A dialog without a window cannot be edited: it is taken as it opens.
      if (dialog.OnInitDialog() && dialog.OnOK()) result = DialogResult::Ok;
      return;
    }
    if (!dialog.OnInitDialog()) return;
    std::unique_ptr<ModelDialog> widget = it->second(dialog, mainWindow_);
    widget->setObjectName(QString::fromUtf8(dialog.DialogName()));
    widget->Load();
    ModelDialog* outer = active_;
    active_ = widget.get();
    const int code = widget->exec();
    active_ = outer;
    result = code == QDialog::Accepted ? DialogResult::Ok : DialogResult::Cancel;
  });
  return result;
}

void GuiHost::Beep() {
  OnGuiThread([] { QApplication::beep(); });
}

void GuiHost::ShowHelp(const std::string& path) {
  const QUrl url = QUrl::fromLocalFile(QString::fromStdString(path));
  OnGuiThread([&] {
    if (!QDesktopServices::openUrl(url)) {
      QMessageBox::warning(mainWindow_, QApplication::applicationName(),
                           QStringLiteral("%1\n%2").arg(
                               QString::fromUtf8("ヘルプを開けませんでした。"), url.toLocalFile()));
    }
  });
}

void GuiHost::ProgressStart() {
  OnGuiThread([&] {
    if (progressDepth_++ == 0) QApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
  });
}

void GuiHost::ProgressStop() {
  OnGuiThread([&] {
    if (progressDepth_ > 0 && --progressDepth_ == 0) QApplication::restoreOverrideCursor();
  });
}

void GuiHost::ProgressTick() {
  // Work that runs on the GUI thread ticks here: the windows repaint
  // meanwhile, but no click reaches them.
  if (QThread::currentThread() == thread()) {
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
}

}  // namespace crx::qt
