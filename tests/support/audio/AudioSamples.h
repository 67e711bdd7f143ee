#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace crx::test {

using StereoFrame = std::pair<int16_t, int16_t>;

// 16-bit little-endian interleaved sample bytes.
std::vector<uint8_t> SampleBytes(const std::vector<int16_t>& samples);
std::vector<uint8_t> FrameBytes(const std::vector<StereoFrame>& frames);
std::vector<int16_t> SamplesOf(const std::vector<uint8_t>& bytes);
// count copies of a frame.
std::vector<StereoFrame> Repeat(StereoFrame frame, size_t count);
std::vector<StereoFrame> Join(std::initializer_list<std::vector<StereoFrame>> parts);
// A deterministic noise-like stereo signal of the given frame count.
std::vector<int16_t> TestSignal(size_t frames, uint32_t seed, int amplitude = 12000);

}  // namespace crx::test
