#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace crx {

// Cantorix auto [--mode wav|mp3|wmv] [--octave N] [--singer PROGRAM]
//               [--title T] [--composer C] [--lyricist L] KARAOKE.mid
// The automatic run without a window: the karaoke path answers the karaoke
// file dialog, --octave the melody-range dialog, the texts the video dialog.
// Prints the path of the product (mixed WAV, MP3 or video) on productOut and
// returns 0 when it exists afterwards. The settings file is read, never
// rewritten.
int RunAutoCommand(const std::vector<std::string>& args);
int RunAutoCommand(const std::vector<std::string>& args, std::FILE* productOut);

}  // namespace crx
