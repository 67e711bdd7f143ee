#include "qt/LyricConvertDlgWidget.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "qt/FieldRows.h"
#include "qt/TextHelpers.h"

namespace crx::qt {

namespace {
constexpr int kListWidth = 480;
constexpr int kListHeight = 240;
constexpr int kNotesHeight = 160;
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
  layout->addWidget(new QLabel(Utf8(CLyricConvertDlg::kNotesCaption), this));
  notes_ = new QListWidget(this);
  notes_->setObjectName(QString::number(CLyricConvertDlg::kNotesId));
  notes_->setMinimumSize(kListWidth, kNotesHeight);
  layout->addWidget(notes_, 1);
  QPushButton* back =
      MakeButton(CLyricConvertDlg::kBackId, CLyricConvertDlg::kBackCaption, false, this);
  connect(back, &QPushButton::clicked, this, [this] {
    if (dialog_.OnBack()) QDialog::accept();
  });
  QPushButton* ok = MakeButton(CLyricConvertDlg::kOkId, "OK", true, this);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(back);
  buttons->addStretch(1);
  buttons->addWidget(ok);
  layout->addLayout(buttons);
  ChainTabOrder({list_, notes_, ok, back});
  ok->setFocus();
}

void LyricConvertDlgWidget::Load() {
  notes_->clear();
  for (const std::string& row : dialog_.NoteRows()) notes_->addItem(Utf8(row));
  list_->clear();
  for (const std::string& line : dialog_.Lines()) list_->addItem(Utf8(line));
  if (dialog_.MelodyChoices().empty()) return;
  // Where the tool chose a reading by the notes, the user sees it.
  list_->addItem(QString());
  list_->addItem(Utf8(CLyricConvertDlg::kMelodyChoicesCaption));
  for (const std::string& choice : dialog_.MelodyChoices()) list_->addItem(Utf8("  " + choice));
}

}  // namespace crx::qt
