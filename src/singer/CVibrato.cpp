#include "singer/CVibrato.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace crx {
namespace {
// Depth and rate glide towards what is asked for with this time constant.
constexpr double kGlideSeconds = 0.08;
constexpr double kCentsPerOctave = 1200;
constexpr float kIdleDepth = 1e-4f;
}  // namespace

CVibrato::CVibrato(size_t length, int sampleRate)
    : sampleRate_(sampleRate), depth_(length, 0.0f), rate_(length, 0.0f) {}

void CVibrato::Add(size_t from, size_t to, double cents, double rate) {
  to = std::min(to, depth_.size());
  if (from >= to || rate <= 0 || cents <= 0) return;
  // A delay d(t) = A sin(2 pi f t) moves the pitch by the factor 1 - d'(t),
  // at most 2 pi f A.
  const double swing = std::pow(2.0, cents / kCentsPerOctave) - 1.0;
  const float amplitude = static_cast<float>(swing / (2 * std::numbers::pi * rate) * sampleRate_);
  for (size_t n = from; n < to; ++n) {
    depth_[n] = amplitude;
    rate_[n] = static_cast<float>(rate);
  }
}

void CVibrato::Apply(std::vector<float>& samples) const {
  const std::vector<float> dry = samples;
  const size_t size = std::min(samples.size(), depth_.size());
  const double glide = 1.0 - std::exp(-1.0 / (kGlideSeconds * sampleRate_));
  double depth = 0, rate = 0, phase = 0;
  for (size_t n = 0; n < size; ++n) {
    depth += (depth_[n] - depth) * glide;
    if (rate_[n] > 0) rate += (rate_[n] - rate) * (rate > 0 ? glide : 1.0);
    phase += 2 * std::numbers::pi * rate / sampleRate_;
    if (phase > 2 * std::numbers::pi) phase -= 2 * std::numbers::pi;
    if (depth < kIdleDepth) continue;
    const double position = static_cast<double>(n) - depth * std::sin(phase);
    if (position < 0 || position >= static_cast<double>(dry.size() - 1)) continue;
    const size_t i = static_cast<size_t>(position);
    const float f = static_cast<float>(position - static_cast<double>(i));
    samples[n] = dry[i] + f * (dry[i + 1] - dry[i]);
  }
}

}  // namespace crx
