// Feeds arbitrary bytes to the list-file reader as a dictionary file and
// searches the resulting kanji dictionary with every first cell.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "lyrics/CKanjiToKana.h"
#include "lyrics/CListFile.h"

namespace {

const std::string& Folder() {
  static const std::string folder = [] {
    std::string f = "/tmp/fuzz_listfile_" + std::to_string(getpid());
    mkdir(f.c_str(), 0700);
    return f;
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = Folder() + "/kanji.csv";
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  crx::CListFile list(path);
  size_t total = 0;
  for (int r = 0; r < list.RowCount(); ++r) {
    for (int c = 0; c < list.ColumnCount(); ++c) total += list.Cell(r, c).size();
  }
  if (total > static_cast<size_t>(list.BytesRead()) + 0) __builtin_trap();
  crx::CKanjiToKana kanji(Folder());
  std::vector<crx::KanaCandidate> candidates;
  for (int r = 0; r < kanji.List().RowCount() && r < 64; ++r) {
    kanji.FindCandidates(kanji.List().Cell(r, 0), candidates);
  }
  return 0;
}
