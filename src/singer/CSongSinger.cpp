#include "singer/CSongSinger.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>

#include "lyrics/CSyllableTable.h"
#include "midi/TempoMap.h"
#include "platform/TextCodec.h"
#include "singer/CGrainStretch.h"
#include "singer/CMbrolaSinger.h"
#include "singer/CResampler.h"
#include "singer/CVibrato.h"

namespace crx {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRate = CEspeakVoice::kSampleRate;
static_assert(CMbrolaVoice::kSampleRate == kRate);
constexpr int kUpsample = CSongSinger::kOutputRate / kRate;
static_assert(CSongSinger::kOutputRate == kUpsample * kRate);

constexpr double kCrossfadeSeconds = 0.015;
constexpr double kReleaseSeconds = 0.03;
constexpr double kAttackSeconds = 0.004;
constexpr double kLongestConsonantSeconds = 0.25;
constexpr double kShortestVowelSeconds = 0.02;
// A consonant takes at most this share of the note before it.
constexpr double kConsonantShareOfPrevious = 0.5;

constexpr const char* kLongVowelMark = "ー";
constexpr const char* kSmallTsu = "っ";
constexpr const char* kSmallTsuKatakana = "ッ";
constexpr const char* kNasalKa = "き゜";
constexpr const char* kNasalKaSung = "に";

constexpr double kA4 = 440.0;
constexpr int kA4Note = 69;

double NoteFrequency(int note) { return kA4 * std::pow(2.0, (note - kA4Note) / 12.0); }

size_t ToSamples(double seconds, int rate) {
  return seconds <= 0 ? 0 : static_cast<size_t>(std::llround(seconds * rate));
}

std::string Cp932(const char* utf8) { return TextCodec::Utf8ToCp932(utf8).value_or(""); }

// The kana of a symbol's vowel (its last phoneme).
const char* VowelKana(const std::string& symbol) {
  const size_t blank = symbol.rfind(' ');
  const std::string last = blank == std::string::npos ? symbol : symbol.substr(blank + 1);
  if (last == "a") return "あ";
  if (last == "i") return "い";
  if (last == "M" || last == "u") return "う";
  if (last == "e") return "え";
  if (last == "o") return "お";
  if (last == "N") return "ん";
  return "あ";
}

// The vowel kana that a kana ends on, for a long-vowel mark after it.
std::string VowelOfKana(const std::string& kana) {
  const std::string symbol = [&] {
    auto cp = TextCodec::Utf8ToCp932(kana);
    return cp ? CSyllableTable::Phonetic(*cp).phonetic : std::string("a");
  }();
  return VowelKana(symbol);
}

void Fade(std::vector<float>& s, size_t from, size_t count, bool in) {
  for (size_t k = 0; k < count && from + k < s.size(); ++k) {
    const float g = static_cast<float>(k + 1) / static_cast<float>(count + 1);
    s[from + k] *= in ? g : 1.0f - g;
  }
}

}  // namespace

struct CSongSinger::Syllable {
  SyllableSound sound;
  std::unique_ptr<CGrainStretch> stretch;
};

CSongSinger::CSongSinger(const SingerSequence& sequence, SingerVoice voice, SingerEngine engine)
    : sequence_(sequence), voice_(voice), engineKind_(engine) {}

DiphoneVoice CSongSinger::DiphoneVoiceOf(SingerVoice voice) {
  switch (voice) {
    case SingerVoice::Female:
      return DiphoneVoice::Jp2;
    case SingerVoice::Female2:
      return DiphoneVoice::Jp3;
    case SingerVoice::Male:
      return DiphoneVoice::Jp1;
  }
  return DiphoneVoice::Jp2;
}

bool CSongSinger::IsLongVowelMark(const std::string& lyric) {
  static const std::string mark = Cp932(kLongVowelMark);
  return lyric.rfind(mark, 0) == 0;
}

bool CSongSinger::IsSmallTsu(const std::string& lyric) {
  static const std::string hiragana = Cp932(kSmallTsu);
  static const std::string katakana = Cp932(kSmallTsuKatakana);
  return lyric == hiragana || lyric == katakana;
}

CSongSinger::~CSongSinger() = default;

SingerVoice CSongSinger::VoiceForMelody(const SingerSequence& sequence) {
  std::vector<int> notes;
  for (const SungNote& n : sequence.notes) notes.push_back(n.noteNumber);
  if (notes.empty()) return SingerVoice::Male;
  std::nth_element(notes.begin(), notes.begin() + static_cast<long>(notes.size() / 2), notes.end());
  return notes[notes.size() / 2] >= kFemaleFromNote ? SingerVoice::Female : SingerVoice::Male;
}

size_t CSongSinger::OutputLength(const SingerSequence& sequence) {
  const TempoMap map(sequence.tempos, sequence.division);
  return ToSamples(map.Seconds(sequence.endTick), kOutputRate);
}

