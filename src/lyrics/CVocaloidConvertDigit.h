#pragma once

#include <string>
#include <string_view>

namespace crx {

class XfKaraokeData;

// Reads every ASCII and full-width digit of every lyric, digit by digit
// (1 -> いち, ０ -> ぜろ). Does its whole work in the constructor.
class CVocaloidConvertDigit {
 public:
  explicit CVocaloidConvertDigit(XfKaraokeData& song);

  // The CP932 text with its digits read.
  static std::string ReadDigits(std::string_view text);
};

}  // namespace crx
