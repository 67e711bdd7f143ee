#include "qt/MP3DlgWidget.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

#include "qt/FieldRows.h"
#include "qt/TextHelpers.h"

namespace crx::qt {

MP3DlgWidget::MP3DlgWidget(CMP3Dlg& dialog, QWidget* parent)
    : ModelDialog(dialog, parent), dialog_(dialog) {
  setWindowTitle(Utf8(CMP3Dlg::kCaption));
  auto* grid = new QGridLayout(this);
  grid->setColumnStretch(1, 1);
  encoder_ = AddFieldRow(grid, 0, CMP3Dlg::kFields[0], this);
  QPushButton* browse = AddPickerButton(grid, 0, CMP3Dlg::kBrowseId, CMP3Dlg::kBrowseCaption, this);
  connect(browse, &QPushButton::clicked, this, [this] {
    dialog_.OnBrowse();
    Load();
  });
  QPushButton* run = MakeButton(CMP3Dlg::kRunId, CMP3Dlg::kRunCaption, true, this);
  connect(run, &QPushButton::clicked, this, &QDialog::accept);
  // "スキップ" is the dialog's cancel, as are Escape and the close box.
  QPushButton* skip = MakeButton(CMP3Dlg::kSkipId, CMP3Dlg::kSkipCaption, false, this);
  connect(skip, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(run);
  buttons->addWidget(skip);
  grid->addLayout(buttons, 1, 0, 1, 3);
  ChainTabOrder({browse, run, skip, encoder_});
  run->setFocus();
}

void MP3DlgWidget::Load() { ShowText(encoder_, dialog_.EncoderText()); }

}  // namespace crx::qt
