#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "singer/CEspeakVoice.h"
#include "singer/CVocalLevel.h"
#include "singer/SingerSequence.h"

namespace crx {

class CGrainStretch;

// Time spent singing: in the speech synthesizer and in our own signal code.
struct SingerTimings {
  double synthesisSeconds = 0;
  double signalSeconds = 0;
};

// Sings a sequence: every note's syllable said at the note's pitch, its
// consonant before the beat and its vowel held by the grain stretch to the
// note's end, notes joined by short crossfades, vibrato, the whole brought to
// 44100 Hz and to the voice's level, with digital silence outside the notes.
class CSongSinger {
 public:
  static constexpr int kOutputRate = 44100;
  // The longest sequence sung: an hour.
  static constexpr size_t kMaxSeconds = 3600;
  // The default voice is female when the melody's median note is this or higher.
  static constexpr int kFemaleFromNote = 66;

  CSongSinger(const SingerSequence& sequence, SingerVoice voice);
  ~CSongSinger();
  CSongSinger(const CSongSinger&) = delete;
  CSongSinger& operator=(const CSongSinger&) = delete;

  // The voice at 44100 Hz, mono, as long as the sequence. False with Error()
  // when the synthesizer fails or the sequence lasts longer than kMaxSeconds.
  bool Sing(std::vector<float>& out);

  const std::string& Error() const { return error_; }
  // Phonetic symbols that no row of the phonetic table holds, sung on their
  // vowel, each once in order of appearance.
  const std::vector<std::string>& UnknownSymbols() const { return unknown_; }
  const SingerTimings& Timings() const { return timings_; }
  // The sung spans (note start to end of its vowel) in output samples.
  const SampleSpans& SungSpans() const { return sung_; }

  static SingerVoice VoiceForMelody(const SingerSequence& sequence);
  // The output length in samples: the sequence's end under its tempo map.
  static size_t OutputLength(const SingerSequence& sequence);

 private:
  struct Syllable;
  const Syllable* Sound(const std::string& kana, int noteNumber);
  std::string KanaOf(size_t index, std::string& previousVowel);

  const SingerSequence& sequence_;
  SingerVoice voice_;
  std::string error_;
  std::vector<std::string> unknown_;
  SingerTimings timings_;
  SampleSpans sung_;
  std::unique_ptr<CEspeakVoice> engine_;
  std::map<std::string, std::unique_ptr<Syllable>> cache_;
};

}  // namespace crx
