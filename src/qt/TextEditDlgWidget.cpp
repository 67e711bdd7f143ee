#include "qt/TextEditDlgWidget.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
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
  position_ = new QLabel(this);
  position_->setObjectName(QString::number(CTextEditDlg::kPositionId));
  grid->addWidget(position_, 0, 0, 1, 2, Qt::AlignRight);
  auto* hint = new QLabel(Utf8(CTextEditDlg::kHint), this);
  hint->setObjectName(QString::number(CTextEditDlg::kHintId));
  hint->setWordWrap(true);
  grid->addWidget(hint, 1, 0, 1, 2);
  context_ = AddFieldRow(grid, 2, CTextEditDlg::kFields[0], this);
  target_ = AddFieldRow(grid, 3, CTextEditDlg::kFields[1], this);
  // Every edit goes to the dialog class at once.
  connect(target_, &QLineEdit::textEdited, this,
          [this](const QString& text) { dialog_.SetTargetText(ToUtf8(text)); });

  change_ = MakeButton(CTextEditDlg::kChangeId, CTextEditDlg::kHaCaption, false, this);
  connect(change_, &QPushButton::clicked, this, &TextEditDlgWidget::Change);
  QPushButton* all =
      MakeButton(CTextEditDlg::kAcceptAllId, CTextEditDlg::kAcceptAllCaption, false, this);
  connect(all, &QPushButton::clicked, this, [this] {
    if (dialog_.OnAcceptAll()) QDialog::accept();
  });
  QPushButton* skip = MakeButton(CTextEditDlg::kSkipId, CTextEditDlg::kSkipCaption, false, this);
  connect(skip, &QPushButton::clicked, this, [this] {
    if (dialog_.OnSkip()) QDialog::accept();
  });
  QPushButton* confirm =
      MakeButton(CTextEditDlg::kConfirmId, CTextEditDlg::kConfirmCaption, true, this);
  connect(confirm, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(all);
  buttons->addStretch(1);
  buttons->addWidget(change_);
  buttons->addWidget(skip);
  buttons->addWidget(confirm);
  grid->addLayout(buttons, 4, 0, 1, 2);
  ChainTabOrder({target_, confirm, skip, change_, all, context_});
  target_->setFocus();
}

void TextEditDlgWidget::Load() {
  position_->setText(Utf8(dialog_.PositionText()));
  ShowText(context_, dialog_.ContextText());
  // The proposal, selected: typing replaces it, Enter confirms it.
  target_->setText(Utf8(dialog_.TargetText()));
  target_->selectAll();
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
  // OnChange ran the checks of Enter already.
  if (close) QDialog::accept();
}

}  // namespace crx::qt
