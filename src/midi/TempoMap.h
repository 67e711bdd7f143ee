#pragma once

#include <cstdint>
#include <vector>

namespace crx {

class MidiTrackData;

// Ticks to seconds along the tempo events of a track: each Set Tempo holds
// from its tick until the next one; before the first, 120 quarter notes a
// minute hold, as a player assumes.
class TempoMap {
 public:
  static constexpr int kStandardTempo = 500000;  // microseconds per quarter note
  static constexpr int kFallbackDivision = 480;

  // A division outside 1..32767 (frames per second instead of ticks per
  // quarter note) is taken as 480.
  TempoMap(const MidiTrackData& track, int division);

  // Seconds from tick 0 to the tick (negative ticks count as 0).
  double Seconds(int64_t tick) const;
  int Division() const { return division_; }

 private:
  struct Change {
    int64_t tick;
    double seconds;  // at the tick
    int tempo;
  };
  int division_;
  std::vector<Change> changes_;  // the first at tick 0
};

}  // namespace crx
