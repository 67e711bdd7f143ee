#pragma once

#include <string>
#include <string_view>

namespace crx {

class XfKaraokeData;

// Removes every occurrence of a single-byte character and, optionally, of one
// double-byte character (CP932, two bytes) from every lyric. A lyric that
// becomes empty holds one zero byte. Does its whole work in the constructor.
class CVocaloidConvertRemoveChar {
 public:
  CVocaloidConvertRemoveChar(XfKaraokeData& song, char singleByte,
                             std::string_view doubleByte = {});

  // The text without the characters.
  static std::string Remove(std::string_view text, char singleByte, std::string_view doubleByte);
};

}  // namespace crx
