#pragma once

#include <cstdint>
#include <string>

namespace crx {

// The note number of the end record, the last record of every conversion.
inline constexpr int32_t kEndNoteNumber = -1;

// Consonant values of a syllable: a bare vowel, or a syllable with a consonant.
inline constexpr int32_t kVowelConsonantValue = 0;
inline constexpr int32_t kConsonantValue = 64;

// One sung syllable of the vocal sequence.
struct VocalNote {
  int32_t startTick = 0;                // absolute tick in the song's division
  int32_t noteNumber = 0;               // MIDI note number; kEndNoteNumber in the end record
  int32_t length = 0;                   // ticks
  std::string lyric;                    // the syllable in kana (CP932)
  std::string phonetic;                 // phonetic symbol, phonemes separated by one blank
  int32_t consonant = kConsonantValue;  // kVowelConsonantValue or kConsonantValue

  bool IsEndRecord() const { return noteNumber == kEndNoteNumber; }
  bool operator==(const VocalNote&) const = default;
};

}  // namespace crx
