#pragma once

#include <array>
#include <string>
#include <string_view>

#include "foundation/FileHelpers.h"
#include "platform/DialogField.h"
#include "platform/DialogModel.h"

namespace crx {

// Step 4's dialog: the vocal MIDI, the vocal WAV to be made, the singing-
// voice program (changed in the settings by "...") and what will happen.
class CExternalDlg : public DialogModel {
 public:
  static constexpr int kResourceId = 131;
  static constexpr std::string_view kCaption = "歌声用ＷＡＶ出力";
  static constexpr int kOkId = 1;
  static constexpr int kVocalMidiId = 1006;
  static constexpr int kVocalWavId = 1007;
  static constexpr int kProgramId = 1008;
  static constexpr int kBrowseId = 1009;
  static constexpr int kExplanationId = 1010;
  static constexpr std::string_view kVocalMidiLabel = "歌声midi";
  static constexpr std::string_view kVocalWavLabel = "歌声wav";
  static constexpr std::string_view kProgramLabel = "外部プログラム";
  static constexpr std::string_view kBrowseCaption = "...";
  static constexpr std::array<DialogField, 3> kFields = {{
      {kVocalMidiId, kVocalMidiLabel, true, 0},
      {kVocalWavId, kVocalWavLabel, true, 0},
      {kProgramId, kProgramLabel, true, kPathFieldSize},
  }};
  // The converter writes the WAV itself; an editor is exported from by hand.
  static constexpr std::string_view kConverterExplanation =
      "[OK]ボタンを押すと歌声生成のための%sが%sというファイル名のＷＡＶファイルを出力します。";
  // Our own singer opens nothing: it sings the vocal MIDI into the WAV.
  static constexpr std::string_view kSingerExplanation =
      "[OK]ボタンを押すと%sが歌声用MIDIファイルを歌い、%sというファイル名のＷＡＶファイルを"
      "出力します。";
  static constexpr std::string_view kEditorExplanation =
      "[OK]ボタンを押すと歌声生成のための%sが開きます。%sというファイル名でＷＡＶファイルを出力"
      "してください。";

  CExternalDlg(std::string vocalMidiPath, std::string vocalWavPath,
               std::array<char, kPathFieldSize>& programPath);

  const char* DialogName() const override { return "CExternalDlg"; }
  bool OnInitDialog() override;

  void OnBrowse();

  const std::string& VocalMidiPath() const { return vocalMidiPath_; }
  const std::string& VocalWavPath() const { return vocalWavPath_; }
  const std::string& ProgramText() const { return programText_; }
  const std::string& Explanation() const { return explanation_; }

  // The explanation for a program (its file name decides the kind).
  static std::string ExplanationFor(std::string_view programPath, std::string_view vocalWavPath);

 private:
  void Refresh();

  std::string vocalMidiPath_;
  std::string vocalWavPath_;
  std::array<char, kPathFieldSize>& programPath_;
  std::string programText_;
  std::string explanation_;
};

}  // namespace crx
