#include "lyrics/CVocaloidConvertDictionary.h"
#include "foundation/Diagnostics.h"

#include <algorithm>
#include <limits>
#include <map>
#include <vector>

#include "karaoke/XfKaraokeData.h"
#include "lyrics/CKanjiToKana.h"
#include "lyrics/CVocaloidConvert.h"
#include "lyrics/Cp932Text.h"
#include "lyrics/LyricEvent.h"

namespace crx {
namespace {

// The part of one lyric event that belongs to a joined word.
struct WordPiece {
  int event = 0;
  size_t offset = 0;  // first byte of the word in the event's text
  size_t used = 0;    // bytes of the word in the event
};

// Lyric text of several consecutive lyric events joined into one word.
struct JoinedWord {
  std::vector<WordPiece> pieces;
  std::string text;
};

// One character of the written form in its event.
struct Slot {
  int event = 0;
  size_t offset = 0;
  size_t length = 0;
  std::string text;
};

void Debug(const char* identifier) { ReportPlain(identifier); }

bool HasSingleByteCharacter(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    size_t n = Cp932Text::CharLength(text, i);
    if (n == 1) return true;
    i += n;
  }
  return false;
}

bool IsMark(std::string_view ch) { return ch == ">" || ch == "<" || ch == "/"; }

bool IsMarker(std::string_view text) {
  static const std::string intro = Cp932Text::FromUtf8("イントロ");
  static const std::string ending = Cp932Text::FromUtf8("エンディング");
  return text == "/" || text == intro || text == ending;
}

// True when byte position end of the text falls between two characters.
bool OnCharacterBoundary(std::string_view text, size_t end) {
  size_t i = 0;
  while (i < end) i += Cp932Text::CharLength(text, i);
  return i == end;
}

std::vector<std::string> Characters(std::string_view text) {
  std::vector<std::string> chars;
  for (size_t i = 0; i < text.size();) {
    size_t n = Cp932Text::CharLength(text, i);
    chars.emplace_back(text.substr(i, n));
    i += n;
  }
  return chars;
}

class DictionaryPass {
 public:
  DictionaryPass(const CKanjiToKana& kanji, MidiTrackData& lyrics)
      : kanji_(kanji), lyrics_(lyrics), ticks_(lyrics.AbsoluteTimes()) {}

  void AtNote(int64_t tick) {
    NoteLyric lyric = CVocaloidConvert::LyricAtTick(lyrics_, tick, cursor_);
    if (lyric.text.empty() || lyric.firstIndex < 0) return;
    std::vector<KanaCandidate> candidates;
    bool cut = false;
    size_t greatest = kanji_.FindCandidates(lyric.text, candidates, &cut);
    candidatesCut_ = candidatesCut_ || cut;
    if (greatest == 0) return;
    int start = WordStart(lyric.firstIndex, tick);
    if (start < 0) return;
    JoinedWord word = Join(start, greatest);
    const KanaCandidate* taken = nullptr;
    for (const KanaCandidate& c : candidates) {
      if (word.text.starts_with(c.written)) {
        taken = &c;
        break;
      }
    }
    if (taken == nullptr) return;
    JoinedWord exact = Join(start, taken->written.size());
    const WordPiece& last = exact.pieces.back();
    if (exact.text.size() != taken->written.size() ||
        !OnCharacterBoundary(TextOf(last.event), last.offset + last.used)) {
      Debug("GetLyricWord");
      return;
    }
    Spread(exact, taken->reading);
  }

 private:
  std::string TextOf(int index) const { return LyricEvent::Text(lyrics_.Event(index)); }

  // The lyric event the lookup took its text from: the first one at the tick
  // that is neither empty nor a marker. The word starts there, so that a line
  // break "/" at the same tick does not hide the word from the dictionary.
  int WordStart(int first, int64_t tick) const {
    for (int i = first; i < lyrics_.Count() && ticks_[static_cast<size_t>(i)] == tick; ++i) {
      const MidiEvent& e = lyrics_.Event(i);
      if (!LyricEvent::IsLyric(e)) continue;
      std::string text = TextOf(i);
      if (text.empty() || IsMarker(text)) continue;
      return i;
    }
    return -1;
  }

  // Joins the texts of the lyric events from start on, regardless of ticks,
  // until the word holds length bytes; stops before an event that holds a
  // single-byte character.
  JoinedWord Join(int start, size_t length) const {
    JoinedWord word;
    for (int i = start; i < lyrics_.Count() && word.text.size() < length; ++i) {
      if (!LyricEvent::IsLyric(lyrics_.Event(i))) continue;
      std::string text = TextOf(i);
      size_t offset = 0;
      if (i == start) {
        // Marks in front of the word (a line break "/" written with it
        // included) are no part of it, as the lookup does not count them.
        while (offset < text.size() && IsMark(std::string_view(text).substr(offset, 1))) ++offset;
      } else if (HasSingleByteCharacter(text)) {
        break;
      }
      size_t used = std::min(text.size() - offset, length - word.text.size());
      word.pieces.push_back({i, offset, used});
      word.text.append(text, offset, used);
    }
    return word;
  }

