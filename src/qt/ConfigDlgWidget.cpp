#include "qt/ConfigDlgWidget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "qt/FieldRows.h"
#include "qt/TextHelpers.h"

namespace crx::qt {

ConfigDlgWidget::ConfigDlgWidget(CConfigDlg& dialog, QWidget* parent)
    : ModelDialog(dialog, parent), dialog_(dialog) {
  setWindowTitle(Utf8(CConfigDlg::kCaption));
  auto* grid = new QGridLayout(this);
  grid->setColumnStretch(1, 1);
  program_ = AddFieldRow(grid, 0, CConfigDlg::kFields[0], this);
  QPushButton* browseProgram =
      AddPickerButton(grid, 0, CConfigDlg::kProgramBrowseId, CConfigDlg::kBrowseCaption, this);
  connect(browseProgram, &QPushButton::clicked, this, [this] {
    dialog_.OnBrowseProgram();
    ShowText(program_, dialog_.ProgramText());
  });
  encoder_ = AddFieldRow(grid, 1, CConfigDlg::kFields[1], this);
  QPushButton* browseEncoder =
      AddPickerButton(grid, 1, CConfigDlg::kEncoderBrowseId, CConfigDlg::kBrowseCaption, this);
  connect(browseEncoder, &QPushButton::clicked, this, [this] {
    dialog_.OnBrowseEncoder();
    ShowText(encoder_, dialog_.EncoderText());
  });

  grid->addWidget(new QLabel(Utf8(CConfigDlg::kVoiceLabel), this), 2, 0);
  voice_ = new QComboBox(this);
  voice_->setObjectName(QString::number(CConfigDlg::kVoiceId));
  grid->addWidget(voice_, 2, 1);
  installed_ = new QLabel(this);
  installed_->setObjectName(QString::number(CConfigDlg::kInstalledId));
  grid->addWidget(installed_, 3, 1, 1, 2);

  auto* deletes = new QGroupBox(this);
  auto* deleteGrid = new QGridLayout(deletes);
  for (size_t i = 0; i < boxes_.size(); ++i) {
    // A toggle that stays pressed while ticked.
    auto* box = new QCheckBox(Utf8(kDeleteCaption), deletes);
    box->setObjectName(QString::number(kDeleteBoxes[i].id));
    boxes_[i] = box;
    const int row = static_cast<int>(i);
    deleteGrid->addWidget(new QLabel(Utf8(kDeleteBoxes[i].row), deletes), row, 0);
    deleteGrid->addWidget(box, row, 1);
  }
  deleteGrid->setColumnStretch(2, 1);
  grid->addWidget(deletes, 4, 0, 1, 3);

  QPushButton* ok = MakeButton(CConfigDlg::kOkId, "OK", true, this);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  grid->addWidget(ok, 5, 2);
  ChainTabOrder({browseProgram, browseEncoder, voice_, boxes_[0], boxes_[1], boxes_[2], boxes_[3],
                 ok, program_, encoder_});
  ok->setFocus();
}

void ConfigDlgWidget::Load() {
  ShowText(program_, dialog_.ProgramText());
  ShowText(encoder_, dialog_.EncoderText());
  for (size_t i = 0; i < boxes_.size(); ++i) boxes_[i]->setChecked(dialog_.Ticked(i));
  voice_->clear();
  for (int v = 0; v < VoiceChoice::kVoiceCount; ++v) {
    voice_->addItem(Utf8(dialog_.VoiceLabel(static_cast<VoiceChoice::Voice>(v))));
  }
  voice_->setCurrentIndex(dialog_.Voice());
  installed_->setText(Utf8(dialog_.InstalledText()));
}

void ConfigDlgWidget::Store() {
  for (size_t i = 0; i < boxes_.size(); ++i) dialog_.SetTicked(i, boxes_[i]->isChecked());
  dialog_.SetVoice(static_cast<VoiceChoice::Voice>(voice_->currentIndex()));
}

}  // namespace crx::qt
