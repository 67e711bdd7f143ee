#pragma once

#include "app/CEditDlg.h"
#include "qt/ModelDialog.h"

class QLineEdit;

namespace crx::qt {

// The edit buttons' dialog: the sound editor with "..." and the WAV to edit.
class EditDlgWidget : public ModelDialog {
  Q_OBJECT

 public:
  EditDlgWidget(CEditDlg& dialog, QWidget* parent);

  void Load() override;
  void Store() override;

 private:
  CEditDlg& dialog_;
  QLineEdit* editor_ = nullptr;
  QLineEdit* wav_ = nullptr;
};

}  // namespace crx::qt
