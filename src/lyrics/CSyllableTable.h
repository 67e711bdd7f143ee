#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace crx {

// One sung syllable of a note before timing: its kana, phonetic symbol and
// consonant value.
struct SyllableEntry {
  std::string text;      // CP932 kana: one kana, or a kana with its small kana
  std::string phonetic;  // phonemes separated by one blank, at most 9 bytes
  int32_t consonant = 0;
  bool operator==(const SyllableEntry&) const = default;
};

struct PhoneticSymbol {
  std::string phonetic;
  int32_t consonant = 0;
};

// The kana tables of the syllable split: the 80 katakana with their
// hiragana, the 65 two-kana syllables and the phonetic table. All texts are
// CP932.
class CSyllableTable {
 public:
  // Every one of the 80 katakana of the table replaced by its hiragana,
  // character by character; other characters are copied.
  static std::string ToHiragana(std::string_view text);
  // The hiragana of one katakana character of the table; any other
  // character is returned unchanged.
  static std::string_view HiraganaOf(std::string_view character);
  // True for one of the 80 katakana or 80 hiragana of the table.
  static bool IsTableKana(std::string_view character);

  // Splits a lyric into syllables (katakana first become hiragana). "ー" and
  // "^" give no entry; a broken double-byte character at the end gives none
  // either. In a single-byte-only song a single-byte character starts one
  // syllable that takes the whole rest of the text.
  static std::vector<SyllableEntry> Split(std::string_view lyric, bool singleByteOnly);

  // The phonetic symbol of one syllable: the first matching row of the
  // table, else "a" with the consonant value 64.
  static PhoneticSymbol Phonetic(std::string_view syllable);

  // True when the four bytes form one of the two-kana syllables.
  static bool IsTwoKanaSyllable(std::string_view fourBytes);
};

}  // namespace crx
