#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "lyrics/CListFile.h"

namespace crx {

// A written form of the kanji dictionary and its reading.
struct KanaCandidate {
  std::string written;
  std::string reading;
};

// The kanji dictionary "kanji.csv": written forms (column 1) and their
// readings (column 2), rows of one first character standing together.
class CKanjiToKana {
 public:
  static constexpr const char* kFileName = "kanji.csv";
  static constexpr size_t kMaxCandidates = 512;
  // A written form or reading longer than this is no candidate.
  static constexpr size_t kMaxCandidateText = 63;

  // Loads kanji.csv from the folder.
  explicit CKanjiToKana(const std::string& dictionaryFolder);

  // The rows whose written form begins with the same two bytes as the text:
  // the last such run of rows in the file, from its last row upwards, at most
  // 512 (cut, when given, tells whether more were left out: the user hears a
  // beep for it). Returns the greatest written-form length in bytes (0 when
  // nothing matched).
  size_t FindCandidates(std::string_view text, std::vector<KanaCandidate>& out,
                        bool* cut = nullptr) const;

  const CListFile& List() const { return list_; }

 private:
  CListFile list_;
};

}  // namespace crx
