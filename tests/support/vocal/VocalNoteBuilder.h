#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lyrics/VocalNote.h"
#include "midi/MidiTrackData.h"

namespace crx::test {

// UTF-8 text as the CP932 bytes that lyrics and singer names are held in.
std::string Cp932(std::string_view utf8);

// A sung syllable as the lyric conversion leaves it: the kana (UTF-8 here,
// stored as CP932) with the phonetic symbol and consonant value of its row.
VocalNote Syllable(int tick, int note, int length, std::string_view kanaUtf8);
// The end record the conversion adds at the track's end.
VocalNote EndRecord(int tick);

// Records of one syllable per note, each lasting until the next, and the end
// record: notes of a melody given as (tick, note number, kana).
struct MelodyStep {
  int tick;
  int note;
  std::string_view kana;
};
std::vector<VocalNote> SungMelody(const std::vector<MelodyStep>& steps, int endTick);

// A karaoke main track (form 2) holding tempo events given as (absolute tick,
// microseconds per quarter note); lastTick receives the tick of the last.
std::unique_ptr<MidiTrackData> TempoTrack(const std::vector<std::pair<int, int>>& tempos,
                                          int& lastTick);

}  // namespace crx::test
