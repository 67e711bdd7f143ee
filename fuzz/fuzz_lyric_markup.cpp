// Takes arbitrary lyric texts apart as karaoke display controls, event after
// event with the open bracket carried over, and aligns arbitrary lyric ticks
// to arbitrary note ticks.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "karaoke/LyricMarkup.h"
#include "lyrics/LyricTrackPreparer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // Events are separated by 0xFF bytes.
  crx::LyricMarkup::State state;
  size_t start = 0;
  while (start <= bytes.size()) {
    const size_t end = std::min(bytes.find('\xff', start), bytes.size());
    const auto pieces = crx::LyricMarkup::Parse(bytes.substr(start, end - start), state);
    (void)crx::LyricMarkup::SungText(pieces);
    (void)crx::LyricMarkup::ShownText(pieces);
    start = end + 1;
  }
  // The bytes as two sorted lists of ticks.
  std::vector<int64_t> lyrics;
  std::vector<int64_t> notes;
  for (size_t i = 0; i < size; ++i) (i % 2 == 0 ? lyrics : notes).push_back(data[i] * 7);
  std::sort(lyrics.begin(), lyrics.end());
  std::sort(notes.begin(), notes.end());
  notes.erase(std::unique(notes.begin(), notes.end()), notes.end());
  const std::vector<int> match = crx::LyricTrackPreparer::Align(lyrics, notes, 120);
  int last = -1;
  for (size_t i = 0; i < match.size(); ++i) {
    if (match[i] < 0) continue;
    if (match[i] <= last) __builtin_trap();  // the order is kept, a note used once
    last = match[i];
  }
  return 0;
}
