#include "qt/LyricConvertDlgWidget.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "qt/FieldRows.h"
#include "qt/TextHelpers.h"

namespace crx::qt {

namespace {
constexpr int kListWidth = 480;
constexpr int kListHeight = 360;
}  // namespace

LyricConvertDlgWidget::LyricConvertDlgWidget(CLyricConvertDlg& dialog, QWidget* parent)
    : ModelDialog(dialog, parent), dialog_(dialog) {
  setWindowTitle(Utf8(CLyricConvertDlg::kCaption));
  auto* layout = new QVBoxLayout(this);
  if (!dialog.Note().empty()) layout->addWidget(new QLabel(Utf8(dialog.Note()), this));
  list_ = new QListWidget(this);
  list_->setObjectName(QString::number(CLyricConvertDlg::kListId));
  list_->setMinimumSize(kListWidth, kListHeight);
  layout->addWidget(list_, 1);
  QPushButton* ok = MakeButton(CLyricConvertDlg::kOkId, "OK", true, this);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  layout->addWidget(ok, 0, Qt::AlignRight);
  ChainTabOrder({list_, ok});
  ok->setFocus();
}

void LyricConvertDlgWidget::Load() {
  list_->clear();
  for (const std::string& line : dialog_.Lines()) list_->addItem(Utf8(line));
  if (dialog_.MelodyChoices().empty()) return;
  // Where the tool chose a reading by the notes, the user sees it.
  list_->addItem(QString());
  list_->addItem(Utf8(CLyricConvertDlg::kMelodyChoicesCaption));
  for (const std::string& choice : dialog_.MelodyChoices()) list_->addItem(Utf8("  " + choice));
}

}  // namespace crx::qt
