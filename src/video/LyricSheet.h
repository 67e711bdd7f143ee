#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace crx {

class XfKaraokeData;

// The lyrics of a karaoke song laid out for the screen: pages of at most two
// lines, each line a row of syllables with the time of its wipe, in seconds
// from the start of the mixed WAV. Texts are UTF-8; ruby readings are left
// out, so a kanji shows as written.
class LyricSheet {
 public:
  static constexpr size_t kLinesPerPage = 2;
  static constexpr char kLineEnd = '/';
  static constexpr char kPageStart = '<';
  // The last lyric's wipe when nothing follows it in the track.
  static constexpr double kLastWipeSeconds = 1.0;

  struct Syllable {
    std::string text;
    double start = 0;
    double end = 0;
  };
  struct Line {
    std::vector<Syllable> syllables;
  };
  struct Page {
    std::vector<Line> lines;
    double FirstStart() const { return lines.front().syllables.front().start; }
    double LastStart() const { return lines.back().syllables.back().start; }
    double LastEnd() const { return lines.back().syllables.back().end; }
  };
  // One lyric event: its time and its CP932 text.
  struct TimedText {
    double seconds = 0;
    std::string cp932;
  };

  // The lyric events of the song's "XFKM" track, timed by the tempo map of
  // its main track from the song's first note (of any channel), shifted by
  // offsetMs. A song without lyrics gives an empty sheet.
  static LyricSheet FromSong(const XfKaraokeData& song, int offsetMs);
  // Lays out events in time order; trackEnd is when the lyric track ends.
  // Each event's text is wiped from its time to the next event's; "/" ends a
  // line, "<" starts a page, a third line starts a page too; bracketed ruby
  // readings, control characters and empty lines and pages are dropped.
  static LyricSheet FromTimedTexts(const std::vector<TimedText>& events, double trackEnd);

  // The text as shown: ruby readings and markers dropped, CP932 turned into
  // UTF-8 (a byte that is no character becomes "?").
  static std::string DisplayText(std::string_view cp932);

  const std::vector<Page>& Pages() const { return pages_; }
  bool Empty() const { return pages_.empty(); }

 private:
  void AddSyllable(Syllable syllable);
  void EndLine();
  void EndPage();

  std::vector<Page> pages_;
  Page page_;
  Line line_;
};

}  // namespace crx
