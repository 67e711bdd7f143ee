#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ReadingService.h"

namespace crx {

class CImeLanguage;
class MidiTrackData;
class TempoMap;
class WordDictionary;

// A kanji word whose reading the melody chose.
struct MelodyReadingChoice {
  int64_t tick = 0;    // where the word's first lyric stands
  std::string word;    // CP932, as written
  std::string common;  // CP932: the reading of the line's analysis
  std::string chosen;  // CP932: the reading that fits the notes
  int notes = 0;       // the notes the word is sung on
};

// Chooses the reading of a kanji word by the notes it is sung on. A word's
// lyric stands on its first note; the notes after it that carry no lyric of
// their own take the rest of its reading, so the number of notes tells the
// number of morae the sung reading has. Where the line's analysis gives a
// reading of another length, the candidates are the service's next-best
// analyses of the line, then the readings the word list gives the word,
// then, for a word of several morphemes, the reading with its second half
// voiced; the first with as many morae as notes is taken. Where none fits
// (a melisma, a word sharing its note), the analysis stands.
class MelodyReadings {
 public:
  // The analyses of a line asked for when one of its words does not fit.
  static constexpr size_t kRankedAnalyses = 8;

  // notesPerEvent and eventTicks are indexed like the lyric track's events.
  // Without a word list the installed one is used, loaded only when a word
  // does not fit its notes (most songs never need it).
  MelodyReadings(std::vector<int> notesPerEvent, std::vector<int64_t> eventTicks,
                 const WordDictionary* words = nullptr);

  // For every lyric event of the track, the melody notes it is sung on: the
  // notes from its tick up to the next lyric at a later tick (the end of the
  // track for the last); 0 for other events and for a lyric followed by
  // another at the same tick.
  static std::vector<int> NotesPerLyric(const MidiTrackData& main, const MidiTrackData& lyrics,
                                        int melodyChannel);

  // The line's characters (CP932) with the lyric event and the index each
  // came from, its text and its analysis: the readings of the words that do
  // not fit their notes are replaced, several morphemes of one word joined.
  void Choose(const std::vector<std::pair<int, size_t>>& where,
              const std::vector<std::string>& characters, std::string_view lineText,
              std::vector<Morpheme>& morphemes, CImeLanguage& ime);

  const std::vector<MelodyReadingChoice>& Choices() const { return choices_; }

  // "「故郷」こきょう → ふるさと（4音） 0:12.3" (UTF-8), the time in the song.
  static std::string Describe(const MelodyReadingChoice& choice, const TempoMap& tempo);

  // Morae of a kana text: every kana but the small ones that join the kana
  // before them (ゃ, ゅ, ょ, ぁ, ...).
  static size_t Morae(std::string_view cp932);
  // The reading with its first kana voiced (か → が, は → ば, ...); the
  // reading itself when that kana has no voiced form.
  static std::string Voiced(std::string_view cp932);

 private:
  std::vector<int> notesPerEvent_;
  std::vector<int64_t> eventTicks_;
  const WordDictionary& Words();

  const WordDictionary* words_;
  std::vector<MelodyReadingChoice> choices_;
};

}  // namespace crx
