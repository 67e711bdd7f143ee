#include "video/LyricSheet.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>

#include "karaoke/LyricMarkup.h"
#include "karaoke/XfKaraokeData.h"
#include "lyrics/CImeLanguage.h"
#include "lyrics/LineReading.h"
#include "midi/TempoMap.h"
#include "platform/TextCodec.h"
#include "video/VideoText.h"

namespace crx {
namespace {

using Kind = LyricMarkup::Kind;

constexpr char kPartCue = '&';
constexpr size_t kPartCueLength = 2;
// Parts whose texts are labels, not lyrics: nothing sung, words spoken.
constexpr std::string_view kLabelParts = "xw";
constexpr char kPlaceholderMark = '-';
// ">" in the middle of a line: the room of one full-width character.
constexpr std::string_view kIndentSpace = "\u3000";

constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;

// The text in UTF-8 without control characters: a lead byte before one
// (no character of CP932) shows as "?", the control itself not at all.
std::string Utf8(std::string_view cp932) {
  std::string utf8 = TextCodec::Cp932ToUtf8Lossy(cp932);
  std::erase_if(utf8, [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < kFirstPrintable || u == kDelete;
  });
  return utf8;
}

// A text of nothing but "-" and blanks: a placeholder over the intro, or a
// mark that holds the syllable before; nothing to show.
bool IsPlaceholder(std::string_view cp932) {
  bool mark = false;
  for (char c : cp932) {
    if (c == kPlaceholderMark) {
      mark = true;
    } else if (c != ' ') {
      return false;
    }
  }
  return mark;
}

// A caption from a label's text: no blanks at its ends, none between two
// full-width characters ("間 奏" shows as "間奏").
std::string CaptionText(std::string_view utf8) {
  utf8 = VideoText::TrimBlanks(utf8);
  std::string out;
  for (size_t i = 0; i < utf8.size(); ++i) {
    const bool wideBefore = i > 0 && static_cast<unsigned char>(utf8[i - 1]) >= 0x80;
    const bool wideAfter = i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) >= 0x80;
    if (utf8[i] == ' ' && wideBefore && wideAfter) continue;
    out.push_back(utf8[i]);
  }
  return out;
}

// Cuts the blanks at the start of the line's first syllable; the rubies
// keep their place over the text.
void TrimLineStart(LyricSheet::Line& line) {
  if (line.syllables.empty()) return;
  std::string& text = line.syllables.front().text;
  const size_t cut = std::min(VideoText::LeadingBlanks(text), text.size());
  if (cut == 0) return;
  text.erase(0, cut);
  for (LyricSheet::Ruby& r : line.rubies) {
    r.offset = r.offset > cut ? r.offset - cut : 0;
  }
}

// Cuts the blanks at the end of the line's last syllable.
void TrimLineEnd(LyricSheet::Line& line) {
  if (line.syllables.empty()) return;
  std::string& text = line.syllables.back().text;
  const std::string_view kept = VideoText::TrimBlanks(text);
  const size_t end = static_cast<size_t>(kept.data() - text.data()) + kept.size();
  const size_t lineEnd = line.Text().size() - (text.size() - end);
  text.resize(end);
  for (LyricSheet::Ruby& r : line.rubies) {
    r.offset = std::min(r.offset, lineEnd);
    r.length = std::min(r.length, lineEnd - r.offset);
  }
}

double LineEms(const LyricSheet::Line& line) {
  return static_cast<double>(line.indent) + VideoText::WidthInEms(line.Text());
}

}  // namespace

// Lays out the events one by one: the syllable of the event being read, the
// line being gathered, the controls that carry over between events.
class LyricSheet::Builder {
 public:
  Builder(LyricSheet& sheet, double lineRoomEms) : sheet_(sheet), room_(lineRoomEms) {}

  void Cue(std::string_view text) {
    if (text.size() != kPartCueLength || text[0] != kPartCue) return;  // other cues: no layout
    EndLine();
    sheet_.EndPage();  // each part shows on pages of its own
    labels_ = kLabelParts.find(text[1]) != std::string_view::npos;
  }

