#pragma once

#include <QDialog>
#include <QTimer>
#include <array>
#include <functional>
#include <map>
#include <thread>

#include "app/CCantorixDlg.h"

class QComboBox;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QProgressBar;
class QPushButton;
class QToolButton;

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
  QToolButton* RecentButton() const { return recent_; }
  QProgressBar* ProgressBar() const { return progressBar_; }
  QLabel* RowLabel(int row) const { return rowLabels_.at(static_cast<size_t>(row)); }
  static constexpr std::string_view kStopCaption = "中止";
  static constexpr std::string_view kRecentCaption = "最近のファイル";
  static constexpr std::string_view kNoRecentFiles = "（まだありません）";
  // Loads a file of the recent list as step 1 (a file that is gone gets a
  // message and leaves the list).
  void LoadRecent(const QString& path);

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
  // Runs work on the window's command thread with the buttons disabled.
  void RunCommand(std::function<void()> work);
  void FillRecentMenu();
  void ShowRunningRow();

  CCantorixDlg& dialog_;
  std::map<int, QWidget*> controls_;
  QComboBox* mode_ = nullptr;
  QLabel* status_ = nullptr;
  QPushButton* stop_ = nullptr;
  QToolButton* recent_ = nullptr;
  QProgressBar* progressBar_ = nullptr;
  std::array<QLabel*, CCantorixDlg::kStepCount + 1> rowLabels_{};
  int shownRunningRow_ = -1;
  QTimer progress_;
  std::thread command_;
  bool busy_ = false;
  bool closing_ = false;
  bool closeWhenStopped_ = false;
  // The user said yes to leaving; closing after the stop asks no more.
  bool quitConfirmed_ = false;
};

}  // namespace crx::qt
