// Reads arbitrary bytes as an XF karaoke file, then runs the lyric operations
// and writes it back.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/FileHelpers.h"
#include "karaoke/XfKaraokeData.h"

namespace {

std::string TempPath(const char* name) {
  return "/tmp/fuzz_xf_" + std::to_string(getpid()) + "_" + name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string in = TempPath("in.mid");
  static const std::string out = TempPath("out.mid");
  crx::WriteRecord(in, std::vector<uint8_t>(data, data + size));
  crx::XfKaraokeData song(in);
  song.IsSingleByteLyrics();
  song.StripRuby();
  if (song.LyricTrack() != nullptr) {
    song.Write(out);
    crx::XfKaraokeData back(out);
  }
  return 0;
}
