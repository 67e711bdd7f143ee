#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "lyrics/VocalNote.h"

namespace crx {

// Room for syllable records in one conversion result.
inline constexpr int kVocalNoteCapacity = 2048;
// Pause, in milliseconds, that the vocal-MIDI writer makes before writing.
inline constexpr int kDefaultPauseLength = 5;
inline constexpr int kMidiChannelCount = 16;

// The syllable records of the converted song, owned by the main dialog for as
// long as the program runs: filled by the lyric conversion, read by the
// vocal-MIDI writer. Holds at most kVocalNoteCapacity records.
class CVocaloid {
 public:
  CVocaloid();

  // Frees the previous result: no records afterwards.
  void Clear();
  // Appends a record. False, and nothing stored, when the holder is full.
  bool Add(VocalNote note);

  int Count() const { return static_cast<int>(notes_.size()); }
  bool IsFull() const { return notes_.size() >= static_cast<size_t>(kVocalNoteCapacity); }
  static constexpr int Capacity() { return kVocalNoteCapacity; }

  // Records in order; index must be below Count().
  const VocalNote& At(int index) const { return notes_.at(static_cast<size_t>(index)); }
  VocalNote& At(int index) { return notes_.at(static_cast<size_t>(index)); }
  std::span<const VocalNote> Notes() const { return notes_; }

  // The melody channel, 0 to 15. SetMelodyChannel refuses other values (false).
  int MelodyChannel() const { return melodyChannel_; }
  bool SetMelodyChannel(int channel);

  int PauseLength() const { return pauseLength_; }
  void SetPauseLength(int milliseconds) { pauseLength_ = milliseconds; }

 private:
  std::vector<VocalNote> notes_;
  int melodyChannel_ = 0;
  int pauseLength_ = kDefaultPauseLength;
};

}  // namespace crx
