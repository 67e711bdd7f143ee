#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/DialogModel.h"
#include "renderer/TunepressSettings.h"

namespace crx::renderer {

// The renderer's settings dialog: volume, MP3 link, the sixteen channel
// boxes and the lead-in. It edits its own copies of the values and writes
// them into the main dialog's record only on OK.
class CConfigDlg : public DialogModel {
 public:
  static constexpr int kResourceId = 131;
  static constexpr const char* kCaption = "設定";
  static constexpr int kWidthDlu = 225;
  static constexpr int kHeightDlu = 107;
  // Control ids of the template.
  static constexpr int kIdVolumeEdit = 1001;
  static constexpr int kIdVolumeSpin = 1002;
  static constexpr int kIdOk = 1003;
  static constexpr int kIdMp3LinkEdit = 1004;
  static constexpr int kIdMp3LinkBrowse = 1005;
  static constexpr int kIdFirstChannelBox = 1006;  // channel 1; 1021 is channel 16
  static constexpr int kIdLeadInEdit = 1022;
  static constexpr int kIdLeadInSpin = 1023;
  // Labels.
  static constexpr const char* kVolumeLabel = "ボリューム調節";
  static constexpr const char* kMp3LinkLabel = "MP3リンク";
  static constexpr const char* kChannelsLabel = "チャネル選択";
  static constexpr const char* kLeadInLabel = "曲頭ブランク";
  static constexpr const char* kLeadInUnit = "拍";
  static constexpr const char* kBrowseCaption = "...";
  static constexpr const char* kOkCaption = "    O  K";
  static constexpr const char* kBrowseFilter = "プログラム|*|";
  static constexpr const char* kBrowseExtension = "exe";
  static constexpr int kOkDelayMs = 100;

  // A spin control with its edit field: the text shows the position, and on
  // OK the typed text gives the position, kept within the range.
  struct SpinField {
    int32_t minimum = 0;
    int32_t maximum = 100;
    int32_t position = 0;
    std::string text;

    // The low 16 bits of a stored value, as a spin control takes it.
    void SetPosition(int32_t stored);
    // The number in the text, within the range; the position shown before
    // when the text holds no number.
    int32_t Read() const;
  };

  explicit CConfigDlg(TunepressSettings& settings);

  const char* DialogName() const override { return "renderer::CConfigDlg"; }
  bool OnInitDialog() override;
  bool OnOK() override;

  // The "..." button: a chosen program goes into the MP3 link field only.
  void OnBrowseMp3Link();

  // The controls, as the window shows and edits them.
  SpinField volume{TunepressSettings::kMinVolume, TunepressSettings::kMaxVolume, 0, {}};
  std::string mp3Link;
  std::array<bool, TunepressSettings::kChannels> channelBoxes{};
  SpinField leadIn{TunepressSettings::kMinLeadIn, TunepressSettings::kMaxLeadIn, 0, {}};

 private:
  TunepressSettings& settings_;
};

}  // namespace crx::renderer
