#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace crx {

// The display controls of a karaoke lyric text, taken apart. Karaoke files
// write more than the sung syllables into their lyric events: "/" ends a
// line, "<" starts a page, ">" indents, "^" is a visible space, "%" an
// optional break, "[...]" a ruby reading over the text before it, "(...)" a
// reading that is not shown, a backslash makes the next control a plain
// character; carriage return ends a line and line feed a page, a trailing
// space ends a word. A remark in full-width parentheses is shown but never
// sung. All text is CP932.
class LyricMarkup {
 public:
  enum class Kind { Text, LineEnd, PageStart, Indent, OptionalBreak };

  struct Piece {
    Kind kind = Kind::Text;
    // Text: what the screen shows (a visible space as " ").
    std::string shown;
    // The reading of the text: shown above it when readingShown (ruby),
    // sung in its place either way. Spaces inside brackets are dropped.
    std::string reading;
    bool readingShown = false;
    // The reading goes on from a ruby of the event before (no text of its
    // own; shown over the base there).
    bool readingContinued = false;
    // A remark in full-width parentheses: shown, neither sung nor wiped.
    bool remark = false;

    // What is sung for the piece: its reading, else its text without
    // spaces; nothing for controls and remarks.
    std::string Sung() const;
  };

  // Brackets may close in a later event (平[へ + い]): what is still open
  // after one event carries over to the next.
  struct State {
    enum class Open { None, Ruby, HiddenReading };
    Open open = Open::None;
  };

  // The pieces of one event's text, in order.
  static std::vector<Piece> Parse(std::string_view cp932, State& state);
  static std::vector<Piece> Parse(std::string_view cp932);

  // What the pieces sing, joined.
  static std::string SungText(const std::vector<Piece>& pieces);
  // What the pieces show, joined (remarks included, readings left out).
  static std::string ShownText(const std::vector<Piece>& pieces);
  static bool HasKind(const std::vector<Piece>& pieces, Kind kind);

  // A text of spaces only (half- and full-width), or empty.
  static bool IsBlank(std::string_view cp932);
  // A run of kanji (any double-byte character that is no kana and no
  // symbol) ends the text at this byte offset: its start.
  static size_t KanjiRunStart(std::string_view cp932, size_t end);
};

}  // namespace crx