const CSongSinger::Syllable* CSongSinger::Sound(const std::string& kana, int noteNumber) {
  const std::string key = kana + "/" + std::to_string(noteNumber);
  auto it = cache_.find(key);
  if (it != cache_.end()) return it->second.get();
  const double frequency = NoteFrequency(noteNumber);
  auto syllable = std::make_unique<Syllable>();
  const auto begin = Clock::now();
  const bool said = engine_->Say(kana, frequency, syllable->sound);
  timings_.synthesisSeconds += std::chrono::duration<double>(Clock::now() - begin).count();
  if (!said) {
    error_ = engine_->Error();
    return nullptr;
  }
  const SyllableSound& s = syllable->sound;
  syllable->stretch = std::make_unique<CGrainStretch>(
      std::span<const float>(s.samples).subspan(s.vowelStart, s.vowelEnd - s.vowelStart),
      kRate / frequency);
  return cache_.emplace(key, std::move(syllable)).first->second.get();
}

std::string CSongSinger::KanaOf(size_t index, std::string& previousVowel) {
  const SungNote& note = sequence_.notes[index];
  // A held vowel sings on the vowel before it; a small tsu is a short rest.
  if (IsLongVowelMark(note.lyric) && !previousVowel.empty()) return previousVowel;
  if (IsSmallTsu(note.lyric)) return {};
  std::string kana = CSyllableTable::KanaOf(note.phonetic);
  // The nasal ka-row mark is read out by name: its syllables sing on the
  // nasal they stand for.
  const size_t nasal = kana.find(kNasalKa);
  if (nasal != std::string::npos) kana.replace(nasal, std::strlen(kNasalKa), kNasalKaSung);
  if (kana.empty()) {
    if (std::find(unknown_.begin(), unknown_.end(), note.phonetic) == unknown_.end())
      unknown_.push_back(note.phonetic);
    kana = VowelKana(note.phonetic);
  }
  previousVowel = VowelOfKana(kana);
  return kana;
}

bool CSongSinger::Sing(std::vector<float>& out) {
  const auto begin = Clock::now();
  const size_t outputLength = OutputLength(sequence_);
  if (outputLength > kMaxSeconds * kOutputRate) {
    error_ = "the sequence lasts longer than " + std::to_string(kMaxSeconds) + " s";
    return false;
  }
  std::vector<float> track(outputLength / kUpsample + 1, 0.0f);
  SampleSpans sounding;
  const bool sung = engineKind_ == SingerEngine::Mbrola ? SingMbrola(track, sounding)
                                                        : SingEspeak(track, sounding);
  if (!sung) return false;

  const auto resampling = Clock::now();
  std::string error;
  if (!CResampler::Resample(track, kRate, kOutputRate, out, error)) {
    error_ = error;
    return false;
  }
  timings_.resamplingSeconds = std::chrono::duration<double>(Clock::now() - resampling).count();
  out.resize(outputLength, 0.0f);
  // Digital silence outside what is sung.
  std::sort(sounding.begin(), sounding.end());
  size_t silentFrom = 0;
  for (auto [from, to] : sounding) {
    for (size_t n = silentFrom; n < from * kUpsample && n < out.size(); ++n) out[n] = 0.0f;
    silentFrom = std::max(silentFrom, to * kUpsample);
  }
  for (size_t n = silentFrom; n < out.size(); ++n) out[n] = 0.0f;
  CVocalLevel::Apply(out, sung_, kOutputRate);
  timings_.signalSeconds =
      std::chrono::duration<double>(Clock::now() - begin).count() - timings_.synthesisSeconds;
  return true;
}

bool CSongSinger::SingMbrola(std::vector<float>& track, SampleSpans& sounding) {
  CMbrolaSinger singer(sequence_, DiphoneVoiceOf(voice_));
  if (!singer.Ready()) {
    error_ = singer.Error();
    return false;
  }
  sung_.clear();
  SampleSpans spans;
  const bool sung = singer.Sing(track, sounding, spans);
  problems_ = singer.Problems();
  if (!sung) {
    error_ = singer.Error();
    return false;
  }
  for (auto [from, to] : spans) sung_.emplace_back(from * kUpsample, to * kUpsample);
  unknown_ = singer.UnknownSymbols();
  timings_.synthesisSeconds = singer.SynthesisSeconds();
  return true;
}

