#include "midi/TempoMap.h"

#include <algorithm>

#include "midi/MidiTrackData.h"

namespace crx {
namespace {
constexpr int kMaxDivision = 0x7FFF;
constexpr double kMicroseconds = 1e6;
}  // namespace

TempoMap::TempoMap(int division)
    : division_(division > 0 && division <= kMaxDivision ? division : kFallbackDivision) {
  changes_.push_back({0, 0.0, kStandardTempo});
}

TempoMap::TempoMap(const MidiTrackData& track, int division) : TempoMap(division) {
  const std::vector<int64_t> times = track.AbsoluteTimes();
  for (size_t i = 0; i < times.size(); ++i) {
    const MidiEvent& ev = track.Event(static_cast<int>(i));
    if (ev.IsMeta(kMetaTempo)) Add(times[i], ev.value);
  }
}

TempoMap::TempoMap(std::span<const TempoChange> tempos, int division) : TempoMap(division) {
  std::vector<TempoChange> inOrder(tempos.begin(), tempos.end());
  std::stable_sort(inOrder.begin(), inOrder.end(),
                   [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
  for (const TempoChange& t : inOrder) Add(t.tick, t.microsecondsPerQuarter);
}

// Tempos come in tick order.
void TempoMap::Add(int64_t tick, int tempo) {
  if (tempo <= 0) return;
  tick = std::max<int64_t>(tick, 0);
  if (changes_.back().tick == tick) {
    changes_.back().tempo = tempo;  // the last tempo at a tick holds
  } else {
    changes_.push_back({tick, Seconds(tick), tempo});
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
