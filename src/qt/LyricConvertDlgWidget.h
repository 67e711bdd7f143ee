#pragma once

#include "app/CLyricConvertDlg.h"
#include "qt/ModelDialog.h"

class QListWidget;

namespace crx::qt {

// The lyric review dialog: the converted lines, the sung notes, OK and the
// way back to the corrections.
class LyricConvertDlgWidget : public ModelDialog {
  Q_OBJECT

 public:
  LyricConvertDlgWidget(CLyricConvertDlg& dialog, QWidget* parent);

  void Load() override;
  void Store() override {}

 private:
  CLyricConvertDlg& dialog_;
  QListWidget* list_ = nullptr;
  QListWidget* notes_ = nullptr;
};

}  // namespace crx::qt
