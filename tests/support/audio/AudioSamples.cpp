#include "support/audio/AudioSamples.h"

#include <cmath>

namespace crx::test {

std::vector<uint8_t> SampleBytes(const std::vector<int16_t>& samples) {
  std::vector<uint8_t> out;
  out.reserve(samples.size() * 2);
  for (int16_t s : samples) {
    const auto u = static_cast<uint16_t>(s);
    out.push_back(static_cast<uint8_t>(u));
    out.push_back(static_cast<uint8_t>(u >> 8));
  }
  return out;
}

std::vector<uint8_t> FrameBytes(const std::vector<StereoFrame>& frames) {
  std::vector<int16_t> samples;
  for (const StereoFrame& f : frames) {
    samples.push_back(f.first);
    samples.push_back(f.second);
  }
  return SampleBytes(samples);
}

std::vector<int16_t> SamplesOf(const std::vector<uint8_t>& bytes) {
  std::vector<int16_t> out(bytes.size() / 2);
  for (size_t i = 0; i < out.size(); ++i) {
    out[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  }
  return out;
}

std::vector<StereoFrame> Repeat(StereoFrame frame, size_t count) {
  return std::vector<StereoFrame>(count, frame);
}

std::vector<StereoFrame> Join(std::initializer_list<std::vector<StereoFrame>> parts) {
  std::vector<StereoFrame> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

std::vector<int16_t> TestSignal(size_t frames, uint32_t seed, int amplitude) {
  std::vector<int16_t> out(frames * 2);
  uint32_t state = seed * 2654435761u + 1;
  for (size_t i = 0; i < frames; ++i) {
    state = state * 1664525u + 1013904223u;
    const double noise = static_cast<int32_t>(state >> 16) % 2001 / 2000.0;
    const double tone = std::sin(static_cast<double>(i) * 0.0627);
    out[2 * i] = static_cast<int16_t>(amplitude * (0.7 * tone + 0.3 * noise));
    out[2 * i + 1] = static_cast<int16_t>(amplitude * (0.5 * tone - 0.4 * noise));
  }
  return out;
}

}  // namespace crx::test
