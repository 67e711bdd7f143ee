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
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
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
    auto* label = new QLabel(Utf8(r.label), this);
    label->setObjectName(QStringLiteral("row%1").arg(row));
    rowLabels_[static_cast<size_t>(row)] = label;
    grid->addWidget(label, row, 0);
    auto* description = new QPlainTextEdit(Utf8(r.description), this);
    description->setObjectName(QString::number(r.descriptionId));
    description->setReadOnly(true);
    // Both lines show: the description and, once done, what the step made.
    description->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    description->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    description->setFocusPolicy(Qt::NoFocus);
    description->setFixedHeight(lineHeight * (row == Dlg::kFullAutoRow ? 3 : 2) + 8);
    description->setMinimumWidth(360);
    controls_[r.descriptionId] = description;
    grid->addWidget(description, row, 1);
    chain(button(r.executeId, Dlg::kExecuteCaption));
    if (row == 0) {
      // The karaoke files loaded last, under step 1's button.
      auto* cell = new QVBoxLayout;
      cell->setSpacing(2);
      cell->addWidget(controls_[r.executeId]);
      recent_ = new QToolButton(this);
      recent_->setObjectName("recent");
      recent_->setText(Utf8(kRecentCaption));
      recent_->setPopupMode(QToolButton::InstantPopup);
      recent_->setMenu(new QMenu(recent_));
      recent_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
      connect(recent_->menu(), &QMenu::aboutToShow, this, [this] { FillRecentMenu(); });
      cell->addWidget(recent_);
      grid->addLayout(cell, row, 2);
      chain(recent_);
    } else {
      grid->addWidget(controls_[r.executeId], row, 2);
    }
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

  progressBar_ = new QProgressBar(this);
  progressBar_->setObjectName("percent");
  progressBar_->setRange(0, 100);
  progressBar_->setVisible(false);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(mode_);
  bottom->addWidget(status_, 1);
  bottom->addWidget(progressBar_, 1);
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
    if (w == nullptr || c.kind == Dlg::ControlKind::StatusLine) continue;
    if (c.kind == Dlg::ControlKind::Description) {
      // A finished step's row names what it made.
      auto* description = static_cast<QPlainTextEdit*>(w);
      if (description->toPlainText() != Utf8(c.text)) description->setPlainText(Utf8(c.text));
      continue;
    }
    // While a command runs only ヘルプ answers.
    w->setEnabled(c.enabled && (!busy_ || c.id == Dlg::kHelpId));
    // The recent songs load as step 1 does, when it may.
    if (c.id == Dlg::kRows[0].executeId) recent_->setEnabled(w->isEnabled());
  }
  if (mode_->currentIndex() != dialog_.ModeSelection()) {
    mode_->setCurrentIndex(dialog_.ModeSelection());
  }
  status_->setText(Utf8(dialog_.StatusLine()));
  // The title names the song loaded.
  const std::string song = dialog_.SongFileName();
  setWindowTitle(song.empty() ? Utf8(Dlg::kCaption) : Utf8(song) + " - " + Utf8(Dlg::kCaption));
  stop_->setEnabled(Working() && !closeWhenStopped_);
  ShowRunningRow();
  // The bar shows only while a program tells how far it has come.
  const int percent = dialog_.ProgressPercent();
  progressBar_->setVisible(percent >= 0);
  status_->setVisible(percent < 0);
  if (percent >= 0) progressBar_->setValue(percent);
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
  RunCommand([this, id] { dialog_.Click(id); });
}

void CantorixWindow::RunCommand(std::function<void()> work) {
  busy_ = true;
  Sync();
  command_ = std::thread([this, work = std::move(work)] {
    work();
    QMetaObject::invokeMethod(
        this, [this] { CommandEnded(); }, Qt::QueuedConnection);
  });
}

void CantorixWindow::ShowRunningRow() {
  const int running = dialog_.RunningRow();
  if (running == shownRunningRow_) return;
  for (int row = 0; row <= Dlg::kStepCount; ++row) {
    QLabel* label = rowLabels_[static_cast<size_t>(row)];
    const bool on = row == running;
    label->setAutoFillBackground(on);
    label->setBackgroundRole(on ? QPalette::Highlight : QPalette::Window);
    label->setForegroundRole(on ? QPalette::HighlightedText : QPalette::WindowText);
    QFont font = label->font();
    font.setBold(on);
    label->setFont(font);
  }
  shownRunningRow_ = running;
}

void CantorixWindow::FillRecentMenu() {
  QMenu* menu = recent_->menu();
  menu->clear();
  const std::vector<std::string> paths = dialog_.RecentKaraokeFiles();
  if (paths.empty()) menu->addAction(Utf8(kNoRecentFiles))->setEnabled(false);
  for (const std::string& path : paths) {
    // The name first, where the eye looks; the folder tells equal names apart.
    const QString text = Utf8(GetFileNameOfPath(path)) + QStringLiteral("  (") +
                         Utf8(GetFolderOfPath(path)) + QStringLiteral(")");
    const QString whole = Utf8(path);
    connect(menu->addAction(text), &QAction::triggered, this, [this, whole] { LoadRecent(whole); });
  }
}

void CantorixWindow::LoadRecent(const QString& path) {
  if (busy_ || !dialog_.IsEnabled(Dlg::kRows[0].executeId)) return;
  RunCommand([this, file = ToUtf8(path)] { dialog_.LoadRecentKaraoke(file); });
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
  RunCommand([this, path = files.front()] { dialog_.LoadDroppedKaraoke(path); });
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
