// Reads arbitrary bytes as a song-information file and writes it back. The
// first two bytes choose the file size from the stored layouts (or keep the
// input's own), so that every layout is reached.
#include <unistd.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/FileHelpers.h"
#include "karaoke/CSongData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/fuzz_songinfo_" + std::to_string(getpid()) + ".lrd";
  static constexpr std::array<size_t, 7> kSizes = {32780, 81932, 90444, 92492,
                                                   94540, 99208, 121880};
  std::vector<uint8_t> bytes(data, data + size);
  if (size >= 2 && data[0] < kSizes.size()) {
    // Spread the rest of the input over the chosen size, repeating it.
    std::vector<uint8_t> file(kSizes[data[0]], 0);
    for (size_t i = 0; i < file.size() && size > 2; ++i)
      file[i] = data[2 + (i * (data[1] | 1)) % (size - 2)];
    bytes = std::move(file);
  }
  crx::WriteRecord(path, bytes);
  int numerator = 4;
  int keyIndex = 0;
  int measures = 4;
  crx::CSongData song(path, numerator, keyIndex, measures);
  song.SetTitle("title   ");
  song.Write(numerator, keyIndex);
  crx::CSongData again(path, numerator, keyIndex, measures);
  return 0;
}
