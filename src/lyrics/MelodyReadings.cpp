#include "lyrics/MelodyReadings.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <unordered_map>

#include "lyrics/CImeLanguage.h"
#include "lyrics/Cp932Text.h"
#include "lyrics/LineReading.h"
#include "lyrics/LyricEvent.h"
#include "lyrics/LyricTrackPreparer.h"
#include "lyrics/WordDictionary.h"
#include "midi/MidiTrackData.h"
#include "midi/TempoMap.h"
#include "platform/TextCodec.h"

namespace crx {
namespace {

// Lead bytes of the kanji rows of CP932, and the repeat mark 々.
constexpr unsigned char kFirstKanjiLead = 0x88;
constexpr std::string_view kRepeatMark = "\x81\x58";
constexpr unsigned char kHiraganaLead = 0x82;
// An inflection is looked up with at most its first two kana.
constexpr size_t kMaxInflectionBytes = 4;

struct Kana {
  std::string smallOnes = Cp932Text::FromUtf8("ゃゅょぁぃぅぇぉゎャュョァィゥェォヮ");
  std::unordered_map<std::string, std::string> voiced;
  Kana() {
    const std::string plain = Cp932Text::FromUtf8("かきくけこさしすせそたちつてとはひふへほ");
    const std::string voicedForm = Cp932Text::FromUtf8("がぎぐげござじずぜぞだぢづでどばびぶべぼ");
    for (size_t i = 0; i + 1 < plain.size() && i + 1 < voicedForm.size(); i += 2) {
      voiced[plain.substr(i, 2)] = voicedForm.substr(i, 2);
    }
  }
};

const Kana& GetKana() {
  static const Kana kana;
  return kana;
}

bool HasKanji(std::string_view cp932) {
  for (size_t i = 0; i < cp932.size();) {
    const size_t len = Cp932Text::CharLength(cp932, i);
    if (len == 2 && (static_cast<unsigned char>(cp932[i]) >= kFirstKanjiLead ||
                     cp932.substr(i, 2) == kRepeatMark)) {
      return true;
    }
    i += len;
  }
  return false;
}

size_t CharacterCount(std::string_view cp932) {
  size_t n = 0;
  for (size_t i = 0; i < cp932.size(); i += Cp932Text::CharLength(cp932, i)) ++n;
  return n;
}

// The reading of the morphemes that cover exactly the characters from first
// to end of the line in an analysis; nothing when its boundaries differ or
// a morpheme there has no reading.
std::optional<std::string> ReadingOfSpan(const std::vector<Morpheme>& analysis, size_t first,
                                         size_t end) {
  std::string reading;
  size_t at = 0;
  bool inside = false;
  for (const Morpheme& m : analysis) {
    const size_t next = at + CharacterCount(m.surface);
    if (at == first) inside = true;
    if (inside) {
      if (m.reading.empty()) return std::nullopt;
      reading += m.reading;
      if (next == end) return reading;
      if (next > end) return std::nullopt;
    } else if (at < first && next > first) {
      return std::nullopt;
    }
    at = next;
  }
  return std::nullopt;
}

bool StartsWithHiragana(std::string_view cp932) {
  return cp932.size() >= 2 && LineReading::IsKana(cp932.substr(0, 2)) &&
         static_cast<unsigned char>(cp932[0]) == kHiraganaLead;
}

// The morpheme after a word goes on with its inflection (no particle).
bool Inflected(const std::vector<Morpheme>& morphemes, size_t next) {
  return next < morphemes.size() && !morphemes[next].particle &&
         StartsWithHiragana(morphemes[next].surface);
}

// The word list's readings of a word. A word whose inflection follows in
// the next morpheme (a verb stem: 寄 before する) is looked up with its
// first kana of inflection, which the reading then loses; a bare stem would
// find the reading of a noun written alike.
std::vector<std::string> DictionaryReadings(const WordDictionary& words, const std::string& surface,
                                            const std::vector<Morpheme>& morphemes, size_t next) {
  if (!Inflected(morphemes, next)) return words.Readings(surface);
  std::vector<std::string> out;
  const std::string& after = morphemes[next].surface;
  for (size_t kana = 2; kana <= after.size() && kana <= kMaxInflectionBytes; kana += 2) {
    const std::string ending = after.substr(0, kana);
    for (const std::string& r : words.Readings(surface + ending)) {
      if (r.size() > ending.size() && r.ends_with(ending)) {
        out.push_back(r.substr(0, r.size() - ending.size()));
      }
    }
  }
  return out;
}

}  // namespace

MelodyReadings::MelodyReadings(std::vector<int> notesPerEvent, std::vector<int64_t> eventTicks,
                               const WordDictionary* words)
    : notesPerEvent_(std::move(notesPerEvent)), eventTicks_(std::move(eventTicks)), words_(words) {}

const WordDictionary& MelodyReadings::Words() {
  if (words_ == nullptr) words_ = &WordDictionary::Installed();
  return *words_;
}

std::vector<int> MelodyReadings::NotesPerLyric(const MidiTrackData& main,
                                               const MidiTrackData& lyrics, int melodyChannel) {
  const std::vector<int64_t> starts = LyricTrackPreparer::NoteStarts(main, melodyChannel);
  const std::vector<int64_t> times = lyrics.AbsoluteTimes();
  std::vector<int> notes(times.size(), 0);
  int next = -1;  // the next lyric at a later tick than the one looked at
  for (int i = lyrics.Count() - 1; i >= 0; --i) {
    const auto at = static_cast<size_t>(i);
    if (!LyricEvent::IsLyric(lyrics.Event(i))) continue;
    const bool sameTickFollows = next >= 0 && times[static_cast<size_t>(next)] == times[at];
    if (!sameTickFollows) {
      const auto from = std::lower_bound(starts.begin(), starts.end(), times[at]);
      const auto to = next >= 0
                          ? std::lower_bound(from, starts.end(), times[static_cast<size_t>(next)])
                          : starts.end();
      notes[at] = static_cast<int>(to - from);
    }
    next = i;
  }
  return notes;
}

size_t MelodyReadings::Morae(std::string_view cp932) {
  const std::string& small = GetKana().smallOnes;
  size_t morae = 0;
  for (size_t i = 0; i < cp932.size();) {
    const size_t len = Cp932Text::CharLength(cp932, i);
    const std::string_view ch = cp932.substr(i, len);
    bool joins = false;
    for (size_t k = 0; len == 2 && k + 1 < small.size(); k += 2) {
      joins = joins || small.compare(k, 2, ch) == 0;
    }
    if (!joins) ++morae;
    i += len;
  }
  return morae;
}

std::string MelodyReadings::Voiced(std::string_view cp932) {
  if (cp932.size() < 2) return std::string(cp932);
  const auto& voiced = GetKana().voiced;
  const auto found = voiced.find(std::string(cp932.substr(0, 2)));
  if (found == voiced.end()) return std::string(cp932);
  return found->second + std::string(cp932.substr(2));
}

void MelodyReadings::Choose(const std::vector<std::pair<int, size_t>>& where,
                            const std::vector<std::string>& characters, std::string_view lineText,
                            std::vector<Morpheme>& morphemes, CImeLanguage& ime) {
  // The characters each morpheme covers.
  std::vector<size_t> firstChar;
  size_t total = 0;
  for (const Morpheme& m : morphemes) {
    firstChar.push_back(total);
    total += CharacterCount(m.surface);
  }
  if (total != characters.size() || where.size() != characters.size()) return;
  firstChar.push_back(total);

  std::optional<std::vector<std::vector<Morpheme>>> ranked;
  bool rankedAsked = false;
  std::vector<Morpheme> out;
  for (size_t m = 0; m < morphemes.size();) {
    if (!HasKanji(morphemes[m].surface)) {
      out.push_back(morphemes[m++]);
      continue;
    }
    // A word: a morpheme with kanji, joined by the morphemes with kanji
    // after it while they share a lyric with it (花畠 in one lyric, read as
    // 花 and 畠). Words in lyrics of their own stay apart (書 読む).
    size_t end = m + 1;
    while (end < morphemes.size() && HasKanji(morphemes[end].surface) &&
           firstChar[end] < where.size() &&
           where[firstChar[end]].first == where[firstChar[end] - 1].first) {
      ++end;
    }
    const size_t c0 = firstChar[m];
    const size_t c1 = firstChar[end];
    std::string surface;
    std::string common;
    bool read = true;
    for (size_t k = m; k < end; ++k) {
      surface += morphemes[k].surface;
      common += morphemes[k].reading;
      read = read && !morphemes[k].reading.empty();
    }
    // The word must be its lyrics' whole text for their notes to be its own.
    const bool whole = (c0 == 0 || where[c0 - 1].first != where[c0].first) &&
                       (c1 == where.size() || where[c1].first != where[c1 - 1].first);
    int notes = 0;
    bool freeNotes = false;  // a note after one of its lyrics carries no lyric of its own
    for (size_t c = c0; c < c1; ++c) {
      if (c == c0 || where[c].first != where[c - 1].first) {
        const auto event = static_cast<size_t>(where[c].first);
        const int own = event < notesPerEvent_.size() ? notesPerEvent_[event] : 0;
        notes += own;
        freeNotes = freeNotes || own > 1;
      }
    }
    // Without a free note the melody says nothing: the reading is shared out
    // over the notes as the text is.
    std::optional<std::string> chosen;
    if (read && whole && freeNotes && Morae(common) != static_cast<size_t>(notes)) {
      // Readings both sources know come first, in the service's rank; then
      // the word list's (the service's next-best analyses also cut words
      // apart in odd ways: 書 as かき before 読む); then the other analyses.
      std::vector<std::string> analysed;
      if (!rankedAsked) {
        ranked = ime.GetRankedMorphemes(lineText, kRankedAnalyses);
        rankedAsked = true;
      }
      // The next-best analyses of a verb stem read it as a noun written
      // alike (流 of 流るる as りゅう): an inflected word takes only the
      // word list's readings of its inflected form.
      if (ranked && !Inflected(morphemes, end)) {
        for (const std::vector<Morpheme>& analysis : *ranked) {
          if (std::optional<std::string> r = ReadingOfSpan(analysis, c0, c1)) {
            analysed.push_back(*r);
          }
        }
      }
      const std::vector<std::string> listed = DictionaryReadings(Words(), surface, morphemes, end);
      std::vector<std::string> candidates;
      for (const std::string& r : analysed) {
        if (std::find(listed.begin(), listed.end(), r) != listed.end()) candidates.push_back(r);
      }
      candidates.insert(candidates.end(), listed.begin(), listed.end());
      candidates.insert(candidates.end(), analysed.begin(), analysed.end());
      if (end - m >= 2) {
        candidates.push_back(morphemes[m].reading +
                             Voiced(common.substr(morphemes[m].reading.size())));
      }
      const std::vector<std::string> chars(characters.begin() + static_cast<std::ptrdiff_t>(c0),
                                           characters.begin() + static_cast<std::ptrdiff_t>(c1));
      for (const std::string& candidate : candidates) {
        if (Morae(candidate) != static_cast<size_t>(notes)) continue;
        if (!LineReading::AlignMorpheme(chars, candidate)) continue;
        chosen = candidate;
        break;
      }
    }
    if (!chosen) {
      out.insert(out.end(), morphemes.begin() + static_cast<std::ptrdiff_t>(m),
                 morphemes.begin() + static_cast<std::ptrdiff_t>(end));
    } else {
      const auto event = static_cast<size_t>(where[c0].first);
      choices_.push_back(
          {event < eventTicks_.size() ? eventTicks_[event] : 0, surface, common, *chosen, notes});
      out.push_back(Morpheme{surface, *chosen, false});
    }
    m = end;
  }
  morphemes = std::move(out);
}

std::string MelodyReadings::Describe(const MelodyReadingChoice& choice, const TempoMap& tempo) {
  constexpr int kTenths = 10;
  constexpr long long kMinute = 60;
  const auto tenths = static_cast<long long>(tempo.Seconds(choice.tick) * kTenths + 0.5);
  char time[32];
  std::snprintf(time, sizeof time, "%lld:%02lld.%lld", tenths / (kMinute * kTenths),
                tenths / kTenths % kMinute, tenths % kTenths);
  return "「" + TextCodec::Cp932ToUtf8Lossy(choice.word) + "」" +
         TextCodec::Cp932ToUtf8Lossy(choice.common) + " → " +
         TextCodec::Cp932ToUtf8Lossy(choice.chosen) + "（" + std::to_string(choice.notes) +
         "音） " + time;
}

}  // namespace crx
