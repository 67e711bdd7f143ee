#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "video/LyricSheet.h"

namespace crx {

struct SongCredits;

// The sung lines of a song with the time of every syllable, in the forms
// music players read: plain text, timed entries and an enhanced LRC file.
// Times are milliseconds from the start of the mixed sound; captions
// between sections are not sung and left out.
class SyncedLyrics {
 public:
  struct Syllable {
    int64_t ms = 0;
    std::string text;  // UTF-8; blanks at its start are spacing before it
  };
  struct Line {
    std::vector<Syllable> syllables;
    std::string Text() const;
  };
  struct Entry {
    uint32_t ms = 0;
    std::string text;
  };

  static SyncedLyrics FromSheet(const LyricSheet& sheet);

  bool Empty() const { return lines_.empty(); }
  const std::vector<Line>& Lines() const { return lines_; }

  // The lines as shown, one a line.
  std::string PlainText() const;
  // One entry per syllable; the first syllable of every line but the first
  // starts with a line feed, so that the entries join into the lines.
  std::vector<Entry> Entries() const;
  // "[mm:ss.xx]" before each line and "<mm:ss.xx>" before each syllable,
  // after the title, artist and lyricist tags of the credits that are set.
  std::string EnhancedLrc(const SongCredits& credits) const;
  // "mm:ss.xx", the minutes growing past 99 if need be.
  static std::string LrcTime(int64_t ms);

 private:
  std::vector<Line> lines_;
};

}  // namespace crx
