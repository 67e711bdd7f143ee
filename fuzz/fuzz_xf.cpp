// Reads arbitrary bytes as an XF karaoke file, then runs the lyric operations
// and writes it back.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "foundation/FileHelpers.h"
#include "karaoke/XfKaraokeData.h"

namespace {

std::string TempPath(const char* name) {
  return "/tmp/fuzz_xf_" + std::to_string(getpid()) + "_" + name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string none = TempPath("none.mid");  // never exists: an empty object
  static const std::string out = TempPath("out.mid");
  crx::XfKaraokeData song(none);
  song.LoadImage(std::span<const uint8_t>(data, size));
  song.Read();
  song.IsSingleByteLyrics();
  song.StripRuby();
  if (song.LyricTrack() != nullptr) {
    song.Write(out);
    crx::XfKaraokeData back(out);
  }
  return 0;
}
