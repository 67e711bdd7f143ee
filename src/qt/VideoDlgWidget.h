#pragma once

#include <array>

#include "app/CVideoDlg.h"
#include "qt/ModelDialog.h"

class QLineEdit;
class QPlainTextEdit;

namespace crx::qt {

// Step 8's dialog: the video's files, its background image with "..." and
// the song information.
class VideoDlgWidget : public ModelDialog {
  Q_OBJECT

 public:
  VideoDlgWidget(CVideoDlg& dialog, QWidget* parent);

  void Load() override;
  void Store() override;

 private:
  void Browse();

  CVideoDlg& dialog_;
  std::array<QLineEdit*, 3> files_{};  // mixed WAV, karaoke MIDI, video
  QLineEdit* background_ = nullptr;
  std::array<QLineEdit*, CVideoDlg::kLyrics> shortTexts_{};  // title, composer, lyricist
  QPlainTextEdit* lyrics_ = nullptr;
};

}  // namespace crx::qt
