#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace crx {

class XfKaraokeData;

// Ticks from begin up to, not including, end.
struct TickRange {
  int64_t begin = 0;
  int64_t end = 0;
  bool Holds(int64_t tick) const { return tick >= begin && tick < end; }
};

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

  // Where the lyrics now hold readings of the dictionary: the ticks of every
  // rewritten lyric event up to the next lyric event, in order.
  const std::vector<TickRange>& Replaced() const { return replaced_; }
  // A word had more kanji candidates than are looked at; the rest were left
  // out.
  bool CandidatesCut() const { return candidatesCut_; }

 private:
  std::vector<TickRange> replaced_;
  bool candidatesCut_ = false;
};

}  // namespace crx
