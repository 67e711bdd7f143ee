#pragma once

#include <array>
#include <string>
#include <string_view>

#include "platform/DialogField.h"
#include "platform/DialogModel.h"
#include "workflow/VocalPipeline.h"

namespace crx {

// The melody-range dialog: the lowest and highest note of the melody, two
// buttons that move both by an octave, and an OK that refuses a range no
// voice can sing. The headless octave choice runs the same buttons and check.
class CMelodyDlg : public DialogModel {
 public:
  static constexpr int kResourceId = 137;
  static constexpr std::string_view kCaption = "歌の音域";
  static constexpr int kOkId = 1;
  static constexpr int kLowestId = 1030;
  static constexpr int kHighestId = 1029;
  static constexpr int kUpId = 1031;
  static constexpr int kDownId = 1032;
  static constexpr std::string_view kLowestLabel = "最低音";
  static constexpr std::string_view kHighestLabel = "最高音";
  static constexpr std::string_view kUpCaption = "オクターブ上げる";
  static constexpr std::string_view kDownCaption = "オクターブ下げる";
  static constexpr std::string_view kReferenceLabel = "参考音域　60 - 72";
  static constexpr std::string_view kRangeMessage = VocalPipeline::kRangeMessage;
  static constexpr int kOctave = 12;
  // The range OK accepts.
  static constexpr int kLowestSingableNote = VocalPipeline::kLowestSingableNote;
  static constexpr int kHighestSingableNote = VocalPipeline::kHighestSingableNote;
  static constexpr std::array<DialogField, 2> kFields = {{
      {kLowestId, kLowestLabel, true, 0},
      {kHighestId, kHighestLabel, true, 0},
  }};

  CMelodyDlg(int lowest, int highest);

  const char* DialogName() const override { return "CMelodyDlg"; }
  bool OnInitDialog() override;
  // Reads both fields; outside 12 to 115 shows kRangeMessage and keeps the
  // dialog open.
  bool OnOK() override;

  void OnOctaveUp();
  void OnOctaveDown();

  // The two read-only fields as shown ("%d").
  std::string LowestText() const { return std::to_string(lowest_); }
  std::string HighestText() const { return std::to_string(highest_); }

  // The numbers as the user left them, however the dialog was closed.
  int Lowest() const { return lowest_; }
  int Highest() const { return highest_; }

  static bool IsSingable(int lowest, int highest);

  // The reference range the label names, and where its middle lies.
  static constexpr int kReferenceLowest = 60;
  static constexpr int kReferenceHighest = 72;
  // The note's name with its octave, middle C being C4 ("F4", "C#5").
  static std::string NoteName(int note);
  // "F4 - F5": the range in note names, shown beside the numbers.
  std::string RangeNames() const;
  // The octaves that bring the middle of the melody nearest to the middle
  // of the reference range (0: it is there already).
  int SuggestedShift() const;
  // What to press for it, in a sentence.
  std::string Advice() const;

 private:
  int lowest_;
  int highest_;
};

}  // namespace crx
