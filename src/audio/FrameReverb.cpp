#include "audio/FrameReverb.h"

#include <algorithm>
#include <limits>

#include "audio/SampleSteps.h"

namespace crx {
namespace {

constexpr int kReverbDelayPerTap = 40;  // base delay: 40 frames per tap
constexpr double kReverbFirstGain = 0.6;
constexpr double kReverbDecay = 0.8;
constexpr size_t kStereo = 2;
// Samples widened and summed at once: the echo sources of a piece stay in
// the cache while every tap is added.
constexpr size_t kPieceSamples = 4096;
// Taps added in one pass over the sums.
constexpr size_t kTapsPerPass = 4;

// y[i] += the truncated echoes of every tap; src points at the sample of
// y[0] in the widened input (history before it). Integer sums of the
// truncated echoes do not depend on their order.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
__attribute__((target_clones("avx2", "default")))
#endif
void AddEchoes(const double* __restrict src, int32_t* __restrict y, size_t n,
               const FrameReverb::Tap* taps, size_t tapCount) {
  size_t t = 0;
  for (; t + kTapsPerPass <= tapCount; t += kTapsPerPass) {
    const double* s0 = src - taps[t].lag;
    const double* s1 = src - taps[t + 1].lag;
    const double* s2 = src - taps[t + 2].lag;
    const double* s3 = src - taps[t + 3].lag;
    const double g0 = taps[t].gain;
    const double g1 = taps[t + 1].gain;
    const double g2 = taps[t + 2].gain;
    const double g3 = taps[t + 3].gain;
    for (size_t i = 0; i < n; ++i) {
      y[i] += static_cast<int32_t>(g0 * s0[i]) + static_cast<int32_t>(g1 * s1[i]) +
              static_cast<int32_t>(g2 * s2[i]) + static_cast<int32_t>(g3 * s3[i]);
    }
  }
  for (; t < tapCount; ++t) {
    const double* s = src - taps[t].lag;
    const double g = taps[t].gain;
    for (size_t i = 0; i < n; ++i) y[i] += static_cast<int32_t>(g * s[i]);
  }
}

}  // namespace

std::vector<FrameReverb::Tap> FrameReverb::TapsOf(int taps) {
  std::vector<Tap> out;
  taps = std::min(taps, kMaxReverbTaps);
  double gain = kReverbFirstGain;
  int64_t delay = int64_t{kReverbDelayPerTap} * taps;
  for (int k = 1; k <= taps; ++k) {
    out.push_back({static_cast<size_t>(k) * static_cast<size_t>(delay), gain});
    gain *= kReverbDecay;
    delay = static_cast<int64_t>(static_cast<double>(delay) * kReverbDecay);
  }
  return out;
}

FrameReverb::FrameReverb(int taps) : taps_(TapsOf(taps)) {
  for (Tap& t : taps_) {
    t.lag *= kStereo;  // in the interleaved samples an echo of k frames lies 2k samples back
    history_ = std::max(history_, t.lag);
  }
  if (Active()) {
    x_.assign(history_ + kPieceSamples, 0.0);
    y_.resize(kPieceSamples);
  }
}

void FrameReverb::Process(std::span<int16_t> samples) {
  if (!Active()) return;
  for (size_t begin = 0; begin < samples.size(); begin += kPieceSamples) {
    const size_t n = std::min(kPieceSamples, samples.size() - begin);
    std::span<int16_t> piece = samples.subspan(begin, n);
    double* current = x_.data() + history_;
    for (size_t i = 0; i < n; ++i) {
      current[i] = piece[i];
      y_[i] = piece[i];
    }
    AddEchoes(current, y_.data(), n, taps_.data(), taps_.size());
    constexpr int32_t kLow = std::numeric_limits<int16_t>::min();
    constexpr int32_t kHigh = std::numeric_limits<int16_t>::max();
    for (size_t i = 0; i < n; ++i) piece[i] = static_cast<int16_t>(std::clamp(y_[i], kLow, kHigh));
    // The newest history_ samples are the history of the next piece.
    std::copy(x_.begin() + static_cast<ptrdiff_t>(n),
              x_.begin() + static_cast<ptrdiff_t>(n + history_), x_.begin());
  }
}

}  // namespace crx
