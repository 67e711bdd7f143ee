#include "audio/SampleSteps.h"

#include <algorithm>
#include <limits>

#include "audio/FrameReverb.h"
#include "audio/SilenceTrimmer.h"

namespace crx {
namespace {

// The sample times factor, truncated toward zero and saturated. Clamping
// before the truncation gives the same result as clamping after it, and
// keeps the conversion defined.
int16_t ScaledSample(int16_t sample, double factor) {
  constexpr double kLow = std::numeric_limits<int16_t>::min();
  constexpr double kHigh = std::numeric_limits<int16_t>::max();
  return static_cast<int16_t>(std::clamp(sample * factor, kLow, kHigh));
}

}  // namespace

int16_t SaturateToSample(int64_t value) {
  return static_cast<int16_t>(std::clamp<int64_t>(value, std::numeric_limits<int16_t>::min(),
                                                  std::numeric_limits<int16_t>::max()));
}

int16_t SampleAt(std::span<const uint8_t> bytes, size_t index) {
  return static_cast<int16_t>(bytes[2 * index] | (bytes[2 * index + 1] << 8));
}

void StoreSample(std::span<uint8_t> bytes, size_t index, int16_t value) {
  const auto u = static_cast<uint16_t>(value);
  bytes[2 * index] = static_cast<uint8_t>(u & 0xFF);
  bytes[2 * index + 1] = static_cast<uint8_t>(u >> 8);
}

void AddSamples(std::span<const uint8_t> a, std::span<const uint8_t> b, std::span<uint8_t> out) {
  const size_t aSamples = a.size() / 2;
  const size_t bSamples = b.size() / 2;
  const size_t both = std::min(aSamples, bSamples);
  for (size_t i = 0; i < both; ++i) {
    StoreSample(out, i, SaturateToSample(int32_t{SampleAt(a, i)} + SampleAt(b, i)));
  }
  // Beyond the shorter input only the longer one sounds.
  std::span<const uint8_t> longer = aSamples > bSamples ? a : b;
  const size_t end = std::max(aSamples, bSamples) * 2;
  std::copy(longer.begin() + static_cast<ptrdiff_t>(both * 2),
            longer.begin() + static_cast<ptrdiff_t>(end),
            out.begin() + static_cast<ptrdiff_t>(both * 2));
}

void ScaleSamples(std::span<uint8_t> bytes, double factor) {
  const size_t samples = bytes.size() / kStereoFrameBytes * 2;
  for (size_t i = 0; i < samples; ++i)
    StoreSample(bytes, i, ScaledSample(SampleAt(bytes, i), factor));
}

void ScaleSamples(std::span<int16_t> samples, double factor) {
  for (int16_t& s : samples) s = ScaledSample(s, factor);
}

namespace {

// Samples per block of the one-channel reverb: the echo sources of a block
// stay in the cache while all taps are added.
constexpr size_t kReverbBlock = 8192;

// Adds every tap's echo of x to y[begin, end); y holds x's values there.
void AddEchoes(const int32_t* __restrict x, int32_t* __restrict y, size_t begin, size_t end,
               const std::vector<FrameReverb::Tap>& taps) {
  for (const FrameReverb::Tap& t : taps) {
    const size_t from = std::max(begin, t.lag);
    if (from >= end) continue;
    const int32_t* src = x + (from - t.lag);
    int32_t* dst = y + (from - begin);
    const size_t n = end - from;
    const double g = t.gain;
    for (size_t i = 0; i < n; ++i) dst[i] += static_cast<int32_t>(g * src[i]);
  }
}

}  // namespace

std::vector<int32_t> ApplyReverb(std::span<const int32_t> x, int taps) {
  std::vector<int32_t> y(x.begin(), x.end());
  if (taps <= 0) return y;
  const std::vector<FrameReverb::Tap> list = FrameReverb::TapsOf(taps);
  for (size_t b = 0; b < x.size(); b += kReverbBlock) {
    const size_t e = std::min(x.size(), b + kReverbBlock);
    AddEchoes(x.data(), y.data() + b, b, e, list);
  }
  return y;
}

void ApplyReverbToFrames(std::span<uint8_t> bytes, int taps) {
  FrameReverb reverb(taps);
  if (!reverb.Active()) return;
  std::vector<int16_t> samples(bytes.size() / kStereoFrameBytes * 2);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = SampleAt(bytes, i);
  reverb.Process(samples);
  for (size_t i = 0; i < samples.size(); ++i) StoreSample(bytes, i, samples[i]);
}

void TrimSilence(std::vector<uint8_t>& bytes) {
  std::vector<int16_t> samples(bytes.size() / kStereoFrameBytes * 2);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = SampleAt(bytes, i);
  SilenceTrimmer trimmer;
  const size_t start = trimmer.Feed(samples) * kStereoFrameBytes;
  const size_t kept = static_cast<size_t>(trimmer.KeptFrames()) * kStereoFrameBytes;
  std::copy(bytes.begin() + static_cast<ptrdiff_t>(start),
            bytes.begin() + static_cast<ptrdiff_t>(start + kept), bytes.begin());
  bytes.resize(kept);
}

}  // namespace crx
