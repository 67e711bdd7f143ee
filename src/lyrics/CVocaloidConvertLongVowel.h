#pragma once

#include <string>
#include <string_view>

namespace crx {

class XfKaraokeData;

// Replaces "っ", "ッ" and "ー" by the vowel of the kana before them, carried
// across lyric events from the start of the song ("つ" before the first).
// Does its whole work in the constructor.
class CVocaloidConvertLongVowel {
 public:
  explicit CVocaloidConvertLongVowel(XfKaraokeData& song);

  // Converts one CP932 text; previousKana (one CP932 hiragana character) is
  // carried in and out.
  static std::string Convert(std::string_view text, std::string& previousKana);
  // The vowel of a hiragana character ("あ" for any other character).
  static std::string_view VowelOf(std::string_view kana);
};

}  // namespace crx
