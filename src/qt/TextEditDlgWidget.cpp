#include "qt/TextEditDlgWidget.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

#include "qt/FieldRows.h"
#include "qt/TextHelpers.h"

namespace crx::qt {

TextEditDlgWidget::TextEditDlgWidget(CTextEditDlg& dialog, QWidget* parent)
    : ModelDialog(dialog, parent), dialog_(dialog) {
  setWindowTitle(Utf8(CTextEditDlg::kCaption));
  auto* grid = new QGridLayout(this);
  grid->setColumnStretch(1, 1);
  context_ = AddFieldRow(grid, 0, CTextEditDlg::kFields[0], this);
  target_ = AddFieldRow(grid, 1, CTextEditDlg::kFields[1], this);
  // Every edit goes to the dialog class at once.
  connect(target_, &QLineEdit::textEdited, this,
          [this](const QString& text) { dialog_.SetTargetText(ToUtf8(text)); });

  change_ = MakeButton(CTextEditDlg::kChangeId, CTextEditDlg::kHaCaption, false, this);
  connect(change_, &QPushButton::clicked, this, &TextEditDlgWidget::Change);
  QPushButton* skip = MakeButton(CTextEditDlg::kSkipId, CTextEditDlg::kSkipCaption, true, this);
  connect(skip, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(change_);
  buttons->addWidget(skip);
  grid->addLayout(buttons, 2, 0, 1, 2);
  ChainTabOrder({target_, change_, skip, context_});
  target_->setFocus();
}

void TextEditDlgWidget::Load() {
  ShowText(context_, dialog_.ContextText());
  // The lyric is the one the user corrects; its end is what matters.
  target_->setText(Utf8(dialog_.TargetText()));
  change_->setText(Utf8(dialog_.ChangeCaption()));
}

void TextEditDlgWidget::Store() {
  // The field follows the dialog class edit by edit; an unedited field must
  // not replace the lyric with its shown form.
  if (ToUtf8(target_->text()) != dialog_.TargetText())
    dialog_.SetTargetText(ToUtf8(target_->text()));
}

void TextEditDlgWidget::Change() {
  Store();
  const bool close = dialog_.OnChange();
  target_->setText(Utf8(dialog_.TargetText()));
  // OnChange ran the checks of "スキップ" already.
  if (close) QDialog::accept();
}

}  // namespace crx::qt
