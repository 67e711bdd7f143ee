#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "video/LyricSheet.h"
#include "video/TitleCard.h"

namespace crx {

// The karaoke subtitle script (ASS) that the encoder burns into the video:
// the title card, then the lyric pages, each line wiped syllable by syllable
// with \kf tags and its rubies above it wiped with their base, captions
// between sections unwiped. The first line of a page stands at the left, the
// second at the right, an indented line at the left by its indent. Script
// coordinates are the frame's pixels.
class SubtitleScript {
 public:
  static constexpr std::string_view kFontName = "IPAGothic";
  // A page shows this long before its first syllable, but not before the
  // last syllable of the page before has begun; the last page stays this
  // long after its last syllable.
  static constexpr double kPageLeadSeconds = 1.5;
  static constexpr double kLastPageHoldSeconds = 1.0;
  // A line that starts this long or longer after the syllable before it is
  // counted in: kCountInBeats dots over its start, one going out a beat,
  // the last as the line starts; its page shows a beat before the dots.
  static constexpr double kCountInGapSeconds = 5.0;
  static constexpr int kCountInBeats = 4;
  static constexpr std::string_view kCountInDot = "●";

  // A count-in: its first dot goes out at start + beat, its last at
  // start + kCountInBeats beats, when the line starts.
  struct CountIn {
    size_t page = 0;
    size_t line = 0;
    double start = 0;
    double beat = 0;
  };

  // When each page is on screen, in centiseconds.
  struct Span {
    int64_t start = 0;
    int64_t end = 0;
  };

  SubtitleScript(int width, int height, double durationSeconds);

  // The whole script.
  std::string Build(const LyricSheet& sheet, const TitleCard& card) const;
  // When each page of the sheet shows (clamped to the video).
  std::vector<Span> PageSpans(const LyricSheet& sheet) const;
  // The lines counted in, in order: those after a long wait that have the
  // room for the count before them.
  static std::vector<CountIn> CountIns(const LyricSheet& sheet);

  // Lyric text made safe for a dialogue line: "{", "}" and "\" shown as
  // themselves, line breaks and other control characters dropped.
  static std::string EscapeText(std::string_view utf8);
  // "H:MM:SS.cc".
  static std::string Timestamp(int64_t centiseconds);
  // Seconds to whole centiseconds, rounded to the nearest.
  static int64_t Centiseconds(double seconds);
  // How many font sizes of the lyrics a line holds at full size.
  double LineRoomEms() const;

 private:
  // Where a line of a page goes: its font size, the left end of its text,
  // its baseline, and whether it is placed by its right end.
  struct Place {
    int size = 0;
    int left = 0;
    int x = 0;  // the anchor of its \pos
    int baseline = 0;
    bool right = false;
  };

  int64_t Clamp(int64_t centiseconds) const;
  int FittedSize(double ems, int size) const;
  int Outline() const;
  std::string Header() const;
  std::string CardEvents(const TitleCard& card, int64_t end) const;
  Place PlaceOf(const LyricSheet::Line& line, size_t index) const;
  std::string LineEvent(const LyricSheet::Line& line, const Place& place, Span span) const;
  std::string RubyEvents(const LyricSheet::Line& line, const Place& place, Span span) const;
  std::string CaptionEvent(const LyricSheet::Page& page, Span span) const;
  std::string CountInEvents(const CountIn& count, const Place& place) const;
  // From the cursor (centiseconds) a wait until start, then a wipe until
  // end; the cursor moves on to the wipe's end.
  struct Step {
    int64_t wait = 0;
    int64_t wipe = 0;
  };
  Step Advance(double start, double end, int64_t& cursor) const;

  int width_;
  int height_;
  int64_t duration_;  // centiseconds
};

}  // namespace crx
