#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace crx {

// CP932 (Shift-JIS) text, as lyrics and dictionaries hold it, to and from
// UTF-8, as messages and paths are. Every conversion goes through glibc iconv.
class TextCodec {
 public:
  // Nothing when the text holds a byte sequence that is no CP932 character.
  static std::optional<std::string> Cp932ToUtf8(std::string_view cp932);
  // For showing: an invalid byte becomes "?".
  static std::string Cp932ToUtf8Lossy(std::string_view cp932);
  // Nothing when a character cannot be held in CP932.
  static std::optional<std::string> Utf8ToCp932(std::string_view utf8);
  // EUC-JP, as Japanese word lists are written.
  static std::optional<std::string> EucJpToUtf8(std::string_view eucJp);
  static std::optional<std::string> Utf8ToEucJp(std::string_view utf8);

  // First byte of a double-byte CP932 character.
  static bool IsCp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
  }
};

}  // namespace crx
