#pragma once

#include <array>

#include "qt/ModelDialog.h"
#include "renderer/ConfigDlg.h"

class QCheckBox;
class QLineEdit;

namespace crx::qt {

class SpinEdit;

// The renderer's settings dialog: volume, MP3 link with its "..." button,
// the sixteen channel boxes and the lead-in.
class TunepressConfigWidget : public ModelDialog {
  Q_OBJECT

 public:
  TunepressConfigWidget(tp::CConfigDlg& dialog, QWidget* parent);

  void Load() override;
  void Store() override;

 private:
  void Browse();

  tp::CConfigDlg& dialog_;
  SpinEdit* volume_ = nullptr;
  QLineEdit* mp3Link_ = nullptr;
  std::array<QCheckBox*, tp::TunepressSettings::kChannels> channels_{};
  SpinEdit* leadIn_ = nullptr;
};

}  // namespace crx::qt
