#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "lyrics/CVocaloidConvertInternalData.h"
#include "lyrics/MelodyReadings.h"

namespace crx {

class CVocaloid;
class MidiTrackData;
class XfKaraokeData;

// The division the vocal sequence is written in; other divisions are warned of.
inline constexpr int kVocalDivision = 480;
inline constexpr const char* kDivisionWarningMessage = "分解能警告";
// Shown when no melody note of the song received a syllable.
inline constexpr const char* kNothingToSingMessage =
    "メロディの音符に割り当てられる歌詞がありません。";

// How the conversion treats what the karaoke file leaves to the singer.
struct ConvertOptions {
  // The particles は and へ are sung わ and え.
  bool particlesAsSung = false;
  // A kanji word whose reading has more or fewer morae than it has notes is
  // read as the notes ask, where the reading service or the word list knows
  // such a reading.
  bool readingsByMelody = true;
  // Filled with the words whose reading the melody chose, when given.
  std::vector<MelodyReadingChoice>* melodyChoices = nullptr;
};

// What a conversion tells its caller besides its messages.
struct ConvertResult {
  // Notes or syllables past a limit were left unsung.
  bool limitHit = false;
  // A word had more kanji candidates than are looked at (the user hears a
  // beep for it).
  bool candidatesCut = false;
};

// The lyric found at a note's tick.
struct NoteLyric {
  std::string text;        // CP932, without spaces; empty when nothing is sung there
  int firstIndex = -1;     // index of the first lyric event at the tick (-1: none)
  bool lineBreak = false;  // a "/" stood at the tick
};

// Where a pass along the melody stands in the lyric track: every event
// before index lies before tick. Notes come in time order, so one cursor
// serves a whole pass and the track is walked once instead of once a note.
struct LyricCursor {
  int index = 0;
  int64_t timeBefore = 0;  // absolute time before the event at index
  int64_t tick = 0;        // the tick last looked up

  // Moves to the first event at tick or later; an earlier tick than the
  // last starts over. The track may have changed only at or after index.
  void Seek(const MidiTrackData& lyricTrack, int64_t tick);
};

// Turns the melody and the lyrics of the loaded song into sung syllables: runs
// the kana passes in their fixed order, gives notes without a lyric of their
// own a share of the lyric before them, splits the kana into syllables with
// their phonetic symbols, divides every note among its syllables and collects
// the review lines. The song's tracks are changed in place.
class CVocaloidConvert {
 public:
  // The whole conversion. The previous result in the holder is freed first;
  // the review lines are appended to the caller's list. Failures are
  // reported on the way; the run always completes.
  static ConvertResult Run(XfKaraokeData& song, CVocaloid& vocaloid, int melodyChannel,
                           const std::string& dictionaryFolder,
                           std::vector<std::string>& reviewLines);
  // The same with the options; the lyrics that hold a syllable the split
  // cannot sing are stored in unsung when it is given.
  static ConvertResult Run(XfKaraokeData& song, CVocaloid& vocaloid, int melodyChannel,
                           const std::string& dictionaryFolder,
                           std::vector<std::string>& reviewLines, const ConvertOptions& options,
                           std::vector<UnsungLyric>* unsung = nullptr);

  // The lyric at an absolute tick: the first lyric event there that is no
  // marker ("イントロ", "エンディング", "/"), without a leading "<" or ">".
  // A "/" at the start of the lyric marks a line break before it.
  static NoteLyric LyricAtTick(const MidiTrackData& lyricTrack, int64_t tick);
  // The same, looked up from the cursor of a pass in time order.
  static NoteLyric LyricAtTick(const MidiTrackData& lyricTrack, int64_t tick, LyricCursor& cursor);

  // Note insertion: every melody note without a lyric event at its tick takes
  // all but the first character of the lyric before it, in a new lyric event
  // at the note's tick.
  static void InsertNoteLyrics(const MidiTrackData& mainTrack, MidiTrackData& lyricTrack,
                               int melodyChannel);
  // How a lyric is shared with the notes after it.
  enum class Sharing {
    Characters,  // every lyric, a character for each note, as written
    Written,     // the same, but a lyric that is still to be read waits
    Morae,       // lyrics read by now: a mora for each note, never apart from its small kana
  };
  static void InsertNoteLyrics(const MidiTrackData& mainTrack, MidiTrackData& lyricTrack,
                               int melodyChannel, Sharing sharing);

  // The text without its spaces (" " and "　").
  static std::string RemoveSpaces(std::string_view text);
};

}  // namespace crx
