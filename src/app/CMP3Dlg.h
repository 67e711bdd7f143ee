#pragma once

#include <array>
#include <string>
#include <string_view>

#include "foundation/FileHelpers.h"
#include "platform/DialogField.h"
#include "platform/DialogModel.h"

namespace crx {

// Step 7's dialog: the MP3 encoder (changed by "...") with "実行" and
// "スキップ". Anything but "実行" skips the encoding.
class CMP3Dlg : public DialogModel {
 public:
  static constexpr int kResourceId = 134;
  static constexpr std::string_view kCaption = "MP3変換";
  static constexpr int kRunId = 1;
  static constexpr int kSkipId = 2;
  static constexpr int kEncoderId = 1021;  // read only
  static constexpr int kBrowseId = 1022;
  static constexpr std::string_view kEncoderLabel = "MP3エンコーダー";
  static constexpr std::string_view kRunCaption = "実行";
  static constexpr std::string_view kSkipCaption = "スキップ";
  static constexpr std::string_view kBrowseCaption = "...";
  static constexpr std::array<DialogField, 1> kFields = {{
      {kEncoderId, kEncoderLabel, true, kPathFieldSize},
  }};

  explicit CMP3Dlg(std::array<char, kPathFieldSize>& encoderPath);

  const char* DialogName() const override { return "CMP3Dlg"; }
  bool OnInitDialog() override;
  // "実行": the text back into the encoder field, no skip.
  bool OnOK() override;

  void OnBrowse();

  const std::string& EncoderText() const { return encoderText_; }
  // 1 = skip (set as the dialog opens; "実行" clears it).
  int Skip() const { return skip_; }

 private:
  std::array<char, kPathFieldSize>& encoderPath_;
  std::string encoderText_;
  int skip_ = 1;
};

}  // namespace crx
