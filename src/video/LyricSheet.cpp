#include "video/LyricSheet.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "karaoke/XfKaraokeData.h"
#include "midi/TempoMap.h"
#include "platform/TextCodec.h"

namespace crx {
namespace {

constexpr char kRubyOpen = '[';
constexpr char kRubyClose = ']';
constexpr uint8_t kFirstPrintable = 0x20;
constexpr uint8_t kDelete = 0x7F;

// The CP932 bytes a lyric text shows, split where it ends a line or starts a
// page: each part and the marker after it (0 after the last part).
struct Part {
  std::string cp932;
  char marker = 0;
};

std::vector<Part> SplitAtMarkers(std::string_view text) {
  std::vector<Part> parts(1);
  bool inRuby = false;
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<uint8_t>(text[i]);
    const size_t len = TextCodec::IsCp932LeadByte(c) && i + 1 < text.size() ? size_t{2} : size_t{1};
    if (len == 1) {
      if (inRuby) {
        inRuby = c != kRubyClose;
      } else if (c == kRubyOpen) {
        inRuby = true;
      } else if (c == LyricSheet::kLineEnd || c == LyricSheet::kPageStart) {
        parts.back().marker = static_cast<char>(c);
        parts.emplace_back();
      } else if (c >= kFirstPrintable && c != kDelete && c != kRubyClose) {
        parts.back().cp932.push_back(static_cast<char>(c));
      }
    } else if (!inRuby) {
      parts.back().cp932.append(text.substr(i, 2));
    }
    i += len;
  }
  return parts;
}

}  // namespace

std::string LyricSheet::DisplayText(std::string_view cp932) {
  std::string shown;
  for (const Part& p : SplitAtMarkers(cp932)) shown += p.cp932;
  return TextCodec::Cp932ToUtf8Lossy(shown);
}

LyricSheet LyricSheet::FromTimedTexts(const std::vector<TimedText>& events, double trackEnd) {
  LyricSheet sheet;
  for (size_t i = 0; i < events.size(); ++i) {
    const double start = events[i].seconds;
    double end = i + 1 < events.size() ? events[i + 1].seconds
                 : trackEnd > start    ? trackEnd
                                       : start + kLastWipeSeconds;
    end = std::max(end, start);
    for (const Part& part : SplitAtMarkers(events[i].cp932)) {
      if (!part.cp932.empty()) {
        sheet.AddSyllable({TextCodec::Cp932ToUtf8Lossy(part.cp932), start, end});
      }
      if (part.marker == kLineEnd) sheet.EndLine();
      if (part.marker == kPageStart) sheet.EndPage();
    }
  }
  sheet.EndPage();
  return sheet;
}

LyricSheet LyricSheet::FromSong(const XfKaraokeData& song, int offsetMs) {
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
    if (!ev.IsMeta(kMetaLyric) || !ev.HasData()) continue;
    std::string text = ev.Text();
    text.resize(std::min(text.size(), text.find('\0')));  // the text ends at a zero byte
    events.push_back({at, std::move(text)});
  }
  return FromTimedTexts(events, trackEnd);
}

void LyricSheet::AddSyllable(Syllable syllable) { line_.syllables.push_back(std::move(syllable)); }

void LyricSheet::EndLine() {
  if (line_.syllables.empty()) return;
  page_.lines.push_back(std::move(line_));
  line_ = {};
  if (page_.lines.size() >= kLinesPerPage) EndPage();
}

void LyricSheet::EndPage() {
  if (!line_.syllables.empty()) {
    page_.lines.push_back(std::move(line_));
    line_ = {};
  }
  if (!page_.lines.empty()) pages_.push_back(std::move(page_));
  page_ = {};
}

}  // namespace crx
