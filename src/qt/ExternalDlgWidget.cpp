#include "qt/ExternalDlgWidget.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "qt/FieldRows.h"
#include "qt/TextHelpers.h"

namespace crx::qt {

ExternalDlgWidget::ExternalDlgWidget(CExternalDlg& dialog, QWidget* parent)
    : ModelDialog(dialog, parent), dialog_(dialog) {
  setWindowTitle(Utf8(CExternalDlg::kCaption));
  auto* grid = new QGridLayout(this);
  grid->setColumnStretch(1, 1);
  vocalMidi_ = AddFieldRow(grid, 0, CExternalDlg::kFields[0], this);
  vocalWav_ = AddFieldRow(grid, 1, CExternalDlg::kFields[1], this);
  program_ = AddFieldRow(grid, 2, CExternalDlg::kFields[2], this);
  QPushButton* browse =
      AddPickerButton(grid, 2, CExternalDlg::kBrowseId, CExternalDlg::kBrowseCaption, this);
  connect(browse, &QPushButton::clicked, this, [this] {
    dialog_.OnBrowse();
    Load();
  });
  explanation_ = new QLabel(this);
  explanation_->setObjectName(QString::number(CExternalDlg::kExplanationId));
  explanation_->setWordWrap(true);
  explanation_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  grid->addWidget(explanation_, 3, 0, 1, 3);
  QPushButton* ok = MakeButton(CExternalDlg::kOkId, "OK", true, this);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  grid->addWidget(ok, 4, 2);
  ChainTabOrder({browse, ok, vocalMidi_, vocalWav_, program_});
  ok->setFocus();
}

void ExternalDlgWidget::Load() {
  ShowText(vocalMidi_, dialog_.VocalMidiPath());
  ShowText(vocalWav_, dialog_.VocalWavPath());
  ShowText(program_, dialog_.ProgramText());
  explanation_->setText(Utf8(dialog_.Explanation()));
}

}  // namespace crx::qt
