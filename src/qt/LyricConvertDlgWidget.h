#pragma once

#include "lyrics/CLyricConvertDlg.h"
#include "qt/ModelDialog.h"

class QListWidget;

namespace crx::qt {

// The lyric review dialog: the converted lines in a list and OK.
class LyricConvertDlgWidget : public ModelDialog {
  Q_OBJECT

 public:
  LyricConvertDlgWidget(CLyricConvertDlg& dialog, QWidget* parent);

  void Load() override;
  void Store() override {}

 private:
  CLyricConvertDlg& dialog_;
  QListWidget* list_ = nullptr;
};

}  // namespace crx::qt
