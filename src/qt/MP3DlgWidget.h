#pragma once

#include "app/CMP3Dlg.h"
#include "qt/ModelDialog.h"

class QLineEdit;

namespace crx::qt {

// Step 7's dialog: the MP3 encoder with "...", "実行" and "スキップ".
class MP3DlgWidget : public ModelDialog {
  Q_OBJECT

 public:
  MP3DlgWidget(CMP3Dlg& dialog, QWidget* parent);

  void Load() override;
  void Store() override {}  // the field is read only

 private:
  CMP3Dlg& dialog_;
  QLineEdit* encoder_ = nullptr;
};

}  // namespace crx::qt
