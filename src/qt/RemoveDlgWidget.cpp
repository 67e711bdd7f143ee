#include "qt/RemoveDlgWidget.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

#include "qt/TextHelpers.h"

namespace crx::qt {

RemoveDlgWidget::RemoveDlgWidget(CRemoveDlg& dialog, QWidget* parent)
    : ModelDialog(dialog, parent), dialog_(dialog) {
  setWindowTitle(Utf8(CRemoveDlg::kCaption));
  auto* grid = new QGridLayout(this);
  grid->setColumnStretch(1, 1);
  QWidget* previous = nullptr;
  for (size_t i = 0; i < boxes_.size(); ++i) {
    auto* box = new QCheckBox(Utf8(kDeleteBoxes[i].row), this);
    box->setObjectName(QString::number(kDeleteBoxes[i].id));
    auto* path = new QLineEdit(this);
    path->setObjectName(QString::number(CRemoveDlg::kFields[i].id));
    path->setReadOnly(true);
    path->setMinimumWidth(420);
    boxes_[i] = box;
    paths_[i] = path;
    grid->addWidget(box, static_cast<int>(i), 0);
    grid->addWidget(path, static_cast<int>(i), 1);
    if (previous != nullptr) setTabOrder(previous, box);
    previous = box;
  }
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QString::number(CRemoveDlg::kOkId));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  grid->addWidget(ok, static_cast<int>(boxes_.size()), 1, Qt::AlignRight);
  setTabOrder(previous, ok);
}

void RemoveDlgWidget::Load() {
  for (size_t i = 0; i < boxes_.size(); ++i) {
    boxes_[i]->setChecked(dialog_.Ticked(i));
    paths_[i]->setText(Utf8(dialog_.Path(i)));
    paths_[i]->setCursorPosition(0);
  }
}

void RemoveDlgWidget::Store() {
  for (size_t i = 0; i < boxes_.size(); ++i) dialog_.SetTicked(i, boxes_[i]->isChecked());
}

}  // namespace crx::qt
