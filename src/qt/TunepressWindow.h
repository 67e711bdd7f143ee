#pragma once

#include <QDialog>

#include "renderer/CTunepressDlg.h"

class QPushButton;

namespace crx::qt {

class ProgressRing;

// The renderer's window: exit, convert and settings buttons, the circular
// progress display, and one dropped MIDI file converted at a time.
class TunepressWindow : public QDialog {
  Q_OBJECT

 public:
  explicit TunepressWindow(renderer::CTunepressDlg& dialog, QWidget* parent = nullptr);

  // Shows what the dialog class holds now: title, buttons, progress, and
  // whether the window is hidden, closed or the program ends.
  void Sync();
  // Runs the start message once the event loop runs.
  void PostStartMessage();
  // What a drop of these local paths does.
  void DropPaths(const QStringList& paths);
  ProgressRing* Progress() const { return progress_; }

  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  renderer::CTunepressDlg& dialog_;
  QPushButton* exit_ = nullptr;
  QPushButton* convert_ = nullptr;
  QPushButton* settings_ = nullptr;
  ProgressRing* progress_ = nullptr;
  bool closing_ = false;
};

}  // namespace crx::qt
