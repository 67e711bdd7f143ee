#pragma once

namespace crx::qt {

// The windows of both programs, opened when they start without arguments.
// Without a display they say so on standard error and return 1. The
// renderer's window also takes one MIDI file to convert.
int RunTunepressWindow(int argc, char** argv);
int RunCantorixWindow(int argc, char** argv);

}  // namespace crx::qt
