#pragma once

namespace crx {

// The renderer's command line: "MIDI WAV crx", --prepare, --help, --version.
int RunTunepressCommand(int argc, char** argv);

}  // namespace crx
