#pragma once

#include "app/CResultDlg.h"
#include "qt/ModelDialog.h"

class QListWidget;

namespace crx::qt {

// The end of a run: the heading, the list of files made, 再生, フォルダを開く
// and OK.
class ResultDlgWidget : public ModelDialog {
  Q_OBJECT

 public:
  ResultDlgWidget(CResultDlg& dialog, QWidget* parent);

  void Load() override;
  void Store() override {}

 private:
  CResultDlg& dialog_;
  QListWidget* files_ = nullptr;
};

}  // namespace crx::qt
