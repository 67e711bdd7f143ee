#pragma once

#include <array>
#include <string>
#include <string_view>

#include "app/VoiceChoice.h"
#include "foundation/AppSettings.h"
#include "platform/DialogField.h"
#include "platform/DialogModel.h"

namespace crx {

// One "削除" toggle of the settings and removal dialogs.
struct DeleteBox {
  int id;
  std::string_view row;  // the row's label
};
inline constexpr std::string_view kDeleteCaption = "削除";
// The four delete flags in the order vocal MIDI, vocal WAV, accompaniment
// WAV, mixed WAV.
inline constexpr std::array<DeleteBox, 4> kDeleteBoxes = {{
    {1020, "歌声midi"},
    {1022, "歌声wav"},
    {1021, "伴奏wav"},
    {1023, "合成wav"},
}};
using DeleteFlags = std::array<int32_t, 4>;
DeleteFlags DeleteFlagsOf(const AppSettings& settings);
void StoreDeleteFlags(AppSettings& settings, const DeleteFlags& flags);

// The main program's settings dialog: the singing-voice program and the MP3
// encoder (each with a "..." picker that writes straight into the settings),
// the voice that sings with the diphone voices installed, and the four
// delete flags; OK takes over the flags and stores the voice in its own file.
class CConfigDlg : public DialogModel {
 public:
  static constexpr int kResourceId = 136;
  static constexpr std::string_view kCaption = "設定";
  static constexpr int kOkId = 1;
  static constexpr int kProgramId = 1008;  // read only
  static constexpr int kProgramBrowseId = 1009;
  static constexpr int kEncoderId = 1010;  // read only
  static constexpr int kEncoderBrowseId = 1011;
  static constexpr std::string_view kProgramLabel = "外部プログラム";
  static constexpr std::string_view kEncoderLabel = "MP3エンコーダー";
  static constexpr std::string_view kBrowseCaption = "...";
  static constexpr int kVoiceId = 1030;
  static constexpr int kInstalledId = 1031;
  static constexpr std::string_view kVoiceLabel = "歌声";
  static constexpr std::string_view kInstalledPrefix = "インストール済みの声: ";
  static constexpr std::string_view kNoDiphoneVoices = "なし（espeak-ngの声で歌います）";
  static constexpr std::string_view kNotInstalledSuffix = "（未インストール）";
  static constexpr std::string_view kVoiceNotSavedMessage = "歌声の選択を保存できませんでした。";
  static constexpr std::array<DialogField, 2> kFields = {{
      {kProgramId, kProgramLabel, true, kPathFieldSize},
      {kEncoderId, kEncoderLabel, true, kPathFieldSize},
  }};

  CConfigDlg(const DeleteFlags& flags, std::array<char, kPathFieldSize>& programPath,
             std::array<char, kPathFieldSize>& encoderPath);

  const char* DialogName() const override { return "CConfigDlg"; }
  bool OnInitDialog() override;
  // Flags from the boxes; both texts back into their fields (a path too long
  // is refused and the dialog stays open).
  bool OnOK() override;

  void OnBrowseProgram();
  void OnBrowseEncoder();

  const std::string& ProgramText() const { return programText_; }
  const std::string& EncoderText() const { return encoderText_; }
  // The boxes in the order of kDeleteBoxes.
  bool Ticked(size_t box) const { return ticked_.at(box); }
  void SetTicked(size_t box, bool ticked) { ticked_.at(box) = ticked; }

  // The flags to store: those given, or the boxes taken over by OK.
  const DeleteFlags& Flags() const { return flags_; }

  // The file the voice is kept in (by default the one in the working folder)
  // and the folder the diphone voices are looked for in.
  void SetVoiceFile(std::string path) { voiceFile_ = std::move(path); }
  void SetVoiceFolder(std::string folder) { voiceFolder_ = std::move(folder); }
  VoiceChoice::Voice Voice() const { return voice_; }
  void SetVoice(VoiceChoice::Voice voice) { voice_ = voice; }
  // The voice as offered: its label, marked when no installed voice sings it.
  std::string VoiceLabel(VoiceChoice::Voice voice) const;
  // "インストール済みの声: jp1, jp2".
  std::string InstalledText() const;

 private:
  DeleteFlags flags_;
  std::array<char, kPathFieldSize>& programPath_;
  std::array<char, kPathFieldSize>& encoderPath_;
  std::string programText_;
  std::string encoderText_;
  std::array<bool, 4> ticked_{};
  std::string voiceFile_;
  std::string voiceFolder_{VoiceChoice::kDatabaseFolder};
  VoiceChoice::Voice voice_ = VoiceChoice::kByRange;
  std::vector<std::string> installed_;
};

}  // namespace crx
