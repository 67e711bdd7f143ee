#include "qt/MelodyDlgWidget.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "qt/FieldRows.h"
#include "qt/TextHelpers.h"

namespace crx::qt {

namespace {
constexpr int kNumberWidth = 80;
}

MelodyDlgWidget::MelodyDlgWidget(CMelodyDlg& dialog, QWidget* parent)
    : ModelDialog(dialog, parent), dialog_(dialog) {
  setWindowTitle(Utf8(CMelodyDlg::kCaption));
  auto* grid = new QGridLayout(this);
  lowest_ = AddFieldRow(grid, 0, CMelodyDlg::kFields[0], this);
  highest_ = AddFieldRow(grid, 1, CMelodyDlg::kFields[1], this);
  for (QLineEdit* field : {lowest_, highest_}) {
    field->setMinimumWidth(kNumberWidth);
    field->setMaximumWidth(kNumberWidth);
    field->setAlignment(Qt::AlignRight);
  }
  QPushButton* up = MakeButton(CMelodyDlg::kUpId, CMelodyDlg::kUpCaption, false, this);
  QPushButton* down = MakeButton(CMelodyDlg::kDownId, CMelodyDlg::kDownCaption, false, this);
  connect(up, &QPushButton::clicked, this, [this] {
    dialog_.OnOctaveUp();
    Load();
  });
  connect(down, &QPushButton::clicked, this, [this] {
    dialog_.OnOctaveDown();
    Load();
  });
  grid->addWidget(up, 0, 2);
  grid->addWidget(down, 1, 2);
  grid->addWidget(new QLabel(Utf8(CMelodyDlg::kReferenceLabel), this), 2, 0, 1, 2);
  // The range in note names and what to press, following the buttons.
  names_ = new QLabel(this);
  advice_ = new QLabel(this);
  grid->addWidget(names_, 3, 0, 1, 3);
  grid->addWidget(advice_, 4, 0, 1, 3);
  QPushButton* ok = MakeButton(CMelodyDlg::kOkId, "OK", true, this);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  grid->addWidget(ok, 2, 2);
  ChainTabOrder({up, down, ok, lowest_, highest_});
  ok->setFocus();
}

void MelodyDlgWidget::Load() {
  ShowText(lowest_, dialog_.LowestText());
  ShowText(highest_, dialog_.HighestText());
  names_->setText(Utf8(dialog_.RangeNames()));
  advice_->setText(Utf8(dialog_.Advice()));
}

}  // namespace crx::qt
