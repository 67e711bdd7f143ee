#include "lyrics/LyricTrackPreparer.h"

#include <algorithm>
#include <cctype>
#include <limits>
#include <string_view>

#include "karaoke/LyricMarkup.h"
#include "karaoke/XfKaraokeData.h"
#include "lyrics/Cp932Text.h"
#include "lyrics/LyricEvent.h"
#include "midi/MidiTrackData.h"

namespace crx {
namespace {

constexpr std::string_view kLineMark = "/";
constexpr std::string_view kPageMark = "<";
constexpr char kPartCue = '&';
// Vocal-part cues: what follows is no vocal part, spoken words, a chorus.
constexpr char kNoVocalPart = 'x';
constexpr char kSpokenPart = 'w';
constexpr char kChorusPart = 'c';
// The other part letters (male, female, solo, plural) are sung.
constexpr std::string_view kSungParts = "mfsp";
constexpr std::string_view kPlaceholderCharacters = "-_";

enum class Role { Sung, LineMark, Other };

struct Item {
  int64_t tick = 0;
  int64_t newTick = 0;
  MidiEvent event;
  Role role = Role::Other;
  bool rewritten = false;
};

bool IsPlaceholder(std::string_view sung) {
  return !sung.empty() && sung.find_first_not_of(kPlaceholderCharacters) == std::string_view::npos;
}

// The lyric as the kana passes take it: the page mark, the line mark, then every sung
// piece; a ruby over one character stays in brackets (the passes replace
// that character by it), any other reading is written out.
std::string PassText(const std::vector<LyricMarkup::Piece>& pieces, bool page, bool lineBreak) {
  std::string text = page ? std::string(kPageMark) : std::string();
  if (lineBreak) text += kLineMark;
  for (const LyricMarkup::Piece& p : pieces) {
    const std::string sung = p.Sung();
    if (sung.empty()) continue;
    const bool plain = p.reading.empty() && !p.readingContinued;
    if (plain) {
      text += p.shown;  // spaces go later, with the other spaces
      continue;
    }
    const bool oneBase = !p.shown.empty() && Cp932Text::CharLength(p.shown, 0) == p.shown.size();
    if (p.readingShown && !p.readingContinued && !p.reading.empty() && oneBase) {
      text += p.shown + "[" + p.reading + "]";
    } else {
      text += sung;
    }
  }
  return text;
}

MidiEvent LineMarkEvent() {
  MidiEvent mark;
  mark.kind = MidiKind::Meta;
  mark.subtype = kMetaLyric;
  mark.SetData(kLineMark);
  return mark;
}

// The part a cue point starts: 1 sung, 0 not sung, -1 no part cue.
int PartOfCue(const MidiEvent& event, const LyricPreparationOptions& options) {
  const std::string text = LyricEvent::Text(event);
  if (text.size() != 2 || text[0] != kPartCue) return -1;
  const char part = static_cast<char>(std::tolower(static_cast<unsigned char>(text[1])));
  if (part == kNoVocalPart || part == kSpokenPart) return 0;
  if (part == kChorusPart) return options.singChorus ? 1 : 0;
  return kSungParts.find(part) != std::string_view::npos ? 1 : -1;
}

// Reads the track into items: what is sung, the line marks, everything else.
std::vector<Item> ReadItems(const MidiTrackData& lyrics, const LyricPreparationOptions& options,
                            PreparedLyrics& report) {
  std::vector<Item> items;
  bool sungPart = true;
  bool pendingPage = false;
  LyricMarkup::State markup;
  int64_t tick = 0;
  for (const MidiEvent& ev : lyrics.Events()) {
    tick += ev.delta;
    if (ev.IsEndOfTrack()) continue;
    if (ev.IsMeta(kMetaCuePoint)) {
      const int part = PartOfCue(ev, options);
      if (part >= 0) sungPart = part == 1;
    }
    if (!LyricEvent::IsLyric(ev)) {
      items.push_back({tick, tick, MidiEvent::CopyOf(&ev), Role::Other, false});
      continue;
    }
    const std::string text = LyricEvent::Text(ev);
    if (!sungPart) {
      ++report.labels;
      report.changed = true;
      continue;
    }
    const std::vector<LyricMarkup::Piece> pieces = LyricMarkup::Parse(text, markup);
    size_t firstSung = pieces.size();
    size_t lastSung = 0;
    std::string sung;
    for (size_t i = 0; i < pieces.size(); ++i) {
      const std::string s = pieces[i].Sung();
      if (s.empty()) continue;
      firstSung = std::min(firstSung, i);
      lastSung = i;
      sung += s;
    }
    if (IsPlaceholder(sung)) sung.clear();
    auto markBefore = [&](LyricMarkup::Kind kind) {
      for (size_t i = 0; i < pieces.size() && i < firstSung; ++i) {
        if (pieces[i].kind == kind) return true;
      }
      return false;
    };
    auto markAfter = [&](LyricMarkup::Kind kind) {
      for (size_t i = sung.empty() ? 0 : lastSung + 1; i < pieces.size(); ++i) {
        if (pieces[i].kind == kind) return true;
      }
      return false;
    };
    if (sung.empty()) {
      if (markBefore(LyricMarkup::Kind::PageStart)) pendingPage = true;
      const bool lineMark = markBefore(LyricMarkup::Kind::LineEnd);
      if (lineMark) {
        // A mark written as the passes read it stays the event it was.
        const bool asRead = text == kLineMark;
        items.push_back({tick, tick, asRead ? MidiEvent::CopyOf(&ev) : LineMarkEvent(),
                         Role::LineMark, !asRead});
        if (!asRead) report.changed = true;
      } else {
        ++report.displayOnly;
        report.changed = true;
      }
      continue;
    }
    const bool page = pendingPage || markBefore(LyricMarkup::Kind::PageStart);
    pendingPage = markAfter(LyricMarkup::Kind::PageStart);
    const std::string passText = PassText(pieces, page, markBefore(LyricMarkup::Kind::LineEnd));
    Item item{tick, tick, MidiEvent::CopyOf(&ev), Role::Sung, passText != text};
    if (item.rewritten) {
      LyricEvent::RewriteLong(item.event, passText, passText.size());
      report.changed = true;
    }
    items.push_back(std::move(item));
    if (markAfter(LyricMarkup::Kind::LineEnd)) {
      items.push_back({tick, tick, LineMarkEvent(), Role::LineMark, true});
      report.changed = true;
    }
  }
  return items;
}

// Some lyrics stand further from their note than a sixteenth, mostly early.
// Between two matched lyrics, the ones left over take the notes no lyric
// took, nearest first and in order, within this many sixteenths.
constexpr int64_t kEarlyLyricReach = 8;

void FillGaps(const std::vector<int64_t>& lyricTicks, const std::vector<int64_t>& notes,
              int64_t reach, std::vector<int>& match) {
  std::vector<bool> taken(notes.size(), false);
  for (int m : match) {
    if (m >= 0) taken[static_cast<size_t>(m)] = true;
  }
  size_t l = 0;
  int lowNote = -1;  // the note of the matched lyric before the gap
  while (l < match.size()) {
    if (match[l] >= 0) {
      lowNote = match[l++];
      continue;
    }
    size_t end = l;
    while (end < match.size() && match[end] < 0) ++end;
    const int highNote = end < match.size() ? match[end] : static_cast<int>(notes.size());
    std::vector<int64_t> gapLyrics(lyricTicks.begin() + static_cast<std::ptrdiff_t>(l),
                                   lyricTicks.begin() + static_cast<std::ptrdiff_t>(end));
    std::vector<int64_t> gapNotes;
    std::vector<int> gapIndex;
    for (int n = lowNote + 1; n < highNote; ++n) {
      if (taken[static_cast<size_t>(n)]) continue;
      gapNotes.push_back(notes[static_cast<size_t>(n)]);
      gapIndex.push_back(n);
    }
    const std::vector<int> fill = LyricTrackPreparer::Align(gapLyrics, gapNotes, reach);
    for (size_t k = 0; k < fill.size(); ++k) {
      if (fill[k] >= 0) match[l + k] = gapIndex[static_cast<size_t>(fill[k])];
    }
    l = end;
  }
}

// Moves the sung lyrics onto their notes; the line marks go with the lyric
// after them, everything else keeps its place in the order.
void Retime(std::vector<Item>& items, const std::vector<int64_t>& notes, int64_t tolerance,
            PreparedLyrics& report) {
  std::vector<size_t> sung;
  std::vector<int64_t> lyricTicks;
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i].role != Role::Sung) continue;
    sung.push_back(i);
    lyricTicks.push_back(items[i].tick);
  }
  std::vector<int> match = LyricTrackPreparer::Align(lyricTicks, notes, tolerance);
  FillGaps(lyricTicks, notes, tolerance * kEarlyLyricReach, match);
  // Matched lyrics stand on their notes; the others keep their tick within
  // the neighbours' new ticks.
  int64_t previous = 0;
  for (size_t k = 0; k < sung.size(); ++k) {
    Item& item = items[sung[k]];
    if (match[k] >= 0) {
      item.newTick = notes[static_cast<size_t>(match[k])];
    } else {
      item.newTick = std::max(item.tick, previous);
      ++report.unmatched;
    }
    previous = item.newTick;
  }
  int64_t next = std::numeric_limits<int64_t>::max();
  for (size_t k = sung.size(); k-- > 0;) {
    Item& item = items[sung[k]];
    if (match[k] < 0) item.newTick = std::min(item.newTick, next);
    next = item.newTick;
  }
  // Everything else, in order between the sung lyrics around it.
  previous = 0;
  size_t nextSung = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    Item& item = items[i];
    while (nextSung < sung.size() && sung[nextSung] < i) ++nextSung;
    if (item.role == Role::Sung) {
      previous = item.newTick;
      continue;
    }
    const bool hasNext = nextSung < sung.size();
    const int64_t upper =
        hasNext ? items[sung[nextSung]].newTick : std::numeric_limits<int64_t>::max();
    const bool onNote = std::binary_search(notes.begin(), notes.end(), item.tick);
    if (item.role == Role::LineMark && hasNext &&
        !(onNote && item.tick >= previous && item.tick <= upper)) {
      // A mark between notes breaks the line before the lyric after it; one
      // on a note of its own leaves that note unsung, as written.
      item.newTick = upper;
    } else {
      item.newTick = std::clamp(item.tick, previous, std::max(previous, upper));
    }
    previous = item.newTick;
  }
  for (const Item& item : items) {
    if (item.newTick != item.tick) {
      report.changed = true;
      if (item.role == Role::Sung) ++report.moved;
    }
  }
}

}  // namespace

