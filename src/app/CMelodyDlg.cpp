#include "app/CMelodyDlg.h"

#include <array>
#include <cmath>

#include "platform/UiServices.h"

namespace crx {

CMelodyDlg::CMelodyDlg(int lowest, int highest) : lowest_(lowest), highest_(highest) {}

bool CMelodyDlg::IsSingable(int lowest, int highest) {
  return VocalPipeline::IsSingable(MelodyRange{lowest, highest});
}

bool CMelodyDlg::OnInitDialog() { return true; }

void CMelodyDlg::OnOctaveUp() {
  lowest_ += kOctave;
  highest_ += kOctave;
}

void CMelodyDlg::OnOctaveDown() {
  lowest_ -= kOctave;
  highest_ -= kOctave;
}

bool CMelodyDlg::OnOK() {
  if (IsSingable(lowest_, highest_)) return true;
  Ui().ShowMessage(kRangeMessage, MessageKind::Plain);
  return false;
}

std::string CMelodyDlg::NoteName(int note) {
  static constexpr std::array<const char*, kOctave> kNames = {"C",  "C#", "D",  "D#", "E",  "F",
                                                              "F#", "G",  "G#", "A",  "A#", "B"};
  // Octave -1 starts at note 0.
  const int octave = (note >= 0 ? note / kOctave : (note - kOctave + 1) / kOctave) - 1;
  const int step = ((note % kOctave) + kOctave) % kOctave;
  return std::string(kNames[static_cast<size_t>(step)]) + std::to_string(octave);
}

std::string CMelodyDlg::RangeNames() const {
  return NoteName(lowest_) + " - " + NoteName(highest_);
}

int CMelodyDlg::SuggestedShift() const {
  const double middle = (lowest_ + highest_) / 2.0;
  const double reference = (kReferenceLowest + kReferenceHighest) / 2.0;
  return static_cast<int>(std::lround((reference - middle) / kOctave));
}

std::string CMelodyDlg::Advice() const {
  const int shift = SuggestedShift();
  if (shift == 0) return "メロディは参考音域のあたりにあります。";
  const std::string_view button = shift > 0 ? kUpCaption : kDownCaption;
  return "「" + std::string(button) + "」を" + std::to_string(std::abs(shift)) +
         "回押すと参考音域に近づきます。";
}

}  // namespace crx
