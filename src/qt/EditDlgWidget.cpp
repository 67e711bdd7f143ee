#include "qt/EditDlgWidget.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

#include "qt/FieldRows.h"
#include "qt/TextHelpers.h"

namespace crx::qt {

EditDlgWidget::EditDlgWidget(CEditDlg& dialog, QWidget* parent)
    : ModelDialog(dialog, parent), dialog_(dialog) {
  setWindowTitle(Utf8(CEditDlg::kCaption));
  auto* grid = new QGridLayout(this);
  grid->setColumnStretch(1, 1);
  editor_ = AddFieldRow(grid, 0, CEditDlg::kFields[0], this);
  QPushButton* browse =
      AddPickerButton(grid, 0, CEditDlg::kBrowseId, CEditDlg::kBrowseCaption, this);
  connect(browse, &QPushButton::clicked, this, [this] {
    Store();
    dialog_.OnBrowse();
    ShowText(editor_, dialog_.EditorText());
  });
  wav_ = AddFieldRow(grid, 1, CEditDlg::kFields[1], this);
  QPushButton* ok = MakeButton(CEditDlg::kOkId, "OK", true, this);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  grid->addWidget(ok, 2, 2);
  ChainTabOrder({editor_, browse, ok, wav_});
  editor_->setFocus();
}

void EditDlgWidget::Load() {
  ShowText(editor_, dialog_.EditorText());
  ShowText(wav_, dialog_.WavPath());
}

void EditDlgWidget::Store() { dialog_.SetEditorText(ToUtf8(editor_->text())); }

}  // namespace crx::qt
