#pragma once

#include <array>

#include "qt/ModelDialog.h"
#include "renderer/CConfigDlg.h"

class QCheckBox;
class QLineEdit;

namespace crx::qt {

class SpinEdit;

// The renderer's settings dialog: volume, MP3 link with its "..." button,
// the sixteen channel boxes and the lead-in.
class TunepressConfigWidget : public ModelDialog {
  Q_OBJECT

 public:
  TunepressConfigWidget(renderer::CConfigDlg& dialog, QWidget* parent);

  void Load() override;
  void Store() override;

 private:
  void Browse();

  renderer::CConfigDlg& dialog_;
  SpinEdit* volume_ = nullptr;
  QLineEdit* mp3Link_ = nullptr;
  std::array<QCheckBox*, renderer::TunepressSettings::kChannels> channels_{};
  SpinEdit* leadIn_ = nullptr;
};

}  // namespace crx::qt