std::vector<int64_t> LyricTrackPreparer::NoteStarts(const MidiTrackData& main, int channel) {
  std::vector<int64_t> ticks;
  int64_t tick = 0;
  for (const MidiEvent& ev : main.Events()) {
    tick += ev.delta;
    const bool starts =
        ev.kind == MidiKind::Note || (ev.kind == MidiKind::NoteOn && ev.velocity > 0);
    if (starts && ev.channel == channel) ticks.push_back(tick);
  }
  std::sort(ticks.begin(), ticks.end());
  ticks.erase(std::unique(ticks.begin(), ticks.end()), ticks.end());
  return ticks;
}

std::vector<int> LyricTrackPreparer::Align(const std::vector<int64_t>& lyricTicks,
                                           const std::vector<int64_t>& noteTicks,
                                           int64_t tolerance) {
  const size_t n = noteTicks.size();
  std::vector<int> result(lyricTicks.size(), -1);
  if (n == 0 || lyricTicks.empty()) return result;
  // Score of a matching: pairs first, then the least distance.
  const int64_t pairWeight = (tolerance + 1) * static_cast<int64_t>(lyricTicks.size() + 1);
  struct Cell {
    int64_t score = std::numeric_limits<int64_t>::min();
    int node = -1;  // the pair that reaches it
  };
  struct Node {
    int lyric = 0;
    int note = 0;
    int before = -1;
  };
  std::vector<Node> nodes;
  // Best chain ending on a note at or before each index (a Fenwick tree of
  // prefix maxima), over the lyrics already placed.
  std::vector<Cell> tree(n + 1);
  auto query = [&](size_t count) {  // notes 0 .. count-1
    Cell best{0, -1};
    for (size_t i = count; i > 0; i -= i & (~i + 1)) {
      if (tree[i].score > best.score) best = tree[i];
    }
    return best;
  };
  auto update = [&](size_t note, Cell cell) {
    for (size_t i = note + 1; i <= n; i += i & (~i + 1)) {
      if (cell.score > tree[i].score) tree[i] = cell;
    }
  };
  Cell overall{0, -1};
  std::vector<std::pair<size_t, Cell>> pending;
  for (size_t l = 0; l < lyricTicks.size(); ++l) {
    const int64_t at = lyricTicks[l];
    auto first = std::lower_bound(noteTicks.begin(), noteTicks.end(), at - tolerance);
    pending.clear();
    for (auto it = first; it != noteTicks.end() && *it <= at + tolerance; ++it) {
      const auto note = static_cast<size_t>(it - noteTicks.begin());
      const Cell before = query(note);
      const int64_t distance = *it > at ? *it - at : at - *it;
      nodes.push_back({static_cast<int>(l), static_cast<int>(note), before.node});
      Cell cell{before.score + pairWeight - distance, static_cast<int>(nodes.size() - 1)};
      pending.emplace_back(note, cell);
      if (cell.score > overall.score) overall = cell;
    }
    for (const auto& [note, cell] : pending) update(note, cell);
  }
  for (int node = overall.node; node >= 0; node = nodes[static_cast<size_t>(node)].before) {
    result[static_cast<size_t>(nodes[static_cast<size_t>(node)].lyric)] =
        nodes[static_cast<size_t>(node)].note;
  }
  return result;
}

PreparedLyrics LyricTrackPreparer::Prepare(XfKaraokeData& song, int melodyChannel,
                                           const LyricPreparationOptions& options) {
  PreparedLyrics report;
  MidiTrackData* lyrics = song.LyricTrack();
  if (lyrics == nullptr) return report;
  std::vector<Item> items = ReadItems(*lyrics, options, report);
  const int64_t tolerance = std::max(song.Division() / kToleranceDivisor, 0);
  Retime(items, LyricTrackPreparer::NoteStarts(song.MainTrack(), melodyChannel), tolerance, report);
  if (!report.changed) return report;

  int64_t end = 0;
  {
    int64_t tick = 0;
    for (const MidiEvent& ev : lyrics->Events()) tick += ev.delta;
    end = tick;
  }
  lyrics->Clear();
  int64_t tick = 0;
  for (Item& item : items) {
    item.event.delta = static_cast<int>(item.newTick - tick);
    tick = item.newTick;
    lyrics->Append(std::move(item.event));
  }
  lyrics->AppendEndOfTrack(static_cast<int>(std::max<int64_t>(end - tick, 0)));
  return report;
}

}  // namespace crx
