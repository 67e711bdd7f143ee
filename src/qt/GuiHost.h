#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "foundation/Diagnostics.h"
#include "platform/UiServices.h"

#include <QMessageBox>
#include <QWidget>

namespace crx::qt {

class ModelDialog;

// The host of the windows. Every request runs on the GUI thread: a request
// from another thread is queued there and its caller waits until the user
// has answered (a blocking queued call), so widgets are only ever touched
// on the GUI thread.
class GuiHost : public QObject, public UiServices, public DiagnosticSink {
  Q_OBJECT

 public:
  // Builds the widget that shows one dialog class.
  using WidgetFactory = std::function<std::unique_ptr<ModelDialog>(DialogModel&, QWidget*)>;

  // Create on the GUI thread, after the application object.
  GuiHost();
  ~GuiHost() override;

  // The widget shown for the dialog class of that name (DialogModel::DialogName).
  void RegisterDialog(const std::string& dialogName, WidgetFactory factory);
  // The window that message boxes and dialogs are centred on.
  void SetMainWindow(QWidget* window) { mainWindow_ = window; }
  // The file a save dialog proposes as it opens (the main window knows it).
  void SetProposedFile(std::function<std::string()> proposal) { proposal_ = std::move(proposal); }
  // The title of the message boxes: the program's name as its users know it.
  void SetMessageTitle(QString title) { messageTitle_ = std::move(title); }
  const QString& MessageTitle() const { return messageTitle_; }
  // The widget of the modal dialog shown now, if any.
  ModelDialog* ActiveDialog() const { return active_; }
  // The file named by a "description|pattern|" filter, as a file dialog takes it.
  static QString FilterToQt(const std::string& filter);

  void ShowMessage(std::string_view utf8Text, MessageKind kind) override;
  bool AskYesNo(std::string_view utf8Question) override;
  // A diagnostic of the core: its message, then a line on what to do.
  void Deliver(const Diagnostic& diagnostic) override;
  std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) override;
  std::optional<std::string> SaveFileDialog(const FileDialogRequest& request) override;
  DialogResult RunModal(DialogModel& dialog) override;
  void Beep() override;
  void ShowHelp(const std::string& path) override;
  void ProgressStart() override;
  void ProgressStop() override;
  void ProgressTick() override;

 private:
  // Runs work on the GUI thread and returns when it is done.
  void OnGuiThread(const std::function<void()>& work);
  std::optional<std::string> FileDialog(const FileDialogRequest& request, bool save);
  // The request's folder, else the folder used last, else the home folder.
  QString StartFolder(const FileDialogRequest& request) const;
  static void KeepTitleWhole(QMessageBox& box);

  std::map<std::string, WidgetFactory> factories_;
  QPointer<QWidget> mainWindow_;
  ModelDialog* active_ = nullptr;
  std::function<std::string()> proposal_;
  QString messageTitle_;
  QString lastFolder_;  // of the last file chosen in a file dialog
  int progressDepth_ = 0;
};

}  // namespace crx::qt
