#include "singer/CTempoMap.h"

#include <algorithm>

namespace crx {
namespace {
constexpr double kMicrosecondsPerSecond = 1e6;
constexpr int32_t kDefaultTempo = 500000;
}  // namespace

CTempoMap::CTempoMap(std::span<const TempoChange> tempos, int32_t division) {
  const double perQuarter = division > 0 ? division : 480;
  std::vector<TempoChange> all;
  if (tempos.empty() || tempos.front().tick != 0) all.push_back({0, kDefaultTempo});
  all.insert(all.end(), tempos.begin(), tempos.end());
  double seconds = 0;
  for (const TempoChange& t : all) {
    if (!segments_.empty()) {
      const Segment& last = segments_.back();
      seconds = last.seconds + static_cast<double>(t.tick - last.tick) * last.secondsPerTick;
    }
    segments_.push_back(
        {t.tick, seconds, t.microsecondsPerQuarter / kMicrosecondsPerSecond / perQuarter});
  }
}

double CTempoMap::Seconds(int64_t tick) const {
  auto it = std::upper_bound(segments_.begin(), segments_.end(), tick,
                             [](int64_t t, const Segment& s) { return t < s.tick; });
  const Segment& s = it == segments_.begin() ? segments_.front() : *(it - 1);
  return s.seconds + static_cast<double>(tick - s.tick) * s.secondsPerTick;
}

}  // namespace crx
