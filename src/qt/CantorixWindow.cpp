#include "qt/CantorixWindow.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/DroppedKaraoke.h"
#include "foundation/FileHelpers.h"
#include "platform/UiServices.h"
#include "qt/AboutBox.h"
#include "qt/TextHelpers.h"

namespace crx::qt {

using Dlg = CCantorixDlg;

CantorixWindow::CantorixWindow(Dlg& dialog, QWidget* parent) : QDialog(parent), dialog_(dialog) {
  setObjectName(QString::number(Dlg::kResourceId));
  setWindowTitle(Utf8(Dlg::kCaption));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setWindowFlag(Qt::WindowMinimizeButtonHint, true);
  setAcceptDrops(true);

  auto* grid = new QGridLayout;
  grid->setColumnStretch(1, 1);
  QWidget* previous = nullptr;
  auto chain = [&](QWidget* w) {
    if (previous != nullptr) setTabOrder(previous, w);
    previous = w;
  };
  auto button = [&](int id, std::string_view caption) {
    auto* b = new QPushButton(Utf8(caption), this);
    b->setObjectName(QString::number(id));
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, [this, id] { ClickControl(id); });
    controls_[id] = b;
    return b;
  };
  const int lineHeight = fontMetrics().lineSpacing();
  for (int row = 0; row <= Dlg::kStepCount; ++row) {
    const Dlg::StepRow& r = Dlg::kRows[static_cast<size_t>(row)];
    grid->addWidget(new QLabel(Utf8(r.label), this), row, 0);
    auto* description = new QPlainTextEdit(Utf8(r.description), this);
    description->setObjectName(QString::number(r.descriptionId));
    description->setReadOnly(true);
    description->setFocusPolicy(Qt::NoFocus);
    description->setFixedHeight(lineHeight * (row == Dlg::kFullAutoRow ? 3 : 2) + 8);
    description->setMinimumWidth(360);
    controls_[r.descriptionId] = description;
    grid->addWidget(description, row, 1);
    chain(button(r.executeId, Dlg::kExecuteCaption));
    grid->addWidget(controls_[r.executeId], row, 2);
    if (r.redoId != 0) {
      chain(button(r.redoId, Dlg::kRedoCaption));
      grid->addWidget(controls_[r.redoId], row, 3);
    }
    if (r.editId != 0) {
      chain(button(r.editId, Dlg::kEditCaption));
      grid->addWidget(controls_[r.editId], row, 4);
    }
  }

  mode_ = new QComboBox(this);
  mode_->setObjectName(QString::number(Dlg::kModeBoxId));
  for (std::string_view m : Dlg::kModes) mode_->addItem(Utf8(m));
  controls_[Dlg::kModeBoxId] = mode_;
  connect(mode_, &QComboBox::activated, this, [this](int index) {
    if (!busy_) dialog_.SelectMode(index);
    Sync();
  });
  status_ = new QLabel(this);
  status_->setObjectName(QString::number(Dlg::kStatusLineId));
  status_->setMinimumWidth(fontMetrics().horizontalAdvance(QString(48, '*')));
  controls_[Dlg::kStatusLineId] = status_;

  stop_ = new QPushButton(Utf8(kStopCaption), this);
  stop_->setObjectName("stop");
  stop_->setAutoDefault(false);
  connect(stop_, &QPushButton::clicked, this, [this] { dialog_.RequestStop(); });

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(mode_);
  bottom->addWidget(status_, 1);
  bottom->addWidget(stop_);
  chain(mode_);
  chain(stop_);
  for (auto [id, caption] :
       {std::pair{Dlg::kSettingsId, Dlg::kSettingsCaption},
        std::pair{Dlg::kHelpId, Dlg::kHelpCaption}, std::pair{Dlg::kCloseId, Dlg::kCloseCaption}}) {
    QPushButton* b = button(id, caption);
    bottom->addWidget(b);
    chain(b);
  }
  // No default button: Enter anywhere in the window never quits.
  auto* close = static_cast<QPushButton*>(controls_[Dlg::kCloseId]);
  close->setDefault(false);
  close->setAutoDefault(false);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(bottom);

  progress_.setInterval(Dlg::kProgressIntervalMs);
  connect(&progress_, &QTimer::timeout, this, [this] { dialog_.ProgressTimer(); });
  // The dialog class may change from any thread; the window follows on its own.
  dialog_.SetChangeListener([this] {
    QMetaObject::invokeMethod(
        this, [this] { Sync(); }, Qt::QueuedConnection);
  });
  Sync();
}

