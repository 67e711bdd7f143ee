#pragma once

#include <array>

#include "app/CConfigDlg.h"
#include "qt/ModelDialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace crx::qt {

// The main program's settings: the singing-voice program and the MP3
// encoder, each with "...", the voice, and the four delete flags.
class ConfigDlgWidget : public ModelDialog {
  Q_OBJECT

 public:
  ConfigDlgWidget(CConfigDlg& dialog, QWidget* parent);

  void Load() override;
  void Store() override;

 private:
  CConfigDlg& dialog_;
  QLineEdit* program_ = nullptr;
  QLineEdit* encoder_ = nullptr;
  QComboBox* voice_ = nullptr;
  QLabel* installed_ = nullptr;
  std::array<QCheckBox*, 4> boxes_{};
};

}  // namespace crx::qt
