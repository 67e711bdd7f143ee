#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

#include "lyrics/CListFile.h"

namespace crx {

// The English dictionary "english.csv": lower-case words (column 1) and
// their kana readings (column 2); of rows with the same word the last wins.
class CEnglishToKana {
 public:
  static constexpr const char* kFileName = "english.csv";
  // A longer run of letters is left as written.
  static constexpr size_t kMaxWordLength = 255;

  // Loads english.csv from the folder.
  explicit CEnglishToKana(const std::string& dictionaryFolder);

  // The reading of a word (folded to lower case for the lookup), or the word
  // as written when the dictionary lacks it.
  std::string LookupWord(std::string_view word) const;
  // The CP932 text with every run of ASCII letters replaced by its lookup.
  std::string ConvertText(std::string_view cp932) const;

  const CListFile& List() const { return list_; }

 private:
  CListFile list_;
  std::unordered_map<std::string, std::string> readings_;
};

}  // namespace crx
