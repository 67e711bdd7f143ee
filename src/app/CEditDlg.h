#pragma once

#include <array>
#include <string>
#include <string_view>

#include "foundation/FileHelpers.h"
#include "platform/DialogField.h"
#include "platform/DialogModel.h"

namespace crx {

// The edit buttons' dialog: the sound editor (editable, with "...") and the
// WAV to edit.
class CEditDlg : public DialogModel {
 public:
  static constexpr int kResourceId = 135;
  static constexpr std::string_view kCaption = "サウンド編集";
  static constexpr int kOkId = 1;
  static constexpr int kEditorId = 1008;
  static constexpr int kBrowseId = 1009;
  static constexpr int kWavId = 1007;  // read only
  static constexpr std::string_view kEditorLabel = "サウンド編集プログラム";
  static constexpr std::string_view kWavLabel = "編集対象WAV";
  static constexpr std::string_view kBrowseCaption = "...";
  static constexpr std::array<DialogField, 2> kFields = {{
      {kEditorId, kEditorLabel, false, kPathFieldSize},
      {kWavId, kWavLabel, true, 0},
  }};

  CEditDlg(std::array<char, kPathFieldSize>& editorPath, std::string wavPath);

  const char* DialogName() const override { return "CEditDlg"; }
  bool OnInitDialog() override;
  // The editor text back into its field (a path too long is refused and the
  // dialog stays open).
  bool OnOK() override;

  void OnBrowse();

  const std::string& EditorText() const { return editorText_; }
  void SetEditorText(std::string text) { editorText_ = std::move(text); }
  const std::string& WavPath() const { return wavPath_; }

 private:
  std::array<char, kPathFieldSize>& editorPath_;
  std::string wavPath_;
  std::string editorText_;
};

}  // namespace crx
