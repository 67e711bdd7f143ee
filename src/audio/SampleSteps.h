#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace crx {

// The sample steps of the mix on 16-bit little-endian stereo frames. Results
// beyond the 16-bit range saturate at -32768 and 32767.

inline constexpr size_t kStereoFrameBytes = 4;
inline constexpr int kMaxReverbTaps = 32;

int16_t SaturateToSample(int64_t value);
int16_t SampleAt(std::span<const uint8_t> bytes, size_t index);
void StoreSample(std::span<uint8_t> bytes, size_t index, int16_t value);

// out[i] = a[i] + b[i] for every 16-bit sample, a sample missing from the
// shorter input counting as 0. out holds max(a, b) bytes.
void AddSamples(std::span<const uint8_t> a, std::span<const uint8_t> b, std::span<uint8_t> out);

// Every sample of the whole frames times factor, truncated toward zero;
// trailing bytes of a partial frame stay as they are.
void ScaleSamples(std::span<uint8_t> bytes, double factor);
// Every sample times factor, truncated toward zero.
void ScaleSamples(std::span<int16_t> samples, double factor);

// The echo reverb of one channel: tap k (1 to taps) adds the input, times
// 0.6 x 0.8^(k-1) truncated toward zero, k x D(k) samples later, where
// D(1) = 40 x taps and D(k+1) = truncated 0.8 x D(k). Returns the first
// x.size() values (the echo tail past the end is dropped). taps <= 0 returns
// the input; more than 32 taps count as 32.
std::vector<int32_t> ApplyReverb(std::span<const int32_t> x, int taps);

// ApplyReverb on the left and on the right samples of the stereo frames,
// the results put back into the frames.
void ApplyReverbToFrames(std::span<uint8_t> bytes, int taps);

// Cuts the quiet frames at the start, and at the end the quiet run that
// lasts to the end of the data (see SilenceTrimmer), keeping the frames
// between at the front. The data's length becomes a whole number of frames.
void TrimSilence(std::vector<uint8_t>& bytes);

}  // namespace crx
