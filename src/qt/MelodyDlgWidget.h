#pragma once

#include "app/CMelodyDlg.h"
#include "qt/ModelDialog.h"

class QLabel;
class QLineEdit;

namespace crx::qt {

// The melody-range dialog: lowest and highest note, the two octave buttons
// and the reference range.
class MelodyDlgWidget : public ModelDialog {
  Q_OBJECT

 public:
  MelodyDlgWidget(CMelodyDlg& dialog, QWidget* parent);

  void Load() override;
  void Store() override {}  // both fields are read only

 private:
  CMelodyDlg& dialog_;
  QLineEdit* lowest_ = nullptr;
  QLineEdit* highest_ = nullptr;
  QLabel* names_ = nullptr;
  QLabel* advice_ = nullptr;
};

}  // namespace crx::qt