  void Event(std::string_view cp932, double start, double end) {
    const std::vector<LyricMarkup::Piece> pieces = LyricMarkup::Parse(cp932, markup_);
    if (labels_) {
      Label(pieces, start, end);
      return;
    }
    // A reading going on from the event before wipes its base until this
    // event's own text starts, or to its end.
    const bool ownText = std::any_of(pieces.begin(), pieces.end(), [](const auto& p) {
      return p.kind == Kind::Text && !p.readingContinued && !p.remark &&
             !LyricMarkup::IsBlank(p.shown);
    });
    syllable_ = {{}, start, end};
    for (const LyricMarkup::Piece& p : pieces) {
      switch (p.kind) {
        case Kind::PageStart:
          EndSyllable();
          EndLine();
          sheet_.EndPage();
          break;
        case Kind::LineEnd:
          EndSyllable();
          EndLine();
          break;
        case Kind::Indent:
          if (line_.syllables.empty() && syllable_.text.empty()) {
            ++line_.indent;
          } else {
            spacing_ += kIndentSpace;
          }
          break;
        case Kind::OptionalBreak:
          EndSyllable();
          if (!line_.syllables.empty()) line_.breaks.push_back(line_.syllables.size());
          break;
        case Kind::Text:
          Text(p, ownText ? start : end);
          break;
      }
    }
    EndSyllable();
  }

  void Finish() {
    EndLine();
    sheet_.EndPage();
  }

 private:
  void Text(const LyricMarkup::Piece& p, double continuedUntil) {
    if (p.remark) return;
    if (p.readingContinued) {
      ContinueReading(p, continuedUntil);
      return;
    }
    const std::string shown = Utf8(p.shown);
    if (IsPlaceholder(p.shown) || shown.empty()) return;
    if (VideoText::LeadingBlanks(shown) == shown.size()) {
      spacing_ += shown;
      return;
    }
    syllable_.text += spacing_;
    spacing_.clear();
    if (p.readingShown) {
      rubies_.push_back(
          {Utf8(p.reading), syllable_.text.size(), shown.size(), syllable_.start, syllable_.end});
    }
    syllable_.text += shown;
  }

  void ContinueReading(const LyricMarkup::Piece& p, double until) {
    if (line_.syllables.empty()) return;  // its base is on a line gone by
    Syllable& base = line_.syllables.back();
    base.end = std::max(base.end, until);
    if (p.readingShown && lastRuby_ < line_.rubies.size()) {
      Ruby& ruby = line_.rubies[lastRuby_];
      ruby.text += Utf8(p.reading);
      ruby.end = std::max(ruby.end, until);
    }
  }

  void EndSyllable() {
    if (syllable_.text.empty()) {
      rubies_.clear();
      return;
    }
    const size_t at = line_.Text().size();
    lastRuby_ = rubies_.empty() ? kNone : line_.rubies.size() + rubies_.size() - 1;
    for (Ruby& r : rubies_) {
      r.offset += at;
      line_.rubies.push_back(std::move(r));
    }
    rubies_.clear();
    line_.syllables.push_back(syllable_);
    syllable_.text.clear();
  }

  void EndLine() {
    spacing_.clear();
    lastRuby_ = kNone;
    std::erase_if(line_.rubies, [](const Ruby& r) { return r.text.empty() || r.length == 0; });
    TrimLineStart(line_);
    TrimLineEnd(line_);
    if (!line_.syllables.empty() && !line_.Text().empty()) {
      sheet_.AddLine(std::move(line_), room_);
    }
    line_ = {};
  }

  // A label's text (its remark left out) becomes a caption page; its
  // controls still end lines and pages.
  void Label(const std::vector<LyricMarkup::Piece>& pieces, double start, double end) {
    std::string text;
    for (const LyricMarkup::Piece& p : pieces) {
      if (p.kind == Kind::PageStart || p.kind == Kind::LineEnd) {
        EndLine();
        if (p.kind == Kind::PageStart) sheet_.EndPage();
      } else if (p.kind == Kind::Text && !p.remark && !IsPlaceholder(p.shown)) {
        text += p.shown;
      }
    }
    const std::string caption = CaptionText(Utf8(text));
    if (caption.empty()) return;
    EndLine();
    sheet_.EndPage();
    Page page;
    page.caption = true;
    page.lines.emplace_back();
    page.lines.back().syllables.push_back({caption, start, end});
    sheet_.pages_.push_back(std::move(page));
  }

  static constexpr size_t kNone = static_cast<size_t>(-1);

  LyricSheet& sheet_;
  double room_;
  LyricMarkup::State markup_;
  bool labels_ = false;  // in a part of labels
  Line line_;
  Syllable syllable_;
  std::vector<Ruby> rubies_;  // over the syllable, offsets in its text
  std::string spacing_;       // blanks before the next syllable
  size_t lastRuby_ = kNone;   // the ruby of the line's last syllable
};

std::string LyricSheet::Line::Text() const {
  std::string text;
  for (const Syllable& s : syllables) text += s.text;
  return text;
}

