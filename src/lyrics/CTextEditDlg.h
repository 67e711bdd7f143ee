#pragma once

#include <array>
#include <string>
#include <string_view>

#include "platform/DialogField.h"
#include "platform/DialogModel.h"

namespace crx {

// The lyric correction dialog: the text sung just before (read only) and the
// lyric to correct. Button 1005 turns a closing particle "は"/"へ" into the
// sound sung, "わ"/"え"; "スキップ" closes only when the lyric is plain kana.
// Lyric texts are CP932; the fields show and take UTF-8.
class CTextEditDlg : public DialogModel {
 public:
  static constexpr int kResourceId = 130;
  static constexpr std::string_view kCaption = "歌詞修正";
  static constexpr int kContextId = 1003;
  static constexpr int kTargetId = 1004;
  static constexpr int kChangeId = 1005;
  static constexpr int kSkipId = 1;  // the default button
  static constexpr std::string_view kContextLabel = "数文字前からのテキスト";
  static constexpr std::string_view kTargetLabel = "修正対象";
  static constexpr std::string_view kSkipCaption = "スキップ";
  static constexpr std::string_view kHaCaption = "「は」を「わ」に変更";
  static constexpr std::string_view kHeCaption = "「へ」を「え」に変更";
  static constexpr std::string_view kFixCaption = "修正を反映";
  static constexpr std::string_view kNotKanaMessage =
      "歌詞に漢字やアルファベット、記号が含まれています。";
  // An edited target holds at most this many CP932 bytes (a longer lyric
  // stays whole until it is edited).
  static constexpr size_t kMaxTargetBytes = 127;
  static constexpr std::array<DialogField, 2> kFields = {{
      {kContextId, kContextLabel, true, 0},
      {kTargetId, kTargetLabel, false, kMaxTargetBytes + 1},
  }};

  // Both texts CP932.
  CTextEditDlg(std::string context, std::string target);

  const char* DialogName() const override { return "CTextEditDlg"; }
  // Fills both fields and sets the caption of button 1005.
  bool OnInitDialog() override;
  // "スキップ": the target must be plain kana, else kNotKanaMessage and the
  // dialog stays open.
  bool OnOK() override;

  // Button 1005: a closing "は" becomes "わ", a closing "へ" becomes "え";
  // then the check of "スキップ". True when the dialog may close.
  bool OnChange();

  // Field 1004 was edited (UTF-8). The target follows it, cut to 127 bytes
  // on a character boundary; a text CP932 cannot hold leaves the target as
  // it was and refuses to close until the text is corrected.
  void SetTargetText(std::string utf8);

  // What the fields show (UTF-8) and the caption of button 1005.
  std::string ContextText() const;
  const std::string& TargetText() const { return targetText_; }
  std::string_view ChangeCaption() const { return changeCaption_; }

  // The lyric to apply (CP932), as last edited, however the dialog closed.
  const std::string& Target() const { return target_; }

 private:
  std::string context_;
  std::string target_;
  std::string targetText_;
  bool held_ = true;  // the field's text has a CP932 form
  std::string_view changeCaption_ = kHaCaption;
};

}  // namespace crx
