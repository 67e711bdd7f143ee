#pragma once

#include <string>

namespace crx {

class XfKaraokeData;

// The kanji dictionary pass: makes the melody monophonic, then replaces, at
// every melody note, the longest written form of kanji.csv that begins the
// lyric word there by its reading, spread over the lyric events of the word.
// Does its whole work in the constructor.
class CVocaloidConvertDictionary {
 public:
  // A lyric event grows to at most this many bytes while a reading is
  // spread over it.
  static constexpr int kMaxSpreadEventBytes = 4096;

  CVocaloidConvertDictionary(XfKaraokeData& song, int melodyChannel,
                             const std::string& dictionaryFolder);
};

}  // namespace crx
