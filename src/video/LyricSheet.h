#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace crx {

class CImeLanguage;
class XfKaraokeData;

// The lyrics of a karaoke song laid out for the screen: pages of at most two
// lines, each line a row of syllables with the time of its wipe, in seconds
// from the start of the mixed WAV, and the readings shown above its kanji.
// Texts are UTF-8; what the lyric controls mark (pages, lines, indents,
// optional breaks, ruby) is taken apart, no control character is shown.
class LyricSheet {
 public:
  static constexpr size_t kLinesPerPage = 2;
  // The last lyric's wipe when nothing follows it in the track.
  static constexpr double kLastWipeSeconds = 1.0;
  // A beat at 120 quarter notes a minute, where the song does not say.
  static constexpr double kDefaultBeatSeconds = 0.5;
  // Lines of any width stay whole.
  static constexpr double kUnlimitedEms = std::numeric_limits<double>::infinity();

  struct Syllable {
    // Blanks at its start are spacing before it: shown, never wiped.
    std::string text;
    double start = 0;
    double end = 0;
  };
  // A reading shown above the length bytes of the line's text from offset,
  // wiped with them from start to end.
  struct Ruby {
    std::string text;
    size_t offset = 0;
    size_t length = 0;
    double start = 0;
    double end = 0;
  };
  struct Line {
    std::vector<Syllable> syllables;
    std::vector<Ruby> rubies;    // in order, never overlapping
    size_t indent = 0;           // in full-width characters
    std::vector<size_t> breaks;  // syllables a too wide line may start anew at
    // The length of a beat as the line starts, for counting the singer in.
    double beatSeconds = kDefaultBeatSeconds;
    std::string Text() const;  // the syllables joined
  };
  struct Page {
    std::vector<Line> lines;
    // A label between sections (an intro, an interlude): one line of one
    // syllable, shown but never wiped.
    bool caption = false;
    double FirstStart() const { return lines.front().syllables.front().start; }
    double LastStart() const { return lines.back().syllables.back().start; }
    double LastEnd() const { return lines.back().syllables.back().end; }
  };
  // One event of the lyric track: its time and its CP932 text, a lyric or
  // (cue) a cue point.
  struct TimedText {
    double seconds = 0;
    std::string cp932;
    bool cue = false;
  };

  // The lyric events and cue points of the song's "XFKM" track, timed by the
  // tempo map of its main track from the song's first note (of any channel),
  // shifted by offsetMs; each line knows the beat it starts in. A song
  // without lyrics gives an empty sheet.
  static LyricSheet FromSong(const XfKaraokeData& song, int offsetMs,
                             double lineRoomEms = kUnlimitedEms);
  // Lays out events in time order; trackEnd is when the lyric track ends.
  // Each syllable is wiped from its event's time to the next event's; a ruby
  // going on into later events wipes its base until the last of them. "/"
  // and CR end a line, "<" and LF start a page, a third line starts a page
  // too; ">" at a line's start indents it; a line wider than lineRoomEms
  // (indent included) is split at its "%" marks. Events of blanks are spacing
  // before the next syllable. Under the part cues "&x" and "&w" the texts are
  // labels: each becomes a caption page. Remarks in full-width parentheses
  // and placeholders ("----") are left out.
  static LyricSheet FromTimedTexts(const std::vector<TimedText>& events, double trackEnd,
                                   double lineRoomEms = kUnlimitedEms);

  // The text as shown: controls, readings and remarks left out, CP932 turned
  // into UTF-8 (a byte that is no character becomes "?").
  static std::string DisplayText(std::string_view cp932);

  // Puts the reading of every run of kanji that has no ruby above it, as the
  // service reads the run within its line. Lines the service cannot read
  // stay as they are.
  void AddReadings(CImeLanguage& ime);
  // Leaves every ruby out.
  void DropRubies();

  const std::vector<Page>& Pages() const { return pages_; }
  bool Empty() const { return pages_.empty(); }

 private:
  class Builder;

  void AddLine(Line line, double lineRoomEms);
  void EndPage();

  std::vector<Page> pages_;
  Page page_;
};

}  // namespace crx
