#include "qt/ResultDlgWidget.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "qt/TextHelpers.h"

namespace crx::qt {

ResultDlgWidget::ResultDlgWidget(CResultDlg& dialog, QWidget* parent)
    : ModelDialog(dialog, parent), dialog_(dialog) {
  setWindowTitle(Utf8(CResultDlg::kCaption));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(Utf8(dialog.Heading()), this));
  files_ = new QListWidget(this);
  files_->setObjectName("files");
  files_->setMinimumWidth(520);
  // As high as the list, at most a screenful of products.
  constexpr int kShownRows = 6;
  files_->setFixedHeight(files_->fontMetrics().lineSpacing() * kShownRows + 8);
  layout->addWidget(files_);
  auto* play = new QPushButton(Utf8(CResultDlg::kPlayCaption), this);
  play->setObjectName("play");
  auto* folder = new QPushButton(Utf8(CResultDlg::kOpenFolderCaption), this);
  folder->setObjectName("folder");
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName("1");
  ok->setDefault(true);
  const bool any = !dialog.Files().empty();
  play->setEnabled(any);
  folder->setEnabled(any);
  connect(files_, &QListWidget::currentRowChanged, this, [this](int row) { dialog_.Select(row); });
  // A double click plays, as in a file manager.
  connect(files_, &QListWidget::itemActivated, this, [this] { dialog_.Play(); });
  connect(play, &QPushButton::clicked, this, [this] { dialog_.Play(); });
  connect(folder, &QPushButton::clicked, this, [this] { dialog_.OpenFolder(); });
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(play);
  buttons->addWidget(folder);
  buttons->addStretch(1);
  buttons->addWidget(ok);
  layout->addLayout(buttons);
  ok->setFocus();
}

void ResultDlgWidget::Load() {
  files_->clear();
  for (const CResultDlg::Entry& entry : dialog_.Files()) {
    files_->addItem(Utf8(CResultDlg::Line(entry)));
  }
  if (dialog_.Files().empty()) {
    files_->addItem(Utf8(CResultDlg::kNothingMade));
    files_->setEnabled(false);
  } else {
    files_->setCurrentRow(dialog_.Selection());
  }
}

}  // namespace crx::qt
