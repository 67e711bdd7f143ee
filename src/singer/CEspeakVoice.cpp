#include "singer/CEspeakVoice.h"

#include <espeak-ng/speak_lib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "foundation/FileHelpers.h"

namespace crx {
namespace {

// The synthesizer says a pitch "B" about 9 Hz low over the whole range we
// sing (measured from 100 to 800 Hz); the grain stretch corrects the rest.
constexpr double kPitchOffsetHz = 9.0;
// Pitch parameter at the middle of its scale and no pitch range: flat.
constexpr int kPitchParameter = 50;
constexpr int kRangeParameter = 0;
constexpr int kBufferMilliseconds = 200;
// Part of the loudest sample below which the start counts as silence.
constexpr float kSoundThreshold = 0.01f;
// Sonorant consonants: the vowel event comes this late after the real vowel
// start at our rate (measured on な, ま, や, ら, わ).
constexpr double kNasalLagSeconds = 0.09;
constexpr double kGlideLagSeconds = 0.035;
constexpr double kShortestConsonantSeconds = 0.03;
constexpr float kSampleScale = 1.0f / 32768.0f;

constexpr const char* kVoiceLines =
    "language ja\n"
    "phonemes ja\n"
    "intonation 4\n"
    "flutter 0\n";
// The female voice: raised formants, no echo, no roughness.
constexpr const char* kFemaleFormants =
    "formant 0 115 80 150\n"
    "formant 1 120 80 180\n"
    "formant 2 100 70 150 150\n"
    "formant 3 115 70 150\n"
    "formant 4 110 80 150\n"
    "formant 5 110 90 150\n"
    "formant 6 105 80 150\n"
    "formant 7 110 70 150\n"
    "formant 8 110 70 150\n";

struct PhonemeMark {
  std::string name;
  size_t sample = 0;
};

// What the callback collects during one synthesis.
struct Capture {
  std::vector<short> samples;
  std::vector<PhonemeMark> phonemes;
};

std::mutex& SynthMutex() {
  static std::mutex mutex;
  return mutex;
}
Capture* gCapture = nullptr;
bool gStarted = false;
int gStartResult = 0;

int Collect(short* wave, int count, espeak_EVENT* events) {
  if (gCapture == nullptr) return 0;
  if (wave != nullptr && count > 0)
    gCapture->samples.insert(gCapture->samples.end(), wave, wave + count);
  for (espeak_EVENT* e = events; e != nullptr && e->type != espeakEVENT_LIST_TERMINATED; ++e) {
    if (e->type != espeakEVENT_PHONEME) continue;
    char name[sizeof e->id.string + 1] = {};
    std::memcpy(name, e->id.string, sizeof e->id.string);
    gCapture->phonemes.push_back({name, static_cast<size_t>(std::max(0, e->sample))});
  }
  return 0;
}

bool IsPause(const std::string& name) { return name.empty() || name[0] == '_'; }

// Lag of the vowel event behind the real vowel start after a sonorant.
double SonorantLag(const std::string& consonant) {
  if (consonant.empty()) return 0;
  switch (consonant[0]) {
    case 'n':
    case 'm':
    case 'N':
    case 'J':
      return kNasalLagSeconds;
    case 'j':
    case 'r':
    case 'w':
      return kGlideLagSeconds;
    default:
      return 0;
  }
}

bool HasUpperCase(const std::string& s) {
  return std::any_of(s.begin(), s.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

}  // namespace

CEspeakVoice::CEspeakVoice(SingerVoice voice) : voice_(voice) {
  {
    std::lock_guard<std::mutex> lock(SynthMutex());
    if (!gStarted) {
      gStartResult = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, kBufferMilliseconds, nullptr,
                                       espeakINITIALIZE_PHONEME_EVENTS);
      gStarted = true;
      if (gStartResult == kSampleRate) espeak_SetSynthCallback(Collect);
    }
  }
  if (gStartResult != kSampleRate) {
    error_ = "the speech synthesizer (espeak-ng) could not start; is espeak-ng-data installed?";
    return;
  }
  // The synthesizer refuses voice files whose path holds capital letters.
  const char* tmp = std::getenv("TMPDIR");
  std::string base = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
  if (HasUpperCase(base)) base = "/tmp";
  for (int n = 0; n < 1000 && folder_.empty(); ++n) {
    const std::string candidate =
        JoinPath(base, "crxsinger-" + std::to_string(getpid()) + "-" + std::to_string(n));
    if (mkdir(candidate.c_str(), 0700) == 0) folder_ = candidate;
  }
  if (folder_.empty()) {
    error_ = "cannot make a temporary folder in " + base;
    return;
  }
  ready_ = true;
}

CEspeakVoice::~CEspeakVoice() {
  for (const std::string& f : files_) std::remove(f.c_str());
  if (!folder_.empty()) rmdir(folder_.c_str());
}

bool CEspeakVoice::WriteVoiceFile(const std::string& path, double pitch) const {
  FILE* f = std::fopen(path.c_str(), "w");
  if (f == nullptr) return false;
  std::fputs(kVoiceLines, f);
  std::fprintf(f, "pitch %.0f %.0f\n", pitch, pitch);
  if (voice_ != SingerVoice::Male) std::fputs(kFemaleFormants, f);
  return std::fclose(f) == 0;
}

bool CEspeakVoice::Say(std::string_view kana, double frequency, SyllableSound& out) {
  if (!ready_) return false;
  const double pitch = std::round(frequency + kPitchOffsetHz);
  const std::string path = JoinPath(folder_, "p" + std::to_string(static_cast<long>(pitch)));
  if (std::find(files_.begin(), files_.end(), path) == files_.end()) {
    if (!WriteVoiceFile(path, pitch)) {
      error_ = "cannot write the voice file " + path;
      return false;
    }
    files_.push_back(path);
  }

  Capture capture;
  {
    std::lock_guard<std::mutex> lock(SynthMutex());
    if (espeak_SetVoiceByFile(path.c_str()) != EE_OK) {
      error_ = "the speech synthesizer refused the voice file " + path;
      return false;
    }
    espeak_SetParameter(espeakRATE, kRate, 0);
    espeak_SetParameter(espeakPITCH, kPitchParameter, 0);
    espeak_SetParameter(espeakRANGE, kRangeParameter, 0);
    const std::string text(kana);
    gCapture = &capture;
    const espeak_ERROR result = espeak_Synth(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0,
                                             espeakCHARS_UTF8, nullptr, nullptr);
    espeak_Synchronize();
    gCapture = nullptr;
    if (result != EE_OK) {
      error_ = "the speech synthesizer failed on " + text;
      return false;
    }
  }

  out = SyllableSound{};
  out.samples.resize(capture.samples.size());
  float peak = 0;
  for (size_t i = 0; i < capture.samples.size(); ++i) {
    out.samples[i] = capture.samples[i] * kSampleScale;
    peak = std::max(peak, std::fabs(out.samples[i]));
  }
  const size_t size = out.samples.size();
  while (out.soundStart < size && std::fabs(out.samples[out.soundStart]) < peak * kSoundThreshold)
    ++out.soundStart;

  // The vowel is the last phoneme that is no pause; it ends at the pause after it.
  size_t vowel = capture.phonemes.size();
  for (size_t i = 0; i < capture.phonemes.size(); ++i)
    if (!IsPause(capture.phonemes[i].name)) vowel = i;
  out.vowelEnd = size;
  if (vowel == capture.phonemes.size()) {
    out.vowelStart = out.soundStart;
    return true;
  }
  out.vowelStart = std::min(capture.phonemes[vowel].sample, size);
  for (size_t i = vowel + 1; i < capture.phonemes.size(); ++i) {
    if (IsPause(capture.phonemes[i].name)) {
      out.vowelEnd = std::min(capture.phonemes[i].sample, size);
      break;
    }
  }
  if (vowel > 0) {
    const double lag = SonorantLag(capture.phonemes[vowel - 1].name);
    const size_t lagSamples = static_cast<size_t>(lag * kSampleRate);
    const size_t earliest =
        out.soundStart + static_cast<size_t>(kShortestConsonantSeconds * kSampleRate);
    out.vowelStart = std::max(out.vowelStart > lagSamples ? out.vowelStart - lagSamples : 0,
                              std::min(earliest, out.vowelStart));
  }
  out.soundStart = std::min(out.soundStart, out.vowelStart);
  out.vowelEnd = std::max(out.vowelEnd, out.vowelStart);
  return true;
}

}  // namespace crx
