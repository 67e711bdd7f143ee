#pragma once

#include <array>
#include <string>
#include <string_view>

#include "app/CConfigDlg.h"
#include "platform/DialogField.h"
#include "platform/DialogModel.h"

namespace crx {

// Step 9's dialog: the four intermediate files with their "削除" toggles.
class CRemoveDlg : public DialogModel {
 public:
  static constexpr int kResourceId = 133;
  static constexpr std::string_view kCaption = "不要ファイル削除";
  static constexpr int kOkId = 1;
  // The read-only path fields in the order of kDeleteBoxes.
  static constexpr std::array<DialogField, 4> kFields = {{
      {1019, kDeleteBoxes[0].row, true, 0},
      {1011, kDeleteBoxes[1].row, true, 0},
      {1008, kDeleteBoxes[2].row, true, 0},
      {1009, kDeleteBoxes[3].row, true, 0},
  }};

  // The paths in the order vocal MIDI, vocal WAV, accompaniment WAV, mixed WAV.
  CRemoveDlg(std::array<std::string, 4> paths, const DeleteFlags& flags);

  const char* DialogName() const override { return "CRemoveDlg"; }
  bool OnInitDialog() override;
  bool OnOK() override;

  const std::string& Path(size_t index) const { return paths_.at(index); }
  bool Ticked(size_t box) const { return ticked_.at(box); }
  void SetTicked(size_t box, bool ticked) { ticked_.at(box) = ticked; }

  // The flags to store: those given, or the boxes taken over by OK.
  const DeleteFlags& Flags() const { return flags_; }

 private:
  std::array<std::string, 4> paths_;
  DeleteFlags flags_;
  std::array<bool, 4> ticked_{};
};

}  // namespace crx
