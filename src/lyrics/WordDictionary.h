#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace crx {

// The readings a Japanese word list gives a written word: the installed
// EDICT file (EUC-JP, one reading a line, "故郷 [こきょう] /(n) home
// town/.../"), read once per process. Words and readings are CP932.
class WordDictionary {
 public:
  static constexpr const char* kInstalledPath = "/usr/share/edict/edict";
  // A headword or reading longer than this is no word of a lyric.
  static constexpr size_t kMaxWordBytes = 64;

  // The installed list, loaded on first use; empty when it is missing.
  static const WordDictionary& Installed();

  WordDictionary() = default;
  // A list from its EUC-JP text.
  explicit WordDictionary(std::string eucJp);

  // The readings of the written word in the list's order, each once; none
  // when the list does not hold it.
  std::vector<std::string> Readings(std::string_view cp932) const;
  bool Empty() const { return index_.empty(); }
  size_t Size() const { return index_.size(); }

 private:
  std::string text_;
  // Headword (EUC-JP) to its readings (EUC-JP), views into text_.
  std::unordered_map<std::string_view, std::vector<std::string_view>> index_;
};

}  // namespace crx
