#include "singer/CPitchCurve.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace crx {
namespace {
constexpr double kCentsPerOctave = 1200;
// Keeps a grid point that falls on a phone's end from being written twice.
constexpr double kGridEpsilon = 1e-9;
}  // namespace

CPitchCurve::CPitchCurve(double origin, int sampleRate)
    : origin_(origin), sampleRate_(sampleRate) {}

void CPitchCurve::Add(const Segment& segment) { segments_.push_back(segment); }

double CPitchCurve::Held(const Segment& s, double t) const {
  double cents = 0;
  if (s.vibratoCents > 0 && s.vibratoRate > 0 && t > s.vibratoFrom) {
    const double since = t - s.vibratoFrom;
    const double ramp = std::min(1.0, since / kVibratoRampSeconds);
    cents = s.vibratoCents * ramp * std::sin(2 * std::numbers::pi * s.vibratoRate * since);
  }
  const double period = sampleRate_ / (s.hz * std::pow(2.0, cents / kCentsPerOctave));
  // Triangle from 0 to 1 sample and back, 0 on the grid's zero.
  const double cycles = (t - origin_) * kDitherHz;
  const double phase = cycles - std::floor(cycles);
  const double sweep = 1.0 - std::fabs(2.0 * phase - 1.0);
  return sampleRate_ / (period + sweep);
}

double CPitchCurve::At(double t) const {
  if (segments_.empty()) return 0;
  auto after = std::upper_bound(segments_.begin(), segments_.end(), t,
                                [](double v, const Segment& s) { return v < s.from; });
  const size_t k =
      after == segments_.begin() ? 0 : static_cast<size_t>(after - segments_.begin()) - 1;
  const Segment& s = segments_[k];
  if (k + 1 < segments_.size()) {
    const Segment& next = segments_[k + 1];
    const double glideFrom = std::max(s.from, next.from - kGlideSeconds);
    if (t >= glideFrom && next.from > glideFrom) {
      const double f = (t - glideFrom) / (next.from - glideFrom);
      return Held(s, glideFrom) + f * (Held(next, next.from) - Held(s, glideFrom));
    }
  }
  return Held(s, t);
}

std::vector<std::pair<double, double>> CPitchCurve::Points(double a, double b) const {
  std::vector<std::pair<double, double>> points;
  if (segments_.empty() || !(b > a)) return points;
  const double length = b - a;
  points.emplace_back(0.0, At(a));
  const double first = std::floor((a - origin_) / kGridSeconds) + 1;
  for (double n = first;; ++n) {
    const double t = origin_ + n * kGridSeconds;
    if (t >= b - kGridEpsilon) break;
    if (t <= a + kGridEpsilon) continue;
    points.emplace_back(100.0 * (t - a) / length, At(t));
  }
  points.emplace_back(100.0, At(b));
  return points;
}

}  // namespace crx
