#include "qt/VideoDlgWidget.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "qt/FieldRows.h"
#include "qt/TextHelpers.h"

namespace crx::qt {

namespace {
constexpr int kLyricsHeight = 160;
// The rows of kFields in the order they are shown.
constexpr size_t kBackgroundRow = 3;
constexpr size_t kFirstTextRow = 4;
}  // namespace

VideoDlgWidget::VideoDlgWidget(CVideoDlg& dialog, QWidget* parent)
    : ModelDialog(dialog, parent), dialog_(dialog) {
  setWindowTitle(Utf8(CVideoDlg::kCaption));
  auto* grid = new QGridLayout(this);
  grid->setColumnStretch(1, 1);
  int row = 0;
  for (QLineEdit*& file : files_) {
    file = AddFieldRow(grid, row, CVideoDlg::kFields[static_cast<size_t>(row)], this);
    ++row;
  }
  background_ = AddFieldRow(grid, row, CVideoDlg::kFields[kBackgroundRow], this);
  QPushButton* browse =
      AddPickerButton(grid, row, CVideoDlg::kBackgroundBrowseId, CVideoDlg::kBrowseCaption, this);
  connect(browse, &QPushButton::clicked, this, &VideoDlgWidget::Browse);
  ++row;
  for (size_t i = 0; i < shortTexts_.size(); ++i) {
    shortTexts_[i] = AddFieldRow(grid, row++, CVideoDlg::kFields[kFirstTextRow + i], this);
  }
  const DialogField& lyricsField = CVideoDlg::kFields[kFirstTextRow + CVideoDlg::kLyrics];
  lyrics_ = new QPlainTextEdit(this);
  lyrics_->setObjectName(QString::number(lyricsField.id));
  lyrics_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  lyrics_->setMinimumHeight(kLyricsHeight);
  lyrics_->setTabChangesFocus(true);
  grid->addWidget(new QLabel(Utf8(lyricsField.label), this), row, 0, Qt::AlignTop);
  grid->addWidget(lyrics_, row, 1, 1, 2);
  ++row;
  QPushButton* ok = MakeButton(CVideoDlg::kOkId, "OK", true, this);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  grid->addWidget(ok, row, 2);
  ChainTabOrder({background_, browse, shortTexts_[0], shortTexts_[1], shortTexts_[2], lyrics_, ok,
                 files_[0], files_[1], files_[2]});
  background_->setFocus();
}

void VideoDlgWidget::Load() {
  ShowText(files_[0], dialog_.MixWavPath());
  ShowText(files_[1], dialog_.KaraokeMidiPath());
  ShowText(files_[2], dialog_.VideoPath());
  ShowText(background_, dialog_.BackgroundText());
  for (size_t i = 0; i < shortTexts_.size(); ++i) {
    shortTexts_[i]->setText(Utf8(dialog_.TextOf(static_cast<CVideoDlg::Text>(i))));
  }
  lyrics_->setPlainText(Utf8(dialog_.TextOf(CVideoDlg::kLyrics)));
}

void VideoDlgWidget::Store() {
  dialog_.SetBackgroundText(ToUtf8(background_->text()));
  for (size_t i = 0; i < shortTexts_.size(); ++i) {
    dialog_.SetText(static_cast<CVideoDlg::Text>(i), ToUtf8(shortTexts_[i]->text()));
  }
  dialog_.SetText(CVideoDlg::kLyrics, ToUtf8(lyrics_->toPlainText()));
}

void VideoDlgWidget::Browse() {
  // The chosen image goes straight into the settings; the field follows it.
  dialog_.SetBackgroundText(ToUtf8(background_->text()));
  dialog_.OnBrowseBackground();
  ShowText(background_, dialog_.BackgroundText());
}

}  // namespace crx::qt
