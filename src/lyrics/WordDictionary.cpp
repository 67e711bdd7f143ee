#include "lyrics/WordDictionary.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <mutex>

#include "platform/TextCodec.h"

namespace crx {
namespace {

constexpr char kReadingOpen = '[';
constexpr char kReadingClose = ']';
constexpr char kGlossStart = '/';
constexpr char kVariantSeparator = ';';

std::string ReadWholeFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

const WordDictionary& WordDictionary::Installed() {
  static std::once_flag once;
  static WordDictionary installed;
  std::call_once(once, [] { installed = WordDictionary(ReadWholeFile(kInstalledPath)); });
  return installed;
}

WordDictionary::WordDictionary(std::string eucJp) : text_(std::move(eucJp)) {
  const std::string_view all(text_);
  for (size_t start = 0; start < all.size();) {
    size_t end = all.find('\n', start);
    if (end == std::string_view::npos) end = all.size();
    const std::string_view line = all.substr(start, end - start);
    start = end + 1;
    // "WORD [READING] /glosses/"; a word of kana alone has no reading.
    const size_t gloss = line.find(kGlossStart);
    const size_t open = line.find(kReadingOpen);
    if (open == std::string_view::npos || (gloss != std::string_view::npos && gloss < open)) {
      continue;
    }
    const size_t close = line.find(kReadingClose, open);
    if (close == std::string_view::npos || open == 0) continue;
    std::string_view word = line.substr(0, open);
    while (!word.empty() && word.back() == ' ') word.remove_suffix(1);
    std::string_view reading = line.substr(open + 1, close - open - 1);
    // Some entries list variants "a;b": each is a reading of its own.
    for (size_t from = 0; from <= reading.size();) {
      size_t to = reading.find(kVariantSeparator, from);
      if (to == std::string_view::npos) to = reading.size();
      const std::string_view one = reading.substr(from, to - from);
      if (!word.empty() && !one.empty() && word.size() <= kMaxWordBytes &&
          one.size() <= kMaxWordBytes) {
        std::vector<std::string_view>& readings = index_[word];
        if (std::find(readings.begin(), readings.end(), one) == readings.end()) {
          readings.push_back(one);
        }
      }
      from = to + 1;
    }
  }
}

std::vector<std::string> WordDictionary::Readings(std::string_view cp932) const {
  std::vector<std::string> out;
  if (index_.empty() || cp932.empty() || cp932.size() > kMaxWordBytes) return out;
  const std::optional<std::string> utf8 = TextCodec::Cp932ToUtf8(cp932);
  if (!utf8) return out;
  const std::optional<std::string> euc = TextCodec::Utf8ToEucJp(*utf8);
  if (!euc) return out;
  const auto found = index_.find(*euc);
  if (found == index_.end()) return out;
  for (std::string_view reading : found->second) {
    const std::optional<std::string> kana = TextCodec::EucJpToUtf8(reading);
    if (!kana) continue;
    if (std::optional<std::string> cp = TextCodec::Utf8ToCp932(*kana)) out.push_back(*cp);
  }
  return out;
}

}  // namespace crx
