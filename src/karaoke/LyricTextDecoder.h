#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace crx {

// The encodings lyric texts arrive in.
enum class LyricEncoding { Cp932, Utf8, Utf16Le, Utf16Be, Cp1252 };

// Turns lyric texts of any of the encodings into CP932, the encoding of the
// song model. Every result is valid CP932: what CP932 cannot hold becomes a
// close ASCII letter or sign ("ä" -> "a", "ß" -> "ss", "’" -> "'"), else "?".
// Latin-1 (CP1252) text always comes out as plain ASCII, so that a Western
// song stays a single-byte song.
class LyricTextDecoder {
 public:
  // The encoding of a set of texts (a text with a byte order mark speaks for
  // itself and is left out): UTF-8 when every text with a byte of 0x80 or
  // more is strict UTF-8, else CP932 when every text is valid CP932, else
  // CP1252. Plain ASCII gives CP932.
  static LyricEncoding Detect(const std::vector<std::string>& texts);
  // The text in CP932. A byte order mark at its start (UTF-8, UTF-16) wins
  // over the encoding given and is dropped.
  static std::string ToCp932(std::string_view text, LyricEncoding encoding);

  static bool IsStrictUtf8(std::string_view text);
  static bool IsValidCp932(std::string_view text);
  // The ASCII stand-in of a character CP932 cannot hold ("?" when none).
  static std::string_view AsciiFor(uint32_t codePoint);

 private:
  static std::string Utf8ToCp932(std::string_view utf8);
  static std::string Cp932Checked(std::string_view cp932);
  static std::string Cp1252ToAscii(std::string_view text);
  static std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian);
};

}  // namespace crx
