#pragma once

#include <array>

#include "app/CMixDlg.h"
#include "qt/ModelDialog.h"

class QLineEdit;

namespace crx::qt {

class SpinEdit;

// The mix dialog: three groups, each with its read-only path and two spin
// fields (volume share and reverb).
class MixDlgWidget : public ModelDialog {
  Q_OBJECT

 public:
  MixDlgWidget(CMixDlg& dialog, QWidget* parent);

  void Load() override;
  void Store() override;

 private:
  CMixDlg& dialog_;
  std::array<QLineEdit*, 3> paths_{};
  std::array<SpinEdit*, CMixDlg::kFieldCount> spins_{};
};

}  // namespace crx::qt
