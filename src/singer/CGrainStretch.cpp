#include "singer/CGrainStretch.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace crx {
namespace {

// The period search looks this far either side of the expected period.
constexpr double kSearchLow = 0.8;
constexpr double kSearchHigh = 1.25;
// The period is read off the autocorrelation peak this many periods away,
// which divides the error of a single peak by as much.
constexpr int kPeriodsMeasured = 4;
// The fade at the vowel's end is no steady sound: its last grains are left out.
constexpr double kTailPeriods = 3;
// Grains of the steady part are evened out to the loudest within these limits.
constexpr float kMaxGain = 3.0f;
// A steady part shorter than this many grains is widened back towards the start.
constexpr size_t kShortestLoop = 6;

double Correlation(std::span<const float> x, size_t from, size_t count, double lag) {
  const size_t l = static_cast<size_t>(lag);
  double s = 0, e1 = 0, e2 = 0;
  for (size_t i = from; i < from + count && i + l < x.size(); ++i) {
    s += double{x[i]} * x[i + l];
    e1 += double{x[i]} * x[i];
    e2 += double{x[i + l]} * x[i + l];
  }
  return s / std::sqrt(e1 * e2 + 1e-12);
}

}  // namespace

CGrainStretch::CGrainStretch(std::span<const float> vowel, double expectedPeriod)
    : source_(vowel.begin(), vowel.end()) {
  if (expectedPeriod < 2 || source_.size() < static_cast<size_t>(4 * expectedPeriod)) return;
  period_ = FindPeriod(expectedPeriod);
  // The first mark on the largest sample of the first period.
  const size_t first = static_cast<size_t>(period_);
  size_t best = 0;
  for (size_t i = 0; i < first && i < source_.size(); ++i)
    if (source_[i] > source_[best]) best = i;
  firstMark_ = static_cast<double>(best) + period_;  // one period in: whole grains
  const double usable = static_cast<double>(source_.size()) - period_ - firstMark_;
  if (usable <= 0) return;
  markCount_ = static_cast<size_t>(usable / period_) + 1;
  if (markCount_ < 2) return;

  // Level of each grain; from the loudest on, the decay is evened out.
  std::vector<float> level(markCount_);
  const int half = static_cast<int>(period_ / 2);
  for (size_t k = 0; k < markCount_; ++k) {
    const double m = firstMark_ + static_cast<double>(k) * period_;
    double e = 0;
    for (int n = -half; n <= half; ++n) {
      const float v = Sample(m + n);
      e += double{v} * v;
    }
    level[k] = static_cast<float>(std::sqrt(e / (2 * half + 1)));
  }
  size_t tail = static_cast<size_t>(kTailPeriods);
  loopEnd_ = markCount_ > tail + 1 ? markCount_ - 1 - tail : markCount_ - 1;
  size_t loudest = 0;
  for (size_t k = 0; k <= loopEnd_; ++k)
    if (level[k] > level[loudest]) loudest = k;
  loopStart_ = loudest;
  if (loopEnd_ - loopStart_ + 1 < kShortestLoop)
    loopStart_ = loopEnd_ + 1 > kShortestLoop ? loopEnd_ + 1 - kShortestLoop : 0;
  gains_.assign(markCount_, 1.0f);
  for (size_t k = loudest; k < markCount_; ++k)
    gains_[k] = level[k] > 0 ? std::min(kMaxGain, level[loudest] / level[k]) : 1.0f;
  usable_ = true;
}

double CGrainStretch::FindPeriod(double expected) const {
  const size_t window = std::min(source_.size() / 2, static_cast<size_t>(expected * 8));
  const size_t from = std::min(source_.size() / 4, static_cast<size_t>(expected * 2));
  auto peakNear = [&](double centre, double low, double high) {
    const int lo = std::max(2, static_cast<int>(centre * low));
    const int hi = static_cast<int>(centre * high) + 1;
    int best = lo;
    double bestValue = -2;
    std::vector<double> c(static_cast<size_t>(hi - lo + 3));
    for (int lag = lo - 1; lag <= hi + 1; ++lag) {
      c[static_cast<size_t>(lag - lo + 1)] = Correlation(source_, from, window, lag);
    }
    for (int lag = lo; lag <= hi; ++lag) {
      const double v = c[static_cast<size_t>(lag - lo + 1)];
      if (v > bestValue) {
        bestValue = v;
        best = lag;
      }
    }
    const double a = c[static_cast<size_t>(best - lo)], b = c[static_cast<size_t>(best - lo + 1)],
                 d = c[static_cast<size_t>(best - lo + 2)];
    const double denom = a - 2 * b + d;
    const double shift = std::fabs(denom) > 1e-12 ? 0.5 * (a - d) / denom : 0;
    return best + std::clamp(shift, -0.5, 0.5);
  };
  const double one = peakNear(expected, kSearchLow, kSearchHigh);
  if (source_.size() < from + window + static_cast<size_t>(one * kPeriodsMeasured) + 2) return one;
  const double many = peakNear(one * kPeriodsMeasured, 0.98, 1.02);
  return many / kPeriodsMeasured;
}

float CGrainStretch::Sample(double position) const {
  if (position < 0) return 0;
  const size_t i = static_cast<size_t>(position);
  if (i + 1 >= source_.size()) return i < source_.size() ? source_[i] : 0.0f;
  const float f = static_cast<float>(position - static_cast<double>(i));
  return source_[i] + f * (source_[i + 1] - source_[i]);
}

std::vector<float> CGrainStretch::Render(size_t length, double targetPeriod) const {
  std::vector<float> out(length, 0.0f);
  if (!usable_ || targetPeriod < 2) return out;
  const double span = period_;  // grain half-width
  const float norm = static_cast<float>(targetPeriod / period_);
  const double loopFrom = firstMark_ + static_cast<double>(loopStart_) * period_;
  const double loopTo = firstMark_ + static_cast<double>(loopEnd_) * period_;
  const double loopWidth = std::max(loopTo - loopFrom, period_);
  const int half = static_cast<int>(std::ceil(span));
  // Grains start before the first mark (repeating it) so that the overlap is
  // whole from the first sample on.
  const double before = std::ceil((firstMark_ + span) / targetPeriod) * targetPeriod;
  for (double t = firstMark_ - before; t < static_cast<double>(length) + span; t += targetPeriod) {
    // Where the source stands at output time t.
    double a = t;
    if (a > loopTo) {
      const double r = std::fmod(a - loopTo, 2 * loopWidth);
      a = r < loopWidth ? loopTo - r : loopFrom + (r - loopWidth);
    }
    const double k = std::round((a - firstMark_) / period_);
    const size_t mark =
        static_cast<size_t>(std::clamp(k, 0.0, static_cast<double>(markCount_ - 1)));
    const double m = firstMark_ + static_cast<double>(mark) * period_;
    const float gain = gains_[mark] * norm;
    const double centre = t;
    const int start = static_cast<int>(std::floor(centre - span));
    for (int n = start; n <= start + 2 * half + 1; ++n) {
      if (n < 0 || static_cast<size_t>(n) >= length) continue;
      const double x = (n - centre) / span;
      if (x <= -1 || x >= 1) continue;
      const float w = static_cast<float>(0.5 + 0.5 * std::cos(std::numbers::pi * x));
      out[static_cast<size_t>(n)] += gain * w * Sample(m + (n - centre));
    }
  }
  return out;
}

}  // namespace crx
