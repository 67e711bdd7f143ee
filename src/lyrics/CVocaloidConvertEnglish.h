#pragma once

#include <string>

namespace crx {

class XfKaraokeData;

// The English dictionary pass: every run of ASCII letters in a lyric is
// replaced by its reading from english.csv. Does its whole work in the
// constructor.
class CVocaloidConvertEnglish {
 public:
  CVocaloidConvertEnglish(XfKaraokeData& song, const std::string& dictionaryFolder);
};

}  // namespace crx
