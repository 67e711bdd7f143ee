#include "singer/CMbrolaSinger.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "lyrics/CSyllableTable.h"
#include "midi/TempoMap.h"
#include "singer/CPhoWriter.h"
#include "singer/CSongSinger.h"
#include "singer/CVibrato.h"

namespace crx {
namespace {

using Clock = std::chrono::steady_clock;
using Kind = ScoreNote::Kind;

constexpr double kA4 = 440.0;
constexpr int kA4Note = 69;
// Sane pitches: the male voice up to C5, the female ones up to C6.
constexpr CMbrolaSinger::Range kMaleRange = {55.0, 523.3};
constexpr CMbrolaSinger::Range kFemaleRange = {98.0, 1046.5};
// Fades where the voice starts and stops, against clicks.
constexpr double kFadeSeconds = 0.005;
constexpr int kSecondsPerMinute = 60;

double NoteFrequency(int note) { return kA4 * std::pow(2.0, (note - kA4Note) / 12.0); }

std::string ClockTime(double seconds) {
  const double s = std::max(0.0, seconds);
  const int minutes = static_cast<int>(s / kSecondsPerMinute);
  char text[32];
  std::snprintf(text, sizeof text, "%d:%04.1f", minutes, s - minutes * kSecondsPerMinute);
  return text;
}

void AddOnce(std::vector<std::string>& list, const std::string& item) {
  if (std::find(list.begin(), list.end(), item) == list.end()) list.push_back(item);
}

size_t ToSample(double seconds) {
  return seconds <= 0 ? 0 : static_cast<size_t>(std::llround(seconds * CMbrolaSinger::kSampleRate));
}

}  // namespace

CMbrolaSinger::Range CMbrolaSinger::RangeOf(DiphoneVoice voice) {
  return voice == DiphoneVoice::Jp1 ? kMaleRange : kFemaleRange;
}

CMbrolaSinger::CMbrolaSinger(const SingerSequence& sequence, DiphoneVoice voice)
    : sequence_(sequence), id_(voice), voice_(voice) {}

std::vector<ScoreNote> CMbrolaSinger::Notes(const SingerSequence& sequence, DiphoneVoice voice,
                                            std::vector<std::string>& problems,
                                            std::vector<std::string>& unknown) {
  const TempoMap map(sequence.tempos, sequence.division);
  const Range range = RangeOf(voice);
  std::vector<ScoreNote> notes;
  size_t clamped = 0;
  size_t skipped = 0;
  char previousVowel = 0;
  bool previousNasal = false;
  const auto& all = sequence.notes;
  for (size_t i = 0; i < all.size(); ++i) {
    const SungNote& n = all[i];
    ScoreNote s;
    s.start = map.Seconds(n.tick);
    s.end = map.Seconds(n.tick + n.length);
    if (i + 1 < all.size()) {
      const double next = map.Seconds(all[i + 1].tick);
      if (next - s.start < kShortestNoteSeconds) {
        ++skipped;
        continue;
      }
      s.end = std::min(std::max(s.end, s.start + kShortestNoteSeconds), next);
    } else {
      s.end = std::max(s.end, s.start + kShortestNoteSeconds);
    }
    const double hz = NoteFrequency(n.noteNumber);
    s.hz = std::clamp(hz, range.lowest, range.highest);
    if (s.hz != hz) ++clamped;
    if (n.hasVibrato) {
      s.vibratoFrom = map.Seconds(n.tick + n.vibrato.delay);
      s.vibratoCents = n.vibrato.depth * CVibrato::kCentsPerDepthStep;
      s.vibratoRate = CVibrato::kRateBase + n.vibrato.rate * CVibrato::kRatePerStep;
    } else if (s.end - s.start > CVibrato::kDefaultFromSeconds) {
      s.vibratoFrom = s.start + CVibrato::kDefaultDelaySeconds;
      s.vibratoCents = CVibrato::kDefaultCents;
      s.vibratoRate = CVibrato::kDefaultRate;
    }

    const bool rested = !notes.empty() && s.start - notes.back().end >= kPhraseRestSeconds;
    if (CSongSinger::IsLongVowelMark(n.lyric) && (previousVowel != 0 || previousNasal)) {
      s.kind = Kind::Hold;
      s.mora =
          previousNasal ? Mora{std::string(CMbrolaPhonemes::kNasal), 0} : Mora{"", previousVowel};
      if (rested) s.kind = previousNasal ? Kind::Nasal : Kind::Mora;
    } else if (CSongSinger::IsSmallTsu(n.lyric)) {
      s.kind = Kind::Closure;
      previousVowel = 0;
      previousNasal = false;
    } else {
      Mora mora;
      const bool known = !CSyllableTable::KanaOf(n.phonetic).empty();
      if (!known) AddOnce(unknown, n.phonetic);
      if (!known || !CMbrolaPhonemes::MoraOf(n.phonetic, mora))
        mora = Mora{"", CMbrolaPhonemes::VowelOf(n.phonetic)};
      const bool nasal = mora.onset == CMbrolaPhonemes::kNasal;
      s.mora = mora;
      s.kind = nasal ? (previousNasal && !rested ? Kind::Hold : Kind::Nasal) : Kind::Mora;
      previousNasal = nasal;
      previousVowel = nasal ? 0 : mora.vowel;
    }
    notes.push_back(s);
  }
  if (clamped > 0) {
    problems.push_back(std::to_string(clamped) + " note(s) lie outside the range of the voice " +
                       CMbrolaVoice::DatabaseName(voice) + " and are sung at its nearest pitch");
  }
  if (skipped > 0) {
    problems.push_back(std::to_string(skipped) +
                       " note(s) start less than 20 ms before the next one and are left out");
  }
  return notes;
}

std::vector<std::pair<size_t, size_t>> CMbrolaSinger::Phrases(const std::vector<ScoreNote>& notes) {
  std::vector<std::pair<size_t, size_t>> phrases;
  size_t from = 0;
  for (size_t i = 1; i <= notes.size(); ++i) {
    if (i == notes.size() || notes[i].start - notes[i - 1].end >= kPhraseRestSeconds) {
      if (i > from) phrases.emplace_back(from, i);
      from = i;
    }
  }
  return phrases;
}

bool CMbrolaSinger::Sing(std::vector<float>& track, SampleSpans& sounding, SampleSpans& sung) {
  if (!voice_.Ready()) return false;
  const std::vector<ScoreNote> notes = Notes(sequence_, id_, problems_, unknown_);
  std::vector<std::string> unjoined;
  std::vector<std::string> failed;
  for (auto [from, to] : Phrases(notes)) {
    const std::span<const ScoreNote> phrase(notes.data() + from, to - from);
    const CPhraseScore score(id_, phrase, kSampleRate);
    if (score.Phones().empty()) continue;
    ++phraseCount_;
    const std::string at = ClockTime(phrase.front().start);
    for (const std::string& pair : score.Unjoined()) AddOnce(unjoined, pair);
    std::string pho;
    std::string error;
    if (!CPhoWriter::Write(score.PhoPhones(), pho, error)) {
      failed.push_back(at + " could not be sung: " + error);
      continue;
    }
    CMbrolaVoice::Rendered rendered;
    const auto begin = Clock::now();
    const bool ok = voice_.Render(pho, rendered);
    synthesisSeconds_ += std::chrono::duration<double>(Clock::now() - begin).count();
    if (!ok) {
      failed.push_back(at + " could not be sung: " + voice_.Error());
      continue;
    }
    for (const std::string& pair : rendered.unknown) AddOnce(unjoined, pair);

    // Where the phrase sounds, its legato notes joined; faded at the ends.
    SampleSpans spans;
    for (auto [a, b] : score.Sounding()) {
      const size_t s = ToSample(a), e = std::min(ToSample(b), track.size());
      if (e <= s) continue;
      if (!spans.empty() && s <= spans.back().second) {
        spans.back().second = std::max(spans.back().second, e);
      } else {
        spans.emplace_back(s, e);
      }
    }
    const double origin = score.Origin() * kSampleRate;
    const long long offset = std::llround(origin);
    std::vector<float>& samples = rendered.samples;
    const size_t fade = ToSample(kFadeSeconds);
    bool heard = false;
    for (auto [s, e] : spans) {
      for (size_t n = s; n < e; ++n) {
        const long long k = static_cast<long long>(n) - offset;
        if (k < 0 || k >= static_cast<long long>(samples.size())) continue;
        float v = samples[static_cast<size_t>(k)];
        if (n - s < fade) v *= static_cast<float>(n - s + 1) / static_cast<float>(fade + 1);
        if (e - n <= fade) v *= static_cast<float>(e - n) / static_cast<float>(fade + 1);
        heard = heard || v != 0.0f;
        track[n] += v;
      }
      sounding.emplace_back(s, e);
    }
    for (auto [a, b] : score.Sung()) {
      const size_t s = ToSample(a), e = std::min(ToSample(b), track.size());
      if (e > s) sung.emplace_back(s, e);
    }
    if (!heard && !spans.empty()) failed.push_back(at + " came out silent");
  }
  if (!unjoined.empty()) {
    std::string list;
    for (const std::string& pair : unjoined) list += (list.empty() ? "" : ", ") + pair;
    problems_.push_back("the voice " + CMbrolaVoice::DatabaseName(id_) + " lacks the diphones " +
                        list + "; they are sung as silence");
  }
  for (const std::string& f : failed) problems_.push_back("the phrase at " + f);
  if (phraseCount_ > 0 && failed.size() == phraseCount_) {
    error_ = "no phrase could be sung";
    return false;
  }
  return true;
}

}  // namespace crx