std::string LyricSheet::DisplayText(std::string_view cp932) {
  std::string shown;
  for (const LyricMarkup::Piece& p : LyricMarkup::Parse(cp932)) {
    if (p.kind == Kind::Text && !p.remark) shown += p.shown;
  }
  return Utf8(shown);
}

LyricSheet LyricSheet::FromTimedTexts(const std::vector<TimedText>& events, double trackEnd,
                                      double lineRoomEms) {
  LyricSheet sheet;
  Builder builder(sheet, lineRoomEms);
  for (size_t i = 0; i < events.size(); ++i) {
    if (events[i].cue) {
      builder.Cue(events[i].cp932);
      continue;
    }
    const double start = events[i].seconds;
    size_t next = i + 1;
    while (next < events.size() && events[next].cue) ++next;
    double end = next < events.size() ? events[next].seconds
                 : trackEnd > start   ? trackEnd
                                      : start + kLastWipeSeconds;
    end = std::max(end, start);
    builder.Event(events[i].cp932, start, end);
  }
  builder.Finish();
  return sheet;
}

namespace {

// The length of the quarter note that ends at the time (seconds from tick 0).
double BeatBefore(const TempoMap& tempo, double seconds) {
  constexpr int64_t kLastTick = int64_t{1} << 40;
  int64_t low = 0;
  int64_t high = kLastTick;
  while (low < high) {  // the first tick at or after the time
    const int64_t mid = low + (high - low) / 2;
    if (tempo.Seconds(mid) < seconds) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  const int64_t from = std::max<int64_t>(low - tempo.Division(), 0);
  const double beat = tempo.Seconds(from + tempo.Division()) - tempo.Seconds(from);
  return beat > 0 ? beat : LyricSheet::kDefaultBeatSeconds;
}

}  // namespace

LyricSheet LyricSheet::FromSong(const XfKaraokeData& song, int offsetMs, double lineRoomEms) {
  const MidiTrackData* lyrics = song.LyricTrack();
  if (lyrics == nullptr) return {};
  const MidiTrackData& main = song.MainTrack();
  const TempoMap tempo(main, song.Division());

  int64_t firstNote = -1;
  const std::vector<int64_t> mainTimes = main.AbsoluteTimes();
  for (size_t i = 0; i < mainTimes.size(); ++i) {
    const MidiEvent& ev = main.Event(static_cast<int>(i));
    const bool sounds =
        ev.kind == MidiKind::Note || (ev.kind == MidiKind::NoteOn && ev.velocity > 0);
    if (sounds) {
      firstNote = mainTimes[i];
      break;
    }
  }
  const double origin = tempo.Seconds(std::max<int64_t>(firstNote, 0)) - offsetMs / 1000.0;

  std::vector<TimedText> events;
  const std::vector<int64_t> times = lyrics->AbsoluteTimes();
  double trackEnd = -std::numeric_limits<double>::infinity();
  for (size_t i = 0; i < times.size(); ++i) {
    const MidiEvent& ev = lyrics->Event(static_cast<int>(i));
    const double at = tempo.Seconds(times[i]) - origin;
    trackEnd = at;
    const bool cue = ev.IsMeta(kMetaCuePoint);
    if (!(ev.IsMeta(kMetaLyric) || cue) || !ev.HasData()) continue;
    std::string text = ev.Text();
    text.resize(std::min(text.size(), text.find('\0')));  // the text ends at a zero byte
    events.push_back({at, std::move(text), cue});
  }
  LyricSheet sheet = FromTimedTexts(events, trackEnd, lineRoomEms);
  for (Page& page : sheet.pages_) {
    for (Line& line : page.lines) {
      if (!line.syllables.empty()) {
        line.beatSeconds = BeatBefore(tempo, origin + line.syllables.front().start);
      }
    }
  }
  return sheet;
}

void LyricSheet::AddLine(Line line, double lineRoomEms) {
  const size_t count = line.syllables.size();
  std::erase_if(line.breaks, [count](size_t b) { return b == 0 || b >= count; });
  if (LineEms(line) > lineRoomEms && !line.breaks.empty()) {
    // Split where the wider half is narrowest.
    size_t best = line.breaks.front();
    double bestEms = kUnlimitedEms;
    for (size_t b : line.breaks) {
      Line head;
      head.indent = line.indent;
      head.syllables.assign(line.syllables.begin(), line.syllables.begin() + b);
      Line tail;
      tail.syllables.assign(line.syllables.begin() + b, line.syllables.end());
      TrimLineStart(tail);
      const double wider = std::max(LineEms(head), LineEms(tail));
      if (wider < bestEms) {
        bestEms = wider;
        best = b;
      }
    }
    Line head;
    Line tail;
    head.indent = line.indent;
    head.syllables.assign(line.syllables.begin(), line.syllables.begin() + best);
    tail.syllables.assign(line.syllables.begin() + best, line.syllables.end());
    const size_t cut = head.Text().size();
    for (Ruby& r : line.rubies) {
      if (r.offset + r.length <= cut) {
        head.rubies.push_back(std::move(r));
      } else if (r.offset >= cut) {
        r.offset -= cut;
        tail.rubies.push_back(std::move(r));
      }
    }
    for (size_t b : line.breaks) {
      (b < best ? head.breaks : tail.breaks).push_back(b < best ? b : b - best);
    }
    TrimLineEnd(head);
    TrimLineStart(tail);
    AddLine(std::move(head), lineRoomEms);
    AddLine(std::move(tail), lineRoomEms);
    return;
  }
  line.breaks.clear();
  page_.lines.push_back(std::move(line));
  if (page_.lines.size() >= kLinesPerPage) EndPage();
}

void LyricSheet::EndPage() {
  if (!page_.lines.empty()) pages_.push_back(std::move(page_));
  page_ = {};
}

void LyricSheet::AddReadings(CImeLanguage& ime) {
  for (Page& page : pages_) {
    if (page.caption) continue;
    for (Line& line : page.lines) {
      // The line's characters without its blanks, each with where it stands
      // in the line's text and the syllable it belongs to.
      struct Spot {
        std::string cp932;
        size_t offset = 0;
        size_t length = 0;
        size_t syllable = 0;
      };
      std::vector<Spot> spots;
      std::string joined;
      size_t at = 0;
      bool readable = true;
      for (size_t s = 0; s < line.syllables.size() && readable; ++s) {
        const std::string& text = line.syllables[s].text;
        const std::optional<std::string> cp932 = TextCodec::Utf8ToCp932(text);
        // Without a CP932 form that gives the text back the line stays as it is.
        readable = cp932.has_value() && Utf8(*cp932) == text;
        if (!readable) break;
        for (std::string& ch : LineReading::Characters(*cp932)) {
          const size_t length = Utf8(ch).size();
          if (!LyricMarkup::IsBlank(ch)) {
            joined += ch;
            spots.push_back({std::move(ch), at, length, s});
          }
          at += length;
        }
      }
      if (!readable || spots.empty()) continue;
      const std::optional<std::vector<Morpheme>> morphemes = ime.GetMorphemes(joined);
      if (!morphemes) continue;
      std::vector<std::string> characters;
      for (const Spot& spot : spots) characters.push_back(spot.cp932);
      const std::vector<CharacterReading> readings =
          LineReading::ReadLine(characters, *morphemes, false);
      auto covered = [&line](size_t offset) {
        return std::any_of(line.rubies.begin(), line.rubies.end(), [offset](const Ruby& r) {
          return offset >= r.offset && offset < r.offset + r.length;
        });
      };
      auto isKanji = [](const std::string& ch) {
        return ch.size() == 2 && LyricMarkup::KanjiRunStart(ch, ch.size()) == 0;
      };
      std::vector<Ruby> added;
      for (size_t i = 0; i < spots.size() && i < readings.size();) {
        if (!isKanji(spots[i].cp932) || covered(spots[i].offset)) {
          ++i;
          continue;
        }
        size_t j = i;
        std::string base;
        std::string reading;
        bool read = true;
        // A run goes on over blanks no further than its own characters.
        while (j < spots.size() && j < readings.size() && isKanji(spots[j].cp932) &&
               !covered(spots[j].offset) &&
               (j == i || spots[j].offset == spots[j - 1].offset + spots[j - 1].length)) {
          base += spots[j].cp932;
          reading += readings[j].sung;
          read = read && readings[j].read;
          ++j;
        }
        if (read && !reading.empty() && reading != base) {
          const Spot& first = spots[i];
          const Spot& last = spots[j - 1];
          added.push_back({Utf8(reading), first.offset, last.offset + last.length - first.offset,
                           line.syllables[first.syllable].start,
                           line.syllables[last.syllable].end});
        }
        i = j;
      }
      line.rubies.insert(line.rubies.end(), added.begin(), added.end());
      std::sort(line.rubies.begin(), line.rubies.end(),
                [](const Ruby& a, const Ruby& b) { return a.offset < b.offset; });
    }
  }
}

void LyricSheet::DropRubies() {
  for (Page& page : pages_) {
    for (Line& line : page.lines) line.rubies.clear();
  }
}

}  // namespace crx
