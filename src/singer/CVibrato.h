#pragma once

#include <cstddef>
#include <vector>

namespace crx {

// Vibrato by a modulated fractional delay over a whole voice track. Each
// stretch asks for a depth (cents) and a rate (Hz); depth and rate glide
// between stretches and the phase runs on, so that the delay never jumps.
class CVibrato {
 public:
  // Vibrato from a note's vibrato handle: cents per step of depth, rate in
  // Hz from its steps.
  static constexpr double kCentsPerDepthStep = 0.6;
  static constexpr double kRateBase = 2.0;
  static constexpr double kRatePerStep = 0.07;
  // Notes without a vibrato handle that last longer than this get a gentle one.
  static constexpr double kDefaultFromSeconds = 0.5;
  static constexpr double kDefaultDelaySeconds = 0.25;
  static constexpr double kDefaultCents = 25;
  static constexpr double kDefaultRate = 5.5;

  CVibrato(size_t length, int sampleRate);
  void Add(size_t from, size_t to, double cents, double rate);
  void Apply(std::vector<float>& samples) const;

 private:
  int sampleRate_;
  std::vector<float> depth_;  // delay amplitude asked for, in samples
  std::vector<float> rate_;   // Hz
};

}  // namespace crx
