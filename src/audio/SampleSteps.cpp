#include "audio/SampleSteps.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace crx {
namespace {

constexpr int kQuietLimit = 4;          // |sample| and steps up to 4 count as quiet
constexpr int kQuietRunToCut = 64;      // a quiet run must exceed 64 frames
constexpr int kReverbDelayPerTap = 40;  // base delay: 40 samples per tap
constexpr double kReverbFirstGain = 0.6;
constexpr double kReverbDecay = 0.8;

struct Frame {
  int left;
  int right;
};

Frame FrameAt(std::span<const uint8_t> bytes, size_t frame) {
  return {SampleAt(bytes, 2 * frame), SampleAt(bytes, 2 * frame + 1)};
}

bool Near(int a, int b) { return std::abs(a - b) <= kQuietLimit; }
bool Small(int a) { return std::abs(a) <= kQuietLimit; }

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
  constexpr double kLow = std::numeric_limits<int16_t>::min();
  constexpr double kHigh = std::numeric_limits<int16_t>::max();
  const size_t samples = bytes.size() / kStereoFrameBytes * 2;
  for (size_t i = 0; i < samples; ++i) {
    // Clamping before the truncation toward zero gives the same result as
    // clamping after it, and keeps the conversion defined.
    const double scaled = std::clamp(SampleAt(bytes, i) * factor, kLow, kHigh);
    StoreSample(bytes, i, static_cast<int16_t>(scaled));
  }
}

namespace {

// Samples per block of the reverb: the echo sources of a block (at most a
// few thousand samples back) stay in the cache while all taps are added.
constexpr size_t kReverbBlock = 8192;

struct Tap {
  size_t lag;  // in samples of the interleaved data
  double gain;
};

std::vector<Tap> ReverbTaps(int taps, size_t stride) {
  std::vector<Tap> out;
  taps = std::min(taps, kMaxReverbTaps);
  double gain = kReverbFirstGain;
  int64_t delay = int64_t{kReverbDelayPerTap} * taps;
  for (int k = 1; k <= taps; ++k) {
    out.push_back({static_cast<size_t>(k) * static_cast<size_t>(delay) * stride, gain});
    gain *= kReverbDecay;
    delay = static_cast<int64_t>(static_cast<double>(delay) * kReverbDecay);
  }
  return out;
}

// Adds every tap's echo of x to y[begin, end); y holds x's values there.
template <typename In>
void AddEchoes(const In* __restrict x, int32_t* __restrict y, size_t begin, size_t end,
               const std::vector<Tap>& taps) {
  for (const Tap& t : taps) {
    const size_t from = std::max(begin, t.lag);
    if (from >= end) continue;
    const In* src = x + (from - t.lag);
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
  const std::vector<Tap> list = ReverbTaps(taps, 1);
  for (size_t b = 0; b < x.size(); b += kReverbBlock) {
    const size_t e = std::min(x.size(), b + kReverbBlock);
    AddEchoes(x.data(), y.data() + b, b, e, list);
  }
  return y;
}

void ApplyReverbToFrames(std::span<uint8_t> bytes, int taps) {
  if (taps <= 0) return;
  // Both channels at once: in the interleaved samples an echo of k frames
  // lies 2k samples back.
  const size_t count = bytes.size() / kStereoFrameBytes * 2;
  std::vector<int16_t> x(count);
  for (size_t i = 0; i < count; ++i) x[i] = SampleAt(bytes, i);
  const std::vector<Tap> list = ReverbTaps(taps, 2);
  std::vector<int32_t> y(kReverbBlock);
  for (size_t b = 0; b < count; b += kReverbBlock) {
    const size_t e = std::min(count, b + kReverbBlock);
    std::copy(x.begin() + static_cast<ptrdiff_t>(b), x.begin() + static_cast<ptrdiff_t>(e),
              y.begin());
    AddEchoes(x.data(), y.data(), b, e, list);
    for (size_t i = b; i < e; ++i) StoreSample(bytes, i, SaturateToSample(y[i - b]));
  }
}

void TrimSilence(std::vector<uint8_t>& bytes) {
  const size_t frames = bytes.size() / kStereoFrameBytes;
  std::span<const uint8_t> data(bytes);

  // Start: skip frames that are small and close to their predecessor.
  int pL = 0;
  int pR = 0;
  size_t s = 0;
  for (; s < frames; ++s) {
    const Frame f = FrameAt(data, s);
    if (!(Small(f.left) && Small(f.right) && Near(pL, f.left) && Near(pR, f.right))) break;
    pL = f.left;
    pR = f.right;
  }

  // End: a frame is quiet when it is small and its predecessor is close to
  // the start frame. A run of more than 64 quiet frames ends the kept data
  // only when it lasts to the end.
  size_t e = frames;
  if (s < frames) {
    const Frame start = FrameAt(data, s);
    int run = 0;
    bool cutPending = false;
    size_t cut = frames;
    for (size_t j = s; j < frames; ++j) {
      const Frame f = FrameAt(data, j);
      const bool quiet =
          Small(f.left) && Small(f.right) && Near(pL, start.left) && Near(pR, start.right);
      if (quiet) {
        ++run;
        if (run > kQuietRunToCut && !cutPending) {
          cutPending = true;
          cut = j;
        }
      } else {
        run = 0;
        cutPending = false;
      }
      pL = f.left;
      pR = f.right;
    }
    if (cutPending) e = cut;
  }

  const size_t keptBytes = (e - s) * kStereoFrameBytes;
  std::copy(bytes.begin() + static_cast<ptrdiff_t>(s * kStereoFrameBytes),
            bytes.begin() + static_cast<ptrdiff_t>(s * kStereoFrameBytes + keptBytes),
            bytes.begin());
  bytes.resize(keptBytes);
}

}  // namespace crx
