// Loads arbitrary bytes as a karaoke file of any kind, finds the melody
// channel, runs the lyric operations and writes the song back.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "karaoke/KaraokeFileLoader.h"
#include "karaoke/MelodyChannelFinder.h"

namespace {

std::string TempPath(const char* name) {
  return "/tmp/fuzz_karaoke_loader_" + std::to_string(getpid()) + "_" + name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string out = TempPath("out.mid");
  // The bytes once as they are and once as a ".kar" file.
  for (const char* path : {"song.mid", "song.kar"}) {
    auto song = crx::KaraokeFileLoader::LoadBytes(std::span<const uint8_t>(data, size), path);
    if (!song) continue;
    crx::MelodyChannelFinder finder(*song);
    if (finder.Channel() < 0 || finder.Channel() > 15) __builtin_trap();
    song->IsSingleByteLyrics();
    song->StripRuby();
    if (song->Write(out)) {
      auto back = crx::KaraokeFileLoader::Load(out);
      if (back) crx::MelodyChannelFinder again(*back);
    }
  }
  return 0;
}
