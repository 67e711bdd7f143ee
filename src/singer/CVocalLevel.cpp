#include "singer/CVocalLevel.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace crx {
namespace {
constexpr int kPasses = 6;
constexpr double kTolerance = 0.1;  // dB
// The gain dips within this time either side of a peak.
constexpr double kDipSeconds = 0.003;

double FromDb(double db) { return std::pow(10.0, db / 20.0); }

// Holds every sample below the ceiling: around a sample above it the gain
// falls linearly to what that sample needs and rises again.
void Limit(std::vector<float>& s, double ceiling, int sampleRate) {
  const size_t reach = std::max<size_t>(1, static_cast<size_t>(kDipSeconds * sampleRate));
  std::vector<float> gain;
  for (size_t n = 0; n < s.size(); ++n) {
    const double a = std::fabs(s[n]);
    if (a <= ceiling) continue;
    if (gain.empty()) gain.assign(s.size(), 1.0f);
    const double need = ceiling / a;
    const size_t from = n > reach ? n - reach : 0;
    const size_t to = std::min(s.size(), n + reach + 1);
    for (size_t k = from; k < to; ++k) {
      const double d = static_cast<double>(k > n ? k - n : n - k) / static_cast<double>(reach);
      gain[k] = std::min(gain[k], static_cast<float>(need + (1.0 - need) * d));
    }
  }
  if (gain.empty()) return;
  for (size_t n = 0; n < s.size(); ++n) s[n] *= gain[n];
}

}  // namespace

double CVocalLevel::RmsDb(std::span<const float> samples, const SampleSpans& spans) {
  double sum = 0;
  size_t count = 0;
  for (auto [from, to] : spans) {
    to = std::min(to, samples.size());
    for (size_t n = from; n < to; ++n) sum += double{samples[n]} * samples[n];
    if (to > from) count += to - from;
  }
  if (count == 0 || sum <= 0) return -std::numeric_limits<double>::infinity();
  return 10.0 * std::log10(sum / static_cast<double>(count));
}

double CVocalLevel::PeakDb(std::span<const float> samples) {
  float peak = 0;
  for (float v : samples) peak = std::max(peak, std::fabs(v));
  return peak > 0 ? 20.0 * std::log10(peak) : -std::numeric_limits<double>::infinity();
}

void CVocalLevel::Apply(std::vector<float>& samples, const SampleSpans& spans, int sampleRate) {
  const double ceiling = FromDb(kPeakCeilingDb);
  for (int pass = 0; pass < kPasses; ++pass) {
    const double rms = RmsDb(samples, spans);
    if (!std::isfinite(rms)) return;
    if (pass > 0 && std::fabs(rms - kTargetRmsDb) < kTolerance && PeakDb(samples) <= kPeakCeilingDb)
      return;
    const float gain = static_cast<float>(FromDb(kTargetRmsDb - rms));
    for (float& v : samples) v *= gain;
    Limit(samples, ceiling, sampleRate);
  }
  // Whatever the passes left, nothing stays above the ceiling.
  Limit(samples, ceiling, sampleRate);
}

}  // namespace crx
