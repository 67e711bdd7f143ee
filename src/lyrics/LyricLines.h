#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lyrics/CVocaloidConvertDictionary.h"
#include "lyrics/LineReading.h"

namespace crx {

class CImeLanguage;
class MelodyReadings;
class MidiTrackData;

// A lyric event whose particle は or へ is sung わ or え.
struct SungParticleLyric {
  int event = 0;     // index in the lyric track
  std::string text;  // CP932: the event's text with its particles as sung
};

// The lyric track read line by line: the lyric events between line and page
// marks are joined into one text, which the reading service analyses once;
// every character of every event gets its reading within its line. Marks
// ("/", "<", ">") and ruby brackets are no part of a line's text.
class LyricLines {
 public:
  // A line longer than this many characters is read in pieces of it.
  static constexpr size_t kMaxLineCharacters = 128;

  // One character of an event's text with its reading.
  struct Character {
    size_t offset = 0;  // byte offset in the event's text
    std::string text;
    bool inLine = false;  // false for marks and what the line left out
    CharacterReading reading;
  };

  // Reads every line. A line also starts at the ticks given (the pages,
  // whose marks are gone by the time the readings are asked for).
  // No particle is found within the ranges given (readings that the kanji
  // dictionary wrote).
  // With melody, the words whose reading does not fit their notes are read
  // as the melody asks.
  LyricLines(const MidiTrackData& lyrics, CImeLanguage& ime, const std::vector<int64_t>& pageTicks,
             bool particlesAsSung, const std::vector<TickRange>& noParticles = {},
             MelodyReadings* melody = nullptr);

  // The characters of the event's text (none for other events).
  const std::vector<Character>& CharactersOf(int event) const;
  // The event's text with every character of its line replaced by its
  // reading there; nothing when a character that needs a reading (a
  // double-byte character that is no kana) got none.
  std::optional<std::string> ReadText(int event) const;
  // True when a double-byte character other than kana stands in the text.
  bool NeedsReading(int event) const;
  bool HasParticle(int event) const;

  // For every lyric event of the track holding the particle は or へ, its
  // text with them as sung (わ, え), read with the installed reading service;
  // other は and へ (はな, へや) stay. Empty without a reading service.
  static std::vector<SungParticleLyric> SungParticles(const MidiTrackData& lyrics);

 private:
  void ReadPiece(CImeLanguage& ime, const std::vector<std::pair<int, size_t>>& where,
                 bool particlesAsSung, MelodyReadings* melody);

  std::vector<std::vector<Character>> events_;
};

}  // namespace crx
