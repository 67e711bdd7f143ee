#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace crx {

// The echo reverb of a stream of 16-bit stereo frames, fed block by block.
// Tap k (1 to taps) adds the input, times 0.6 x 0.8^(k-1) truncated toward
// zero, k x D(k) frames later, where D(1) = 40 x taps and D(k+1) = truncated
// 0.8 x D(k); each sum is saturated at the 16-bit limits. The echoes of the
// frames of earlier blocks are carried into later blocks, so any cut of the
// stream into blocks gives the same samples; the echoes past the end of the
// stream are dropped.
class FrameReverb {
 public:
  struct Tap {
    size_t lag;  // in frames
    double gain;
  };

  // The taps of an amount of reverb: none for 0 or less, 32 at most.
  static std::vector<Tap> TapsOf(int taps);

  explicit FrameReverb(int taps);

  // False when the reverb adds nothing (no taps).
  bool Active() const { return !taps_.empty(); }
  // Adds the echoes to the next frames of the stream: interleaved left and
  // right samples, an even count.
  void Process(std::span<int16_t> samples);

 private:
  std::vector<Tap> taps_;  // lags in samples
  size_t history_ = 0;     // the samples of earlier blocks that echoes reach
  // history_ samples of earlier blocks (zero before the stream's start), then
  // the samples being processed, widened once for all taps.
  std::vector<double> x_;
  std::vector<int32_t> y_;
};

}  // namespace crx
