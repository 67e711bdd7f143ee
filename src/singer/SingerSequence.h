#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "midi/TempoMap.h"

namespace crx {

// The vibrato of one note as its handle gives it: depth and rate on the
// editor's 0-127 scales, the ticks after the note's start where it begins and
// the ticks it lasts.
struct SungVibrato {
  int32_t depth = 0;
  int32_t rate = 0;
  int32_t delay = 0;
  int32_t length = 0;
};

// One note of the sequence: its tick (pre-measures included), length in
// ticks, note number, the lyric (CP932) and the phonetic symbol of its lyric
// handle, and its vibrato when it has a vibrato handle.
struct SungNote {
  int64_t tick = 0;
  int32_t length = 0;
  int32_t noteNumber = 0;
  int32_t dynamics = 64;
  std::string lyric;
  std::string phonetic;
  bool hasVibrato = false;
  SungVibrato vibrato;
};

// What the singer sings: the notes in time order, the tempo map, the tick at
// which the sequence ends and the ticks per quarter note.
struct SingerSequence {
  std::vector<SungNote> notes;
  std::vector<TempoChange> tempos;
  int64_t endTick = 0;
  int32_t division = 480;
};

}  // namespace crx
