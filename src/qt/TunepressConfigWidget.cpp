#include "qt/TunepressConfigWidget.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "qt/SpinEdit.h"
#include "qt/TextHelpers.h"

namespace crx::qt {

using renderer::CConfigDlg;

TunepressConfigWidget::TunepressConfigWidget(CConfigDlg& dialog, QWidget* parent)
    : ModelDialog(dialog, parent), dialog_(dialog) {
  setWindowTitle(Utf8(CConfigDlg::kCaption));
  auto* grid = new QGridLayout(this);

  volume_ =
      new SpinEdit(CConfigDlg::kIdVolumeEdit, dialog.volume.minimum, dialog.volume.maximum, this);
  grid->addWidget(new QLabel(Utf8(CConfigDlg::kVolumeLabel), this), 0, 0);
  grid->addWidget(volume_, 0, 1);

  mp3Link_ = new QLineEdit(this);
  mp3Link_->setObjectName(QString::number(CConfigDlg::kIdMp3LinkEdit));
  mp3Link_->setMinimumWidth(300);
  auto* browse = new QPushButton(Utf8(CConfigDlg::kBrowseCaption), this);
  browse->setObjectName(QString::number(CConfigDlg::kIdMp3LinkBrowse));
  browse->setAutoDefault(false);
  connect(browse, &QPushButton::clicked, this, &TunepressConfigWidget::Browse);
  grid->addWidget(new QLabel(Utf8(CConfigDlg::kMp3LinkLabel), this), 1, 0);
  auto* linkRow = new QHBoxLayout;
  linkRow->addWidget(mp3Link_, 1);
  linkRow->addWidget(browse);
  grid->addLayout(linkRow, 1, 1, 1, 3);

  auto* channelRow = new QHBoxLayout;
  channelRow->setSpacing(2);
  for (int i = 0; i < renderer::TunepressSettings::kChannels; ++i) {
    auto* box = new QCheckBox(this);
    box->setObjectName(QString::number(CConfigDlg::kIdFirstChannelBox + i));
    box->setToolTip(QString::number(i + 1));
    channels_[i] = box;
    channelRow->addWidget(box);
  }
  channelRow->addStretch(1);
  grid->addWidget(new QLabel(Utf8(CConfigDlg::kChannelsLabel), this), 2, 0);
  grid->addLayout(channelRow, 2, 1, 1, 3);

  leadIn_ =
      new SpinEdit(CConfigDlg::kIdLeadInEdit, dialog.leadIn.minimum, dialog.leadIn.maximum, this);
  grid->addWidget(new QLabel(Utf8(CConfigDlg::kLeadInLabel), this), 3, 0);
  auto* leadRow = new QHBoxLayout;
  leadRow->addWidget(leadIn_);
  leadRow->addWidget(new QLabel(Utf8(CConfigDlg::kLeadInUnit), this));
  leadRow->addStretch(1);
  grid->addLayout(leadRow, 3, 1);

  auto* ok = new QPushButton(Utf8(CConfigDlg::kOkCaption), this);
  ok->setObjectName(QString::number(CConfigDlg::kIdOk));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  grid->addWidget(ok, 3, 3, Qt::AlignRight);

  QWidget* previous = volume_;
  for (QWidget* w : std::initializer_list<QWidget*>{mp3Link_, browse}) {
    setTabOrder(previous, w);
    previous = w;
  }
  for (QCheckBox* box : channels_) {
    setTabOrder(previous, box);
    previous = box;
  }
  setTabOrder(previous, leadIn_);
  setTabOrder(leadIn_, ok);
}

void TunepressConfigWidget::Load() {
  volume_->setValue(dialog_.volume.position);
  mp3Link_->setText(Utf8(dialog_.mp3Link));
  mp3Link_->setCursorPosition(0);
  for (size_t i = 0; i < channels_.size(); ++i) channels_[i]->setChecked(dialog_.channelBoxes[i]);
  leadIn_->setValue(dialog_.leadIn.position);
}

void TunepressConfigWidget::Store() {
  dialog_.volume.text = volume_->cleanText().toStdString();
  dialog_.mp3Link = ToUtf8(mp3Link_->text());
  for (size_t i = 0; i < channels_.size(); ++i) dialog_.channelBoxes[i] = channels_[i]->isChecked();
  dialog_.leadIn.text = leadIn_->cleanText().toStdString();
}

void TunepressConfigWidget::Browse() {
  // The dialog class picks the program; only the link field follows it.
  Store();
  dialog_.OnBrowseMp3Link();
  mp3Link_->setText(Utf8(dialog_.mp3Link));
}

}  // namespace crx::qt
