// Runs the lyric correction pass over lyric texts taken from the input (split
// at zero bytes). Each item is answered from the input too: an answer whose
// first byte is odd accepts the proposal, an empty one keeps the lyric as
// written, any other is typed in as the correction.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/Diagnostics.h"
#include "lyrics/CLyricCorrection.h"
#include "midi/MidiTrackData.h"

namespace {

constexpr size_t kMaxLyrics = 64;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> texts;
  while (!input.empty() && texts.size() < 2 * kMaxLyrics) {
    const size_t zero = input.find('\0');
    texts.emplace_back(input.substr(0, zero));
    input = zero == std::string_view::npos ? std::string_view() : input.substr(zero + 1);
  }
  crx::DiagnosticCollector quiet;
  crx::MidiTrackData track;
  const size_t lyrics = (texts.size() + 1) / 2;
  for (size_t i = 0; i < lyrics; ++i) track.AppendMetaText(0x05, texts[i]);
  crx::CLyricCorrection correction(track);
  for (size_t i = 0; i < correction.Items().size(); ++i) {
    (void)correction.ContextOf(i);
    const size_t a = lyrics + i;
    const std::string answer = a < texts.size() ? texts[a] : std::string();
    if (answer.empty()) {
      correction.KeepWritten(i);
    } else if (answer[0] & 1) {
      correction.AcceptProposal(i);
    } else {
      correction.Apply(i, answer);
    }
  }
  return 0;
}
