#include "lyrics/CKanjiToKana.h"

#include <algorithm>

#include "foundation/FileHelpers.h"

namespace crx {
namespace {

// Rows are matched on the first two bytes of the written form.
constexpr size_t kKeyBytes = 2;

}  // namespace

CKanjiToKana::CKanjiToKana(const std::string& dictionaryFolder)
    : list_(JoinPath(dictionaryFolder, kFileName)) {}

size_t CKanjiToKana::FindCandidates(std::string_view text, std::vector<KanaCandidate>& out,
                                    bool* cut) const {
  out.clear();
  if (cut != nullptr) *cut = false;
  if (text.empty()) return 0;
  const std::string_view key = text.substr(0, kKeyBytes);
  size_t greatest = 0;
  bool groupOpen = false;
  // From the last row up: only the last run of matching rows counts.
  for (int row = list_.RowCount() - 1; row >= 0; --row) {
    const std::string& written = list_.Cell(row, 0);
    if (std::string_view(written).substr(0, kKeyBytes) != key) {
      if (groupOpen) break;
      continue;
    }
    groupOpen = true;
    const std::string& reading = list_.Cell(row, 1);
    // A row too long for a candidate slot cannot be used whole: it is passed over.
    if (written.size() > kMaxCandidateText || reading.size() > kMaxCandidateText) continue;
    greatest = std::max(greatest, written.size());
    if (out.size() < kMaxCandidates) {
      out.push_back({written, reading});
    } else if (cut != nullptr) {
      *cut = true;
    }
  }
  return greatest;
}

}  // namespace crx
