#pragma once

#include <array>

#include "app/CRemoveDlg.h"
#include "qt/ModelDialog.h"

class QCheckBox;
class QLineEdit;

namespace crx::qt {

// Step 9's dialog: a delete box and the read-only path of each of the four
// intermediate files.
class RemoveDlgWidget : public ModelDialog {
  Q_OBJECT

 public:
  RemoveDlgWidget(CRemoveDlg& dialog, QWidget* parent);

  void Load() override;
  void Store() override;

 private:
  CRemoveDlg& dialog_;
  std::array<QCheckBox*, 4> boxes_{};
  std::array<QLineEdit*, 4> paths_{};
};

}  // namespace crx::qt
