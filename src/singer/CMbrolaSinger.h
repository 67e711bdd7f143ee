#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "singer/CDiphoneTable.h"
#include "singer/CMbrolaVoice.h"
#include "singer/CPhraseScore.h"
#include "singer/CVocalLevel.h"
#include "singer/SingerSequence.h"

namespace crx {

// Sings a sequence with a diphone voice: the notes read as moras, long vowel
// marks, moraic nasals and small tsu, cut into phrases at the rests, each
// phrase laid out as phones, said by the synthesizer in one run and placed at
// its own start, so that no phrase drifts from the beat.
class CMbrolaSinger {
 public:
  static constexpr int kSampleRate = CMbrolaVoice::kSampleRate;
  // A rest at least this long starts a new phrase.
  static constexpr double kPhraseRestSeconds = 0.25;
  // A note is sung at least this long; one whose next note starts sooner is
  // left out.
  static constexpr double kShortestNoteSeconds = 0.02;

  // The pitches the voice sings sanely (Hz).
  struct Range {
    double lowest;
    double highest;
  };
  static Range RangeOf(DiphoneVoice voice);

  CMbrolaSinger(const SingerSequence& sequence, DiphoneVoice voice);

  bool Ready() const { return voice_.Ready(); }
  const std::string& Error() const { return error_.empty() ? voice_.Error() : error_; }

  // The notes of the sequence as the voice sings them, in time order; what
  // was changed goes to problems, symbols no table holds to unknown.
  static std::vector<ScoreNote> Notes(const SingerSequence& sequence, DiphoneVoice voice,
                                      std::vector<std::string>& problems,
                                      std::vector<std::string>& unknown);
  // The phrases of the notes, rest to rest: [first, end) indexes.
  static std::vector<std::pair<size_t, size_t>> Phrases(const std::vector<ScoreNote>& notes);

  // Sings into the track (at kSampleRate, already as long as the sequence)
  // and gives where it sounds and where its notes are sung. A phrase that
  // fails is left silent and told of in Problems(); false when the
  // synthesizer cannot run at all or no phrase could be sung.
  bool Sing(std::vector<float>& track, SampleSpans& sounding, SampleSpans& sung);

  // What went wrong or was changed, in plain words, each once.
  const std::vector<std::string>& Problems() const { return problems_; }
  // Phonetic symbols no row of the phonetic table holds, sung on their vowel.
  const std::vector<std::string>& UnknownSymbols() const { return unknown_; }
  double SynthesisSeconds() const { return synthesisSeconds_; }
  size_t PhraseCount() const { return phraseCount_; }

 private:
  const SingerSequence& sequence_;
  DiphoneVoice id_;
  CMbrolaVoice voice_;
  std::string error_;
  std::vector<std::string> problems_;
  std::vector<std::string> unknown_;
  double synthesisSeconds_ = 0;
  size_t phraseCount_ = 0;
};

}  // namespace crx
