#pragma once

#include <cstddef>
#include <vector>

namespace crx {

// Vibrato by a modulated fractional delay over a whole voice track. Each
// stretch asks for a depth (cents) and a rate (Hz); depth and rate glide
// between stretches and the phase runs on, so that the delay never jumps.
class CVibrato {
 public:
  CVibrato(size_t length, int sampleRate);
  void Add(size_t from, size_t to, double cents, double rate);
  void Apply(std::vector<float>& samples) const;

 private:
  int sampleRate_;
  std::vector<float> depth_;  // delay amplitude asked for, in samples
  std::vector<float> rate_;   // Hz
};

}  // namespace crx
