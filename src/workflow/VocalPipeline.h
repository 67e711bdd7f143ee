#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lyrics/CVocaloidConvertInternalData.h"
#include "lyrics/LyricTrackPreparer.h"
#include "lyrics/MelodyReadings.h"

namespace crx {

class CVocaloid;
class XfKaraokeData;

// Lowest and highest note of the melody channel.
struct MelodyRange {
  int lowest = 127;
  int highest = 0;
};

// Shows the melody range and may move it by octaves (the melody-range dialog,
// or presses given on a command line). False ends the load before the melody
// is moved.
using MelodyRangeChooser = std::function<bool(MelodyRange& range)>;

// The channel that carries the melody, and why it was taken.
struct MelodyChannel {
  int channel = 0;     // 0 to 15
  std::string reason;  // UTF-8, for the review and the headless commands
};

// What the lyric conversion left for the vocal MIDI.
struct ConversionOutcome {
  int sungRecords = 0;    // records before the end record
  bool limitHit = false;  // the song did not fit the conversion's limits
  // Lyrics with a syllable that could not be read (sung "a"), in note order.
  std::vector<UnsungLyric> unsung;
  // Kanji words whose reading the melody chose, in order.
  std::vector<MelodyReadingChoice> melodyChoices;
};

// Steps 1 to 3 of the pipeline as the manual steps and the automatic run
// share them: loading the karaoke song with its melody range, the lyric
// conversion without dialogs, and the writing of the vocal MIDI.
class VocalPipeline {
 public:
  // The range the melody-range check accepts, and what it says of another.
  static constexpr int kLowestSingableNote = 12;
  static constexpr int kHighestSingableNote = 115;
  static constexpr std::string_view kRangeMessage = "音域が異常です。";
  static constexpr int kOctave = 12;

  // Step 1 after the file was chosen: reads the karaoke file into song (none
  // when it yields no main-track event or no lyric track), records its first
  // tempo (firstTempo unchanged without one), lets choose move the melody
  // range and transposes the melody channel by the change of its lowest note
  // (transpose). False when no song was loaded or choose refused.
  static bool LoadKaraokeMidi(const std::string& path, int melodyChannel,
                              const MelodyRangeChooser& choose,
                              std::unique_ptr<XfKaraokeData>& song, int& firstTempo,
                              int& transpose);
  // The same for any karaoke or lyric MIDI file the loader knows: the melody
  // channel is the one given, else the one the song names (its lyrics cue,
  // its guide track), else MIDI channel 1; the lyrics are prepared for the
  // conversion on that channel before the range is chosen.
  static bool LoadKaraokeMidi(const std::string& path, std::optional<int> givenChannel,
                              const MelodyRangeChooser& choose,
                              std::unique_ptr<XfKaraokeData>& song, int& firstTempo, int& transpose,
                              MelodyChannel& melody,
                              const LyricPreparationOptions& preparation = {});
  // "--melody-channel N": 1 to 16, as MIDI counts them; the 0-based channel.
  static std::optional<int> ParseMelodyChannel(std::string_view text);
  // "メロディ: チャンネル N（reason）".
  static std::string MelodyChannelText(const MelodyChannel& melody);

  // The choice of a headless run: the range moved by that many octaves, then
  // the range check, which reports kRangeMessage and refuses a range
  // outside 12 to 115.
  static MelodyRangeChooser OctaveShift(int octaves);
  // "--octave N" of the headless commands: a whole number from -10 to 10,
  // "+" allowed; nothing when the text is not one.
  static constexpr int kMaxOctaveShift = 10;
  static std::optional<int> ParseOctaveShift(std::string_view text);
  static bool IsSingable(const MelodyRange& range);

  // Names the lyrics that could not be read, with their times.
  static constexpr const char* kUnsungMessage = "読みのない歌詞を「あ」で歌います:";
  // The message names at most this many lyrics.
  static constexpr size_t kMaxUnsungNamed = 20;

  // The lyric conversion as the automatic run does it: no pre-check and no
  // review dialog; the particles は and へ are sung わ and え unless
  // particlesAsSung is false. The review lines are appended to reviewLines.
  // Lyrics that could not be read are named in one message (kUnsungMessage).
  static ConversionOutcome ConvertLyrics(XfKaraokeData& song, CVocaloid& vocaloid,
                                         int melodyChannel, const std::string& dictionaryFolder,
                                         std::vector<std::string>& reviewLines,
                                         bool particlesAsSung = true);

  // The message for lyrics that could not be read: each lyric (UTF-8) with
  // its time in the song ("m:ss.s", from the main track's tempos).
  static std::string UnsungMessage(const std::vector<UnsungLyric>& unsung,
                                   const XfKaraokeData& song);

  // Step 3's writing: the voice list from the voice folder (empty: the main
  // program's choice), then the vocal MIDI from the records and the song's
  // main track. True when the file was written.
  static bool WriteVocalMidi(const CVocaloid& vocaloid, const XfKaraokeData& song,
                             const std::string& path, const std::string& voiceFolder = {});
};

}  // namespace crx
