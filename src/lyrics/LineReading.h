#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ReadingService.h"

namespace crx {

// What the reading of its line gives one character of a lyric.
struct CharacterReading {
  std::string sung;       // CP932: the character's share of its word's reading
  bool read = false;      // kana, or a character the line gave a kana reading
  bool particle = false;  // the particle は or へ
};

// Reads a lyric line in context: the morphemes of the whole line, each
// morpheme's reading aligned to its written characters so that the kana
// written in the lyric are matched, never repeated, and every other
// character gets its share of the rest. All text is CP932.
class LineReading {
 public:
  // A morpheme longer than this is not aligned (its characters stay unread).
  static constexpr size_t kMaxAlignedCharacters = 32;

  // The share of the reading of every character of a morpheme's surface,
  // in order; nothing when the kana of the surface do not fit the reading.
  static std::optional<std::vector<std::string>> AlignMorpheme(
      const std::vector<std::string>& surface, std::string_view reading);

  // The reading of every character of a line (the characters joined in the
  // order given) from the morphemes of the line. Characters the morphemes
  // do not cover, or cover with a surface that differs, stay unread.
  static std::vector<CharacterReading> ReadLine(const std::vector<std::string>& characters,
                                                const std::vector<Morpheme>& morphemes,
                                                bool particlesAsSung);

  // Hiragana, the 80 katakana of the syllable table, small kana and "ー".
  static bool IsKana(std::string_view character);
  // The characters of a CP932 text.
  static std::vector<std::string> Characters(std::string_view text);
};

}  // namespace crx
