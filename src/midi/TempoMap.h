#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "foundation/StandardTempo.h"

namespace crx {

class MidiTrackData;

// One tempo of a conductor track: microseconds per quarter note from tick on.
struct TempoChange {
  int64_t tick = 0;
  int32_t microsecondsPerQuarter = 0;
};

// Ticks to seconds along the tempo events of a track: each Set Tempo holds
// from its tick until the next one; before the first, the standard tempo
// (120 quarter notes a minute) holds, as a player assumes.
class TempoMap {
 public:
  static constexpr int kFallbackDivision = 480;

  // A division outside 1..32767 (frames per second instead of ticks per
  // quarter note) is taken as 480.
  TempoMap(const MidiTrackData& track, int division);
  // The same from a list of tempos (in any order; tempos of 0 or less are
  // passed over, of several at one tick the last holds).
  TempoMap(std::span<const TempoChange> tempos, int division);

  // Seconds from tick 0 to the tick (negative ticks count as 0).
  double Seconds(int64_t tick) const;
  int Division() const { return division_; }

 private:
  struct Change {
    int64_t tick;
    double seconds;  // at the tick
    int tempo;
  };
  explicit TempoMap(int division);
  void Add(int64_t tick, int tempo);

  int division_;
  std::vector<Change> changes_;  // the first at tick 0
};

}  // namespace crx
