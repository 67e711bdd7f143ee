#pragma once

#include <array>
#include <string>
#include <string_view>

#include "audio/MixSettings.h"
#include "platform/DialogModel.h"

namespace crx {

// The mix dialog: the three paths (read only) and the six values, each an
// edit field with a spin control. OK takes over the six spin positions;
// however the dialog ends, Settings() holds the values to store.
class CMixDlg : public DialogModel {
 public:
  static constexpr int kResourceId = 132;
  static constexpr std::string_view kCaption = "合成";
  static constexpr int kWidth = 446;  // dialog units
  static constexpr int kHeight = 291;
  static constexpr int kOkId = 1;
  static constexpr int kVocalPathId = 1011;
  static constexpr int kAccompanimentPathId = 1008;
  static constexpr int kMixPathId = 1009;
  static constexpr std::string_view kVocalGroup = "歌声wav";
  static constexpr std::string_view kAccompanimentGroup = "伴奏wav";
  static constexpr std::string_view kMixGroup = "合成wav";
  static constexpr std::string_view kPathLabel = "ファイル";
  static constexpr std::string_view kVolumeLabel = "ボリューム配分";
  static constexpr std::string_view kReverbLabel = "リバーブ";

  // The six spin fields in the order of MixSettings.
  enum Field {
    kVocalVolume,
    kAccompanimentVolume,
    kMixVolume,
    kVocalReverb,
    kAccompanimentReverb,
    kMixReverb,
    kFieldCount
  };
  struct SpinField {
    int editId;
    int spinId;
    int minimum;
    int maximum;
  };
  static constexpr std::array<SpinField, kFieldCount> kSpinFields = {{
      {1012, 1013, MixSettings::kMinVolume, MixSettings::kMaxVolume},
      {1014, 1015, MixSettings::kMinVolume, MixSettings::kMaxVolume},
      {1016, 1017, MixSettings::kMinVolume, MixSettings::kMaxVolume},
      {1018, 1019, MixSettings::kMinReverb, MixSettings::kMaxReverb},
      {1020, 1021, MixSettings::kMinReverb, MixSettings::kMaxReverb},
      {1022, 1023, MixSettings::kMinReverb, MixSettings::kMaxReverb},
  }};

  CMixDlg(std::string vocalWavPath, std::string accompanimentWavPath, std::string mixWavPath,
          const MixSettings& settings);

  const char* DialogName() const override { return "CMixDlg"; }
  // Fills the edit fields with the six values; the spin positions follow
  // them, kept within their ranges.
  bool OnInitDialog() override;
  // Takes over the six positions: a typed number is brought into its range,
  // a text that is no number keeps the position the field had.
  bool OnOK() override;

  const std::string& VocalWavPath() const { return vocalWavPath_; }
  const std::string& AccompanimentWavPath() const { return accompanimentWavPath_; }
  const std::string& MixWavPath() const { return mixWavPath_; }

  // The text of an edit field, as the user sees and edits it.
  const std::string& Text(Field field) const { return texts_[field]; }
  void SetText(Field field, std::string text) { texts_[field] = std::move(text); }
  // The spin position of a field.
  int Position(Field field) const { return positions_[field]; }

  // The values to store: the ones given, or the positions taken over by OK.
  const MixSettings& Settings() const { return settings_; }

 private:
  std::string vocalWavPath_;
  std::string accompanimentWavPath_;
  std::string mixWavPath_;
  MixSettings settings_;
  std::array<std::string, kFieldCount> texts_;
  std::array<int, kFieldCount> positions_{};
};

}  // namespace crx
