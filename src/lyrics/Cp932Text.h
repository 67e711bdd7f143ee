#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace crx {

// Character steps over CP932 text, as the kana passes walk it.
class Cp932Text {
 public:
  // Length of the character at i: 2 for a lead byte followed by a byte, else
  // 1 (a lead byte at the end of the text counts as one byte).
  static size_t CharLength(std::string_view text, size_t i);
  static bool IsDoubleByteAt(std::string_view text, size_t i) { return CharLength(text, i) == 2; }
  // The CP932 bytes of a UTF-8 literal of the source (empty when a character
  // has no CP932 form).
  static std::string FromUtf8(std::string_view utf8);
  // The text of a lyric event's data: the bytes up to the first zero byte.
  static std::string_view UpToZero(std::string_view data);
  // The longest beginning of at most maxBytes that does not end inside a
  // double-byte character.
  static std::string_view Head(std::string_view text, size_t maxBytes);
  // The longest ending of at most maxBytes that starts on a character
  // boundary, the characters counted from the start of the text.
  static std::string_view Tail(std::string_view text, size_t maxBytes);
};

}  // namespace crx
