#pragma once

#include "lyrics/CTextEditDlg.h"
#include "qt/ModelDialog.h"

class QLineEdit;
class QPushButton;

namespace crx::qt {

// The lyric correction dialog: the text sung before, the lyric to correct,
// the particle button and "スキップ".
class TextEditDlgWidget : public ModelDialog {
  Q_OBJECT

 public:
  TextEditDlgWidget(CTextEditDlg& dialog, QWidget* parent);

  void Load() override;
  void Store() override;

 private:
  void Change();

  CTextEditDlg& dialog_;
  QLineEdit* context_ = nullptr;
  QLineEdit* target_ = nullptr;
  QPushButton* change_ = nullptr;
};

}  // namespace crx::qt