  // Puts the reading in place of the written form held by the word's events:
  // what agrees at the start and at the end stays, the first differing
  // character takes the surplus of the reading, every further one exactly
  // one reading character.
  void Spread(const JoinedWord& word, std::string_view reading) {
    if (reading.empty()) {
      Debug("KanjiToKanaFunc");
      return;
    }
    std::vector<Slot> slots;
    for (const WordPiece& p : word.pieces) {
      std::string text = TextOf(p.event);
      for (size_t i = p.offset; i < p.offset + p.used;) {
        size_t n = Cp932Text::CharLength(text, i);
        std::string ch = text.substr(i, n);
        if (!IsMark(ch)) slots.push_back({p.event, i, n, ch});
        i += n;
      }
    }
    if (slots.empty()) return;
    const std::vector<std::string> r = Characters(reading);
    const size_t w = slots.size();

    // Leading agreement, leaving at least one character of W to replace.
    size_t lead = 0;
    while (lead < w - 1 && lead < r.size() && slots[lead].text == r[lead]) ++lead;
    // Trailing agreement.
    size_t trail = 0;
    if (r.back().size() != 2) {
      Debug("KanjiToKanaFunc 3");
    } else {
      while (w - trail - 1 > lead && r.size() - trail > lead) {
        const std::string& rc = r[r.size() - 1 - trail];
        if (rc.size() != 2) {
          Debug("KanjiToKanaFunc 2");
          break;
        }
        if (slots[w - 1 - trail].text != rc) break;
        ++trail;
      }
    }
    const size_t wLeft = w - lead - trail;  // at least 1
    const size_t rLeft = r.size() - lead - trail;
    long first = static_cast<long>(rLeft) - static_cast<long>(wLeft) + 1;
    if (first < 0) {
      Debug("word_first_assign_len");
      first = 0;
    }

    // New text of every slot still to be replaced.
    std::map<int, std::vector<std::pair<const Slot*, std::string>>> perEvent;
    size_t next = lead;
    const size_t rEnd = r.size() - trail;
    for (size_t k = 0; k < wLeft; ++k) {
      const Slot& s = slots[lead + k];
      size_t take = k == 0 ? static_cast<size_t>(first) : 1;
      std::string text;
      for (size_t j = 0; j < take && next < rEnd; ++j) text += r[next++];
      perEvent[s.event].emplace_back(&s, std::move(text));
    }
    for (auto& [index, replacements] : perEvent) {
      std::string old = TextOf(index);
      std::string fresh;
      size_t pos = 0;
      for (const auto& [slot, text] : replacements) {
        fresh.append(old, pos, slot->offset - pos);
        fresh.append(text);
        pos = slot->offset + slot->length;
      }
      fresh.append(old, pos, std::string::npos);
      if (fresh != old) {
        replaced_.push_back(index);
        LyricEvent::RewriteLong(lyrics_.Event(index), fresh,
                                CVocaloidConvertDictionary::kMaxSpreadEventBytes);
      }
    }
  }

  const CKanjiToKana& kanji_;
  MidiTrackData& lyrics_;
  std::vector<int64_t> ticks_;
  LyricCursor cursor_;
  std::vector<int> replaced_;
  bool candidatesCut_ = false;

 public:
  // A word had more candidates than are looked at.
  bool CandidatesCut() const { return candidatesCut_; }
  // The lyric events the dictionary rewrote, in order, each once.
  std::vector<int> Replaced() const {
    std::vector<int> events = replaced_;
    std::sort(events.begin(), events.end());
    events.erase(std::unique(events.begin(), events.end()), events.end());
    return events;
  }
};

}  // namespace

CVocaloidConvertDictionary::CVocaloidConvertDictionary(XfKaraokeData& song, int melodyChannel,
                                                       const std::string& dictionaryFolder) {
  CKanjiToKana kanji(dictionaryFolder);
  MidiTrackData& main = song.MainTrack();
  main.KeepTopNotes(melodyChannel);
  MidiTrackData* lyrics = song.LyricTrack();
  if (lyrics == nullptr) return;
  DictionaryPass pass(kanji, *lyrics);
  int64_t tick = 0;
  for (const MidiEvent& e : main.Events()) {
    tick += e.delta;
    if (e.kind != MidiKind::Note || e.channel != melodyChannel) continue;
    pass.AtNote(tick);
  }
  candidatesCut_ = pass.CandidatesCut();
  // Each rewritten event holds its reading from its tick up to the next lyric
  // event, where the notes in between may take a share of it.
  const std::vector<int64_t> ticks = lyrics->AbsoluteTimes();
  for (int index : pass.Replaced()) {
    TickRange range{ticks[static_cast<size_t>(index)], std::numeric_limits<int64_t>::max()};
    for (int next = index + 1; next < lyrics->Count(); ++next) {
      if (LyricEvent::IsLyric(lyrics->Event(next))) {
        range.end = ticks[static_cast<size_t>(next)];
        break;
      }
    }
    replaced_.push_back(range);
  }
}

}  // namespace crx