CantorixWindow::~CantorixWindow() {
  dialog_.SetChangeListener(nullptr);
  if (command_.joinable()) command_.join();
}

QWidget* CantorixWindow::Control(int id) const {
  auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : it->second;
}

void CantorixWindow::Sync() {
  for (const Dlg::Control& c : dialog_.Controls()) {
    QWidget* w = Control(c.id);
    if (w == nullptr || c.kind == Dlg::ControlKind::Description ||
        c.kind == Dlg::ControlKind::StatusLine) {
      continue;
    }
    // While a command runs only ヘルプ answers.
    w->setEnabled(c.enabled && (!busy_ || c.id == Dlg::kHelpId));
  }
  if (mode_->currentIndex() != dialog_.ModeSelection()) {
    mode_->setCurrentIndex(dialog_.ModeSelection());
  }
  status_->setText(Utf8(dialog_.StatusLine()));
  // The title names the song loaded.
  const std::string& song = dialog_.Flow().KaraokeMidiPath();
  setWindowTitle(song.empty() ? Utf8(Dlg::kCaption)
                              : Utf8(GetFileNameOfPath(song)) + " - " + Utf8(Dlg::kCaption));
  stop_->setEnabled(Working() && !closeWhenStopped_);
  const bool running = dialog_.ProgressRunning();
  if (running && !progress_.isActive()) progress_.start();
  if (!running && progress_.isActive()) progress_.stop();
  if (closeWhenStopped_ && !Working()) {
    QMetaObject::invokeMethod(
        this, [this] { close(); }, Qt::QueuedConnection);
  }
}

void CantorixWindow::ClickControl(int id) {
  if (busy_) return;
  if (id == Dlg::kCloseId) {
    close();
    return;
  }
  if (id == Dlg::kHelpId) {
    dialog_.Click(id);
    return;
  }
  busy_ = true;
  Sync();
  command_ = std::thread([this, id] {
    dialog_.Click(id);
    QMetaObject::invokeMethod(
        this, [this] { CommandEnded(); }, Qt::QueuedConnection);
  });
}

void CantorixWindow::CommandEnded() {
  if (command_.joinable()) command_.join();
  busy_ = false;
  Sync();
}

bool CantorixWindow::Working() const { return busy_ || dialog_.WorkerRunning(); }

void CantorixWindow::reject() {
  // Escape is the close box.
  close();
}

void CantorixWindow::closeEvent(QCloseEvent* event) {
  if (closing_) {
    event->accept();
    return;
  }
  if (!quitConfirmed_ && (Working() || dialog_.WorkInProgress())) {
    if (!Ui().AskYesNo(Dlg::kQuitQuestion)) {
      event->ignore();
      return;
    }
    quitConfirmed_ = true;
  }
  if (Working()) {
    // The run stops first; the window follows once it has.
    dialog_.RequestStop();
    closeWhenStopped_ = true;
    event->ignore();
    return;
  }
  if (!dialog_.OnOK()) {
    event->ignore();
    return;
  }
  closing_ = true;
  progress_.stop();
  event->accept();
  done(QDialog::Accepted);
}

void CantorixWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CantorixWindow::dropEvent(QDropEvent* event) {
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    paths << (url.isLocalFile() ? url.toLocalFile() : url.toString());
  }
  event->acceptProposedAction();
  // Loading shows dialogs of its own: it starts after the drop has ended.
  QTimer::singleShot(0, this, [this, paths] { DropPaths(paths); });
}

void CantorixWindow::DropPaths(const QStringList& paths) {
  std::vector<std::string> files;
  for (const QString& p : paths) files.push_back(ToUtf8(p));
  std::string_view problem = DroppedKaraoke::Problem(files);
  if (problem.empty() && (busy_ || !dialog_.IsEnabled(Dlg::kRows[0].executeId))) {
    problem = DroppedKaraoke::kBusyMessage;
  }
  if (!problem.empty()) {
    Ui().ShowMessage(problem, MessageKind::Plain);
    return;
  }
  busy_ = true;
  Sync();
  command_ = std::thread([this, path = files.front()] {
    dialog_.LoadDroppedKaraoke(path);
    QMetaObject::invokeMethod(
        this, [this] { CommandEnded(); }, Qt::QueuedConnection);
  });
}

void CantorixWindow::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  QAction* about = menu.addAction(Utf8(AboutBox::kMenuEntry));
  if (menu.exec(event->globalPos()) == about) {
    AboutBox box(Utf8(Dlg::kAboutCaption), Utf8(Dlg::kAboutText), this);
    box.exec();
  }
}

}  // namespace crx::qt
