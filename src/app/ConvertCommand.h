#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace crx {

// Cantorix convert [--octave N] [--particles-as-written] [-o VOCAL.mid] KARAOKE.mid
// Steps 1 to 3 without dialogs: the karaoke song is read with its melody
// moved by N octaves, its lyrics are converted (the review lines go to
// standard output, one UTF-8 line each), and the vocal MIDI is written to
// VOCAL.mid (default: out.mid in the karaoke file's folder). 0 when the
// vocal MIDI was written. The particles は and へ are sung わ and え unless
// --particles-as-written is given; lyrics that could not be read are named
// in a message.
int RunConvertCommand(const std::vector<std::string>& args);
// The same with the review lines written to reviewOut.
int RunConvertCommand(const std::vector<std::string>& args, std::FILE* reviewOut);

}  // namespace crx
