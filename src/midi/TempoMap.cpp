#include "midi/TempoMap.h"

#include <algorithm>

#include "midi/MidiTrackData.h"

namespace crx {
namespace {
constexpr int kMaxDivision = 0x7FFF;
constexpr double kMicroseconds = 1e6;
}  // namespace

TempoMap::TempoMap(const MidiTrackData& track, int division)
    : division_(division > 0 && division <= kMaxDivision ? division : kFallbackDivision) {
  changes_.push_back({0, 0.0, kStandardTempo});
  const std::vector<int64_t> times = track.AbsoluteTimes();
  for (size_t i = 0; i < times.size(); ++i) {
    const MidiEvent& ev = track.Event(static_cast<int>(i));
    if (!ev.IsMeta(kMetaTempo) || ev.value <= 0) continue;
    const double at = Seconds(times[i]);
    if (changes_.back().tick == times[i]) {
      changes_.back().tempo = ev.value;  // the last tempo at a tick holds
    } else {
      changes_.push_back({times[i], at, ev.value});
    }
  }
}

double TempoMap::Seconds(int64_t tick) const {
  tick = std::max<int64_t>(tick, 0);
  auto it = std::upper_bound(changes_.begin(), changes_.end(), tick,
                             [](int64_t t, const Change& c) { return t < c.tick; });
  const Change& c = *std::prev(it);
  return c.seconds + static_cast<double>(tick - c.tick) * c.tempo / (kMicroseconds * division_);
}

}  // namespace crx
