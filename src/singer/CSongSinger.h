#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "singer/CDiphoneTable.h"
#include "singer/CEspeakVoice.h"
#include "singer/CVocalLevel.h"
#include "singer/SingerSequence.h"

namespace crx {

class CGrainStretch;

// The synthesizers the singer sings with: the diphone synthesizer with
// recorded voices, or the formant synthesizer.
enum class SingerEngine { Mbrola, Espeak };

// Time spent singing: in the synthesizer, in resampling and in our own
// signal code (resampling included).
struct SingerTimings {
  double synthesisSeconds = 0;
  double resamplingSeconds = 0;
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

  CSongSinger(const SingerSequence& sequence, SingerVoice voice,
              SingerEngine engine = SingerEngine::Espeak);
  ~CSongSinger();
  CSongSinger(const CSongSinger&) = delete;
  CSongSinger& operator=(const CSongSinger&) = delete;

  // The voice at 44100 Hz, mono, as long as the sequence. False with Error()
  // when the synthesizer fails or the sequence lasts longer than kMaxSeconds.
  bool Sing(std::vector<float>& out);

  const std::string& Error() const { return error_; }
  // What was changed or went wrong while singing, in plain words (phrases
  // that could not be sung, notes out of the voice's range...).
  const std::vector<std::string>& Problems() const { return problems_; }
  // Phonetic symbols that no row of the phonetic table holds, sung on their
  // vowel, each once in order of appearance.
  const std::vector<std::string>& UnknownSymbols() const { return unknown_; }
  const SingerTimings& Timings() const { return timings_; }
  // The sung spans (note start to end of its vowel) in output samples.
  const SampleSpans& SungSpans() const { return sung_; }

  static SingerVoice VoiceForMelody(const SingerSequence& sequence);
  // The diphone voice that sings a voice of the singer.
  static DiphoneVoice DiphoneVoiceOf(SingerVoice voice);
  // A lyric that holds the vowel before it (CP932 "ー"), and the small tsu.
  static bool IsLongVowelMark(const std::string& lyric);
  static bool IsSmallTsu(const std::string& lyric);
  // The output length in samples: the sequence's end under its tempo map.
  static size_t OutputLength(const SingerSequence& sequence);

 private:
  struct Syllable;
  const Syllable* Sound(const std::string& kana, int noteNumber);
  std::string KanaOf(size_t index, std::string& previousVowel);
  bool SingEspeak(std::vector<float>& track, SampleSpans& sounding);
  bool SingMbrola(std::vector<float>& track, SampleSpans& sounding);

  const SingerSequence& sequence_;
  SingerVoice voice_;
  SingerEngine engineKind_;
  std::string error_;
  std::vector<std::string> problems_;
  std::vector<std::string> unknown_;
  SingerTimings timings_;
  SampleSpans sung_;
  std::unique_ptr<CEspeakVoice> engine_;
  std::map<std::string, std::unique_ptr<Syllable>> cache_;
};

}  // namespace crx
