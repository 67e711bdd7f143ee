#include "qt/TunepressWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "qt/AboutBox.h"
#include "qt/ProgressRing.h"
#include "qt/TextHelpers.h"

namespace crx::qt {

using renderer::CTunepressDlg;

TunepressWindow::TunepressWindow(CTunepressDlg& dialog, QWidget* parent)
    : QDialog(parent), dialog_(dialog) {
  setObjectName(QString::number(CTunepressDlg::kResourceId));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setWindowFlag(Qt::WindowMinimizeButtonHint, true);
  setAcceptDrops(true);

  auto makeButton = [this](const char* caption, const char* name) {
    auto* button = new QPushButton(Utf8(caption), this);
    button->setObjectName(name);
    button->setAutoDefault(false);
    button->setMinimumWidth(96);
    return button;
  };
  exit_ = makeButton(CTunepressDlg::kExitCaption, "exit");
  convert_ = makeButton(CTunepressDlg::kConvertCaption, "convert");
  settings_ = makeButton(CTunepressDlg::kSettingsCaption, "settings");
  convert_->setDefault(true);
  progress_ = new ProgressRing(this);

  auto* buttons = new QVBoxLayout;
  buttons->addWidget(exit_);
  buttons->addWidget(convert_);
  buttons->addWidget(settings_);
  buttons->addStretch(1);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(progress_, 1);

  connect(exit_, &QPushButton::clicked, this, [this] { dialog_.OnExit(); });
  connect(convert_, &QPushButton::clicked, this, [this] { dialog_.OnConvert(); });
  connect(settings_, &QPushButton::clicked, this, [this] { dialog_.OnSettings(); });
  setTabOrder(exit_, convert_);
  setTabOrder(convert_, settings_);

  dialog_.SetRepaint([this] { Sync(); });
  Sync();
}

void TunepressWindow::Sync() {
  setWindowTitle(Utf8(dialog_.Title()));
  exit_->setEnabled(dialog_.ExitEnabled());
  convert_->setEnabled(dialog_.ConvertEnabled());
  progress_->SetCounter(dialog_.ProgressCounter());
  if (dialog_.QuitPosted()) {
    QTimer::singleShot(0, qApp, &QApplication::quit);
  }
  if (dialog_.CloseRequested() && !closing_) {
    closing_ = true;
    QTimer::singleShot(0, this, &QWidget::close);
    return;
  }
  if (dialog_.Hidden() == isVisible()) setVisible(!dialog_.Hidden());
}

void TunepressWindow::PostStartMessage() {
  QTimer::singleShot(0, this, [this] {
    if (dialog_.StartMessagePending()) dialog_.OnStartMessage();
  });
}

void TunepressWindow::DropPaths(const QStringList& paths) {
  std::vector<std::string> files;
  for (const QString& path : paths) files.push_back(ToUtf8(path));
  dialog_.OnDropFiles(files);
}

void TunepressWindow::reject() {
  // Escape is the exit button, and only while that is enabled.
  if (dialog_.ExitEnabled()) dialog_.OnCancel();
}

void TunepressWindow::closeEvent(QCloseEvent* event) {
  if (closing_) {
    event->accept();
    return;
  }
  // The close box is the exit button: nothing ends in the middle of a
  // conversion.
  event->ignore();
  if (dialog_.ExitEnabled()) dialog_.OnExit();
}

void TunepressWindow::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  QAction* about = menu.addAction(Utf8(AboutBox::kMenuEntry));
  if (menu.exec(event->globalPos()) == about) {
    AboutBox box(Utf8(AboutBox::kTunepressCaption), Utf8(AboutBox::kTunepressText), this);
    box.exec();
  }
}

void TunepressWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls() && convert_->isEnabled()) event->acceptProposedAction();
}

void TunepressWindow::dropEvent(QDropEvent* event) {
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) paths << url.toLocalFile();
  }
  event->acceptProposedAction();
  // The conversion opens dialogs of its own: it runs after the drop ends.
  QTimer::singleShot(0, this, [this, paths] { DropPaths(paths); });
}

}  // namespace crx::qt
