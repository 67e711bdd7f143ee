#pragma once

#include <QDialog>
#include <QTimer>
#include <map>
#include <thread>

#include "app/CCantorixDlg.h"

class QComboBox;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QPushButton;

namespace crx::qt {

// The main window: the nine step rows and the automatic row (label,
// description, 実行, やりなおし, 編集), the mode box, 設定, ヘルプ, 終了 and the
// status line. Each control shows the dialog class's control of the same
// id. A command runs on a thread of the window, so that the window keeps
// repainting (and the status line growing) while a step waits for an outside
// program; meanwhile every step button, the mode box and 終了 are disabled,
// and the step's own dialogs and messages come up through the GUI host.
// 中止 stops a running step or automatic run (its programs end, what it had
// not finished is removed); closing the window during a run does the same,
// and the window closes once the run has stopped.
class CantorixWindow : public QDialog {
  Q_OBJECT

 public:
  explicit CantorixWindow(CCantorixDlg& dialog, QWidget* parent = nullptr);
  ~CantorixWindow() override;

  // Shows the dialog class's controls as they are now.
  void Sync();
  // A click on the control with this id, as the user makes it.
  void ClickControl(int id);
  // True while a command runs.
  bool Busy() const { return busy_; }
  QWidget* Control(int id) const;
  QPushButton* StopButton() const { return stop_; }
  static constexpr std::string_view kStopCaption = "中止";

  void reject() override;
  // A karaoke file dropped on the window is loaded as step 1 loads one;
  // anything else gets a message.
  void DropPaths(const QStringList& paths);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void CommandEnded();
  bool Working() const;

  CCantorixDlg& dialog_;
  std::map<int, QWidget*> controls_;
  QComboBox* mode_ = nullptr;
  QLabel* status_ = nullptr;
  QPushButton* stop_ = nullptr;
  QTimer progress_;
  std::thread command_;
  bool busy_ = false;
  bool closing_ = false;
  bool closeWhenStopped_ = false;
  // The user said yes to leaving; closing after the stop asks no more.
  bool quitConfirmed_ = false;
};

}  // namespace crx::qt