bool CSongSinger::SingEspeak(std::vector<float>& track, SampleSpans& sounding) {
  engine_ = std::make_unique<CEspeakVoice>(voice_);
  if (!engine_->Ready()) {
    error_ = engine_->Error();
    return false;
  }
  const TempoMap map(sequence_.tempos, sequence_.division);
  const size_t length = track.size();
  CVibrato vibrato(length, kRate);

  // Where each note sounds, at the synthesizer's rate.
  struct Placed {
    const Syllable* syllable = nullptr;
    bool held = false;  // a long vowel joined to the note before
    size_t start = 0;   // the beat: the vowel starts here
    size_t end = 0;     // the note's end
    size_t consonant = 0;
    size_t vowelEnd = 0;
    bool joinsNext = false;
  };
  std::vector<Placed> placed(sequence_.notes.size());
  std::string previousVowel;
  for (size_t i = 0; i < placed.size(); ++i) {
    const SungNote& n = sequence_.notes[i];
    Placed& p = placed[i];
    p.start = std::min(ToSamples(map.Seconds(n.tick), kRate), length);
    p.end =
        std::min(std::max(ToSamples(map.Seconds(n.tick + n.length), kRate), p.start + 1), length);
    const std::string kana = KanaOf(i, previousVowel);
    if (kana.empty()) {
      previousVowel.clear();
      continue;
    }
    p.syllable = Sound(kana, n.noteNumber);
    if (p.syllable == nullptr) return false;
    p.held = IsLongVowelMark(n.lyric);
    const SyllableSound& s = p.syllable->sound;
    size_t consonant = p.held ? 0 : s.vowelStart - s.soundStart;
    consonant = std::min({consonant, ToSamples(kLongestConsonantSeconds, kRate), p.start});
    if (i > 0 && placed[i - 1].syllable != nullptr && placed[i - 1].end + consonant > p.start) {
      const size_t share = static_cast<size_t>(
          static_cast<double>(p.start - std::min(p.start, placed[i - 1].start)) *
          kConsonantShareOfPrevious);
      consonant = std::min(consonant, share);
    }
    p.consonant = consonant;
  }

  const size_t crossfade = ToSamples(kCrossfadeSeconds, kRate);
  const size_t release = ToSamples(kReleaseSeconds, kRate);
  const size_t attack = ToSamples(kAttackSeconds, kRate);
  const size_t shortest = ToSamples(kShortestVowelSeconds, kRate);
  for (size_t i = 0; i < placed.size(); ++i) {
    Placed& p = placed[i];
    if (p.syllable == nullptr) continue;
    p.vowelEnd = p.end;
    if (i + 1 < placed.size() && placed[i + 1].syllable != nullptr) {
      const Placed& next = placed[i + 1];
      const size_t nextSound = next.start - next.consonant;
      if (nextSound < p.end + crossfade) {
        p.vowelEnd = std::max(nextSound + crossfade, p.start + shortest);
        p.joinsNext = true;
      }
    }
    p.vowelEnd = std::min(p.vowelEnd, length);
  }

  sung_.clear();
  for (size_t i = 0; i < placed.size(); ++i) {
    const Placed& p = placed[i];
    if (p.syllable == nullptr || p.vowelEnd <= p.start) continue;
    const SyllableSound& s = p.syllable->sound;
    const bool joinedBefore = i > 0 && placed[i - 1].joinsNext;
    const size_t soundFrom = p.start - p.consonant;

    // The consonant, and the said vowel for a crossfade into the stretched one.
    std::vector<float> said(p.consonant + crossfade, 0.0f);
    for (size_t k = 0; k < said.size(); ++k) {
      const size_t src = s.vowelStart - p.consonant + k;
      if (src < s.samples.size()) said[k] = s.samples[src];
    }
    Fade(said, 0, joinedBefore ? crossfade : attack, true);
    Fade(said, p.consonant, crossfade, false);

    const size_t vowelLength = p.vowelEnd - p.start;
    std::vector<float> vowel;
    if (p.syllable->stretch->Usable()) {
      vowel = p.syllable->stretch->Render(vowelLength,
                                          kRate / NoteFrequency(sequence_.notes[i].noteNumber));
    } else {
      vowel.assign(vowelLength, 0.0f);
      for (size_t k = 0; k < vowelLength && s.vowelStart + k < s.vowelEnd; ++k)
        vowel[k] = s.samples[s.vowelStart + k];
    }
    Fade(vowel, 0, crossfade, true);
    const size_t tail = p.joinsNext ? crossfade : std::min(release, vowelLength / 3);
    Fade(vowel, vowelLength - std::min(tail, vowelLength), std::min(tail, vowelLength), false);
    vowel.back() = 0.0f;

    for (size_t k = 0; k < said.size() && soundFrom + k < length; ++k)
      track[soundFrom + k] += said[k];
    for (size_t k = 0; k < vowel.size() && p.start + k < length; ++k)
      track[p.start + k] += vowel[k];
    sounding.emplace_back(soundFrom, p.vowelEnd);
    sung_.emplace_back(p.start * kUpsample, std::min(p.vowelEnd, p.end) * kUpsample);

    const SungNote& n = sequence_.notes[i];
    if (n.hasVibrato) {
      const size_t from = ToSamples(map.Seconds(n.tick + n.vibrato.delay), kRate);
      vibrato.Add(from, p.vowelEnd, n.vibrato.depth * CVibrato::kCentsPerDepthStep,
                  CVibrato::kRateBase + n.vibrato.rate * CVibrato::kRatePerStep);
    } else if (static_cast<double>(p.end - p.start) / kRate > CVibrato::kDefaultFromSeconds) {
      vibrato.Add(p.start + ToSamples(CVibrato::kDefaultDelaySeconds, kRate), p.vowelEnd,
                  CVibrato::kDefaultCents, CVibrato::kDefaultRate);
    }
  }
  vibrato.Apply(track);
  return true;
}

}  // namespace crx
