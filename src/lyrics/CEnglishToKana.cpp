#include "lyrics/CEnglishToKana.h"

#include "foundation/FileHelpers.h"
#include "lyrics/Cp932Text.h"

namespace crx {
namespace {

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

CEnglishToKana::CEnglishToKana(const std::string& dictionaryFolder)
    : list_(JoinPath(dictionaryFolder, kFileName)) {
  // Later rows overwrite earlier ones: the last row of a word wins.
  for (int row = 0; row < list_.RowCount(); ++row) {
    readings_[list_.Cell(row, 0)] = list_.Cell(row, 1);
  }
}

std::string CEnglishToKana::LookupWord(std::string_view word) const {
  if (word.empty() || word.size() > kMaxWordLength) return std::string(word);
  std::string folded(word);
  ToLowerLatin(folded);
  auto it = readings_.find(folded);
  return it == readings_.end() ? std::string(word) : it->second;
}

std::string CEnglishToKana::ConvertText(std::string_view cp932) const {
  std::string out;
  out.reserve(cp932.size());
  for (size_t i = 0; i < cp932.size();) {
    if (Cp932Text::IsDoubleByteAt(cp932, i)) {
      out.append(cp932.substr(i, 2));
      i += 2;
    } else if (IsAsciiLetter(cp932[i])) {
      size_t end = i;
      while (end < cp932.size() && IsAsciiLetter(cp932[end])) ++end;
      out.append(LookupWord(cp932.substr(i, end - i)));
      i = end;
    } else {
      out.push_back(cp932[i]);
      ++i;
    }
  }
  return out;
}

}  // namespace crx
