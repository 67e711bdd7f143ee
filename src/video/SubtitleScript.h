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
// with \kf tags. Script coordinates are the frame's pixels.
class SubtitleScript {
 public:
  static constexpr std::string_view kFontName = "IPAGothic";
  // A page shows this long before its first syllable, but not before the
  // last syllable of the page before has begun; the last page stays this
  // long after its last syllable.
  static constexpr double kPageLeadSeconds = 1.5;
  static constexpr double kLastPageHoldSeconds = 1.0;

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

  // Lyric text made safe for a dialogue line: "{", "}" and "\" shown as
  // themselves, line breaks and other control characters dropped.
  static std::string EscapeText(std::string_view utf8);
  // "H:MM:SS.cc".
  static std::string Timestamp(int64_t centiseconds);
  // Seconds to whole centiseconds, rounded to the nearest.
  static int64_t Centiseconds(double seconds);
  // The width of a text in font sizes: half-width characters count one half.
  static double WidthInEms(std::string_view utf8);

 private:
  int64_t Clamp(int64_t centiseconds) const;
  int FittedSize(double ems, int size) const;
  std::string Header() const;
  std::string CardEvents(const TitleCard& card, int64_t end) const;
  std::string LineEvent(const LyricSheet::Line& line, size_t index, Span span) const;

  int width_;
  int height_;
  int64_t duration_;  // centiseconds
};

}  // namespace crx
