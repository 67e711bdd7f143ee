#pragma once

#include "app/CTextEditDlg.h"
#include "qt/ModelDialog.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace crx::qt {

// The lyric correction dialog: its place among the corrections, what to
// type, the text sung before, the proposed reading to confirm or correct,
// the particle button, "スキップ" and "すべて提案どおり".
class TextEditDlgWidget : public ModelDialog {
  Q_OBJECT

 public:
  TextEditDlgWidget(CTextEditDlg& dialog, QWidget* parent);

  void Load() override;
  void Store() override;

 private:
  void Change();

  CTextEditDlg& dialog_;
  QLabel* position_ = nullptr;
  QLineEdit* context_ = nullptr;
  QLineEdit* target_ = nullptr;
  QPushButton* change_ = nullptr;
};

}  // namespace crx::qt
