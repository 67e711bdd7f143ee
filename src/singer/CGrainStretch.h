#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace crx {

// Pitch-synchronous overlap-add over one sung vowel: finds the vowel's period
// near the expected one, cuts it into two-period grains at evenly spaced
// pitch marks, evens out the vowel's decay, and lays the grains out again at
// any period and for any length: first along the vowel as it was said, then
// back and forth over its steady part.
class CGrainStretch {
 public:
  // vowel: the samples from the vowel's start to its fade; expectedPeriod in
  // samples.
  CGrainStretch(std::span<const float> vowel, double expectedPeriod);

  // False when the vowel is too short to hold two periods.
  bool Usable() const { return usable_; }
  // The period found, in samples.
  double Period() const { return period_; }

  // length samples of the vowel at the target period (samples).
  std::vector<float> Render(size_t length, double targetPeriod) const;

 private:
  double FindPeriod(double expected) const;
  float Sample(double position) const;

  std::vector<float> source_;
  double period_ = 0;
  double firstMark_ = 0;
  size_t markCount_ = 0;
  std::vector<float> gains_;
  size_t loopStart_ = 0;  // first mark of the steady part
  size_t loopEnd_ = 0;    // last mark of the steady part
  bool usable_ = false;
};

}  // namespace crx
