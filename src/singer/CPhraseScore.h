#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "singer/CDiphoneTable.h"
#include "singer/CMbrolaPhonemes.h"
#include "singer/CPhoWriter.h"
#include "singer/CPitchCurve.h"

namespace crx {

// One note of a phrase as the diphone voice sings it.
struct ScoreNote {
  enum class Kind {
    Mora,     // a mora: its onset before the beat, its vowel from the beat
    Nasal,    // the moraic nasal held on its own note
    Closure,  // the small tsu: silence until the next onset
    Hold,     // a long vowel mark or a second nasal: the sound before held on
  };
  Kind kind = Kind::Mora;
  Mora mora;  // a Hold that has nothing to hold sings this
  double start = 0;
  double end = 0;
  double hz = 0;
  double vibratoFrom = 0;
  double vibratoCents = 0;
  double vibratoRate = 0;
};

// A phone placed in time (seconds).
struct ScorePhone {
  std::string symbol;
  double start = 0;
  double end = 0;
};

// One phrase (rest to rest) laid out as the phones of a diphone voice: each
// vowel starts on its note, the onset before the beat taken from the vowel
// before; a vowel longer than a few tenths of a second is said as head, body
// and tail of the same vowel so that it neither swells nor steps, its body
// cut into pieces short enough for the synthesizer; the moraic nasal takes
// its place from what follows; every pair of neighbouring phones is one the
// voice holds, or the next way to say the mora is taken, or a short silence
// put between.
class CPhraseScore {
 public:
  static constexpr double kLeadSilenceSeconds = 0.05;
  static constexpr double kTrailSilenceSeconds = 0.05;
  // Notes closer than this are sung legato.
  static constexpr double kLegatoGapSeconds = 0.08;
  // An onset takes at most this share of the vowel before it.
  static constexpr double kOnsetShareOfPrevious = 0.5;
  static constexpr double kSplitFromSeconds = 0.16;
  static constexpr double kHeadSeconds = 0.06;
  static constexpr double kTailSeconds = 0.06;
  // A vowel before silence ends this much before its note, so that it has
  // died away at the note's end.
  static constexpr double kReleaseSeconds = 0.02;
  // Longest piece of a held vowel: within the synthesizer's limit of pitch
  // periods at any sung pitch, and few enough pitch points for one line.
  static constexpr double kLongestPieceSeconds = 0.7;
  // A held nasal cannot be cut into pieces; it is held at most this many
  // pitch periods.
  static constexpr double kMostNasalPeriods = 2500;
  // The voicing lag moves a vowel by at most this share of its note.
  static constexpr double kMostLagShare = 0.25;
  // Phones are kept this much longer than the shortest the writer takes.
  static constexpr double kShortestPhoneSeconds = CPhoWriter::kShortestPhoneSeconds + 0.0005;

  // notes: in time order, all of one phrase.
  CPhraseScore(DiphoneVoice voice, std::span<const ScoreNote> notes, int sampleRate);

  // Where the phrase's sound starts (its first silence) and ends.
  double Origin() const { return origin_; }
  double End() const { return phones_.empty() ? origin_ : phones_.back().end; }
  const std::vector<ScorePhone>& Phones() const { return phones_; }
  // The phones with their pitch points, for the phoneme file.
  std::vector<PhoPhone> PhoPhones() const;
  // Where the phrase sounds (first onset to end of the vowel) and where its
  // notes are sung (beat to end of the vowel), in seconds.
  const std::vector<std::pair<double, double>>& Sounding() const { return sounding_; }
  const std::vector<std::pair<double, double>>& Sung() const { return sung_; }
  // Neighbouring phones the voice does not join ("X-Y"), each once. The
  // synthesizer says silence there.
  const std::vector<std::string>& Unjoined() const { return unjoined_; }

 private:
  // A sounding unit: a mora with the notes that hold it, a nasal, or a
  // closure; its phones and where they fall.
  struct Unit {
    ScoreNote::Kind kind = ScoreNote::Kind::Mora;
    Mora mora;
    double start = 0;
    double end = 0;
    bool legatoNext = false;
    std::vector<CPitchCurve::Segment> segments;
    std::vector<std::string> onset;
    std::vector<double> onsetLengths;
    std::string nucleus;
    double onsetStart = 0;
    double nucleusStart = 0;  // the beat, moved by the voice's voicing lag
    double nucleusEnd = 0;
  };
  void MakeUnits(std::span<const ScoreNote> notes);
  void ChoosePhones();
  void Place();
  void Lay();
  bool Joins(const std::string& from, const std::vector<std::string>& phones) const;

  DiphoneVoice voice_;
  CPitchCurve curve_;
  double origin_ = 0;
  std::vector<Unit> units_;
  std::vector<ScorePhone> phones_;
  std::vector<std::pair<double, double>> sounding_;
  std::vector<std::pair<double, double>> sung_;
  std::vector<std::string> unjoined_;
};

}  // namespace crx
