#pragma once

namespace crx {

// The singer's command line: CantorixSinger [-o OUT.wav]
// [--voice female|female2|male] [--engine mbrola|espeak] VOCAL.mid. 0 when the WAV exists
// afterwards, 1 otherwise.
int RunSingerCommand(int argc, char** argv);

}  // namespace crx
