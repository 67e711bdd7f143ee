#pragma once

namespace crx {

// The command line of the main program: headless commands run on the
// console host; --help and --version answer at once.
int RunCantorixCommand(int argc, char** argv);

}  // namespace crx
