#pragma once

#include <array>
#include <string>
#include <string_view>

#include "platform/DialogField.h"
#include "platform/DialogModel.h"

namespace crx {

// The lyric correction dialog: the text sung just before (read only) and the
// lyric to correct, which opens with the reading proposed for it. Enter (the
// default button) confirms the field; "スキップ" keeps the lyric as written;
// "すべて提案どおり" takes the proposal for this lyric and every one after
// it. Button 1005 turns a closing particle "は"/"へ" into the sound sung,
// "わ"/"え", and confirms. Lyric texts are CP932; the fields show and take
// UTF-8.
class CTextEditDlg : public DialogModel {
 public:
  static constexpr int kResourceId = 130;
  static constexpr std::string_view kCaption = "歌詞修正";
  static constexpr int kContextId = 1003;
  static constexpr int kTargetId = 1004;
  static constexpr int kChangeId = 1005;
  static constexpr int kConfirmId = 1;  // the default button
  static constexpr int kSkipId = 1006;
  static constexpr int kAcceptAllId = 1007;
  static constexpr int kPositionId = 1008;
  static constexpr int kHintId = 1009;
  static constexpr std::string_view kContextLabel = "数文字前からのテキスト";
  static constexpr std::string_view kTargetLabel = "修正対象";
  static constexpr std::string_view kConfirmCaption = "確定";
  static constexpr std::string_view kSkipCaption = "スキップ";
  static constexpr std::string_view kAcceptAllCaption = "すべて提案どおり";
  static constexpr std::string_view kHaCaption = "「は」を「わ」に変更";
  static constexpr std::string_view kHeCaption = "「へ」を「え」に変更";
  static constexpr std::string_view kFixCaption = "修正を反映";
  static constexpr std::string_view kHint =
      "「修正対象」は歌う読みの提案です。よければEnter、違うときはひらがなで直してEnter、"
      "書かれたままにするなら「スキップ」を押してください。";
  static constexpr std::string_view kNotKanaMessage =
      "歌詞に漢字やアルファベット、記号が含まれています。";
  static constexpr std::string_view kEmptyMessage =
      "修正対象が空です。歌う読みを入力するか、「スキップ」で書かれたままにしてください。";
  // An edited target holds at most this many CP932 bytes (a longer lyric
  // stays whole until it is edited).
  static constexpr size_t kMaxTargetBytes = 127;
  static constexpr std::array<DialogField, 2> kFields = {{
      {kContextId, kContextLabel, true, 0},
      {kTargetId, kTargetLabel, false, kMaxTargetBytes + 1},
  }};

  // How the dialog was left.
  enum class Choice { Confirmed, Skipped, AcceptAll, Closed };

  // Both texts CP932: the target is what field 1004 opens with.
  CTextEditDlg(std::string context, std::string target);

  // The lyric's place among those asked about: "3 / 16" (none when count is 0).
  void SetPosition(int number, int count);
  std::string PositionText() const;

  const char* DialogName() const override { return "CTextEditDlg"; }
  // Fills both fields and sets the caption of button 1005.
  bool OnInitDialog() override;
  // Enter: the target must be plain kana and not empty, else a message and
  // the dialog stays open.
  bool OnOK() override;

  // Button 1005: a closing "は" becomes "わ", a closing "へ" becomes "え";
  // then the check of Enter. True when the dialog may close.
  bool OnChange();
  // "スキップ" and "すべて提案どおり": always close.
  bool OnSkip();
  bool OnAcceptAll();

  // Field 1004 was edited (UTF-8). The target follows it, cut to 127 bytes
  // on a character boundary; a text CP932 cannot hold leaves the target as
  // it was and refuses to close until the text is corrected.
  void SetTargetText(std::string utf8);

  // What the fields show (UTF-8) and the caption of button 1005.
  std::string ContextText() const;
  const std::string& TargetText() const { return targetText_; }
  std::string_view ChangeCaption() const { return changeCaption_; }

  // The lyric as last edited (CP932), however the dialog closed.
  const std::string& Target() const { return target_; }
  // The target differs from what the field opened with.
  bool Edited() const { return target_ != opened_; }
  // Closed: the system's cancel key or the close box (the target as last
  // edited).
  Choice Chosen() const { return choice_; }

 private:
  std::string context_;
  std::string target_;
  std::string opened_;
  std::string targetText_;
  bool held_ = true;  // the field's text has a CP932 form
  std::string_view changeCaption_ = kHaCaption;
  Choice choice_ = Choice::Closed;
  int number_ = 0;
  int count_ = 0;
};

}  // namespace crx
