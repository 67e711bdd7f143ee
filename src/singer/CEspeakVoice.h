#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace crx {

// The voices of the singer: the female one, the male one and a second
// female one (sung by the female voice where there is no second).
enum class SingerVoice { Female, Male, Female2 };

// One syllable as the speech synthesizer says it at one pitch: mono samples
// at kSampleRate, where the audible part begins, where its vowel begins and
// where the vowel fades out, and the length of the consonant before the
// vowel that is a sonorant (voiced, so the vowel event comes late).
struct SyllableSound {
  std::vector<float> samples;
  size_t soundStart = 0;
  size_t vowelStart = 0;
  size_t vowelEnd = 0;
};

// The speech synthesizer as the singer drives it: its Japanese voice with a
// voice definition generated for each pitch (flat intonation, no flutter,
// range 0) in a folder of our own that is removed again. The synthesizer's
// state is process-wide, so one instance exists at a time and every call is
// serialised.
class CEspeakVoice {
 public:
  static constexpr int kSampleRate = 22050;
  // The slowest rate the synthesizer honours would make needlessly long
  // vowels: ours are stretched anyway.
  static constexpr int kRate = 120;

  // Starts the synthesizer; Ready() tells whether that worked, Error() why not.
  explicit CEspeakVoice(SingerVoice voice);
  ~CEspeakVoice();
  CEspeakVoice(const CEspeakVoice&) = delete;
  CEspeakVoice& operator=(const CEspeakVoice&) = delete;

  bool Ready() const { return ready_; }
  const std::string& Error() const { return error_; }

  // Says the kana (UTF-8) at the fundamental in Hz. False (with Error())
  // when the synthesizer fails.
  bool Say(std::string_view kana, double frequency, SyllableSound& out);

 private:
  bool WriteVoiceFile(const std::string& path, double pitch) const;

  SingerVoice voice_;
  bool ready_ = false;
  std::string error_;
  std::string folder_;
  std::vector<std::string> files_;
};

}  // namespace crx
