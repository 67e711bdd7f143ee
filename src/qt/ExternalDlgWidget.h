#pragma once

#include "app/CExternalDlg.h"
#include "qt/ModelDialog.h"

class QLabel;
class QLineEdit;

namespace crx::qt {

// Step 4's dialog: the vocal MIDI and WAV, the singing-voice program with
// "..." and what OK will do.
class ExternalDlgWidget : public ModelDialog {
  Q_OBJECT

 public:
  ExternalDlgWidget(CExternalDlg& dialog, QWidget* parent);

  void Load() override;
  void Store() override {}  // OK reads nothing back

 private:
  CExternalDlg& dialog_;
  QLineEdit* vocalMidi_ = nullptr;
  QLineEdit* vocalWav_ = nullptr;
  QLineEdit* program_ = nullptr;
  QLabel* explanation_ = nullptr;
};

}  // namespace crx::qt
