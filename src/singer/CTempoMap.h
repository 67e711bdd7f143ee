#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "singer/SingerSequence.h"

namespace crx {

// Converts ticks into seconds under a tempo map (tempos in tick order, the
// first at tick 0).
class CTempoMap {
 public:
  CTempoMap(std::span<const TempoChange> tempos, int32_t division);
  double Seconds(int64_t tick) const;

 private:
  struct Segment {
    int64_t tick;
    double seconds;         // at the segment's start
    double secondsPerTick;  // within the segment
  };
  std::vector<Segment> segments_;
};

}  // namespace crx
