#pragma once

#include <string>
#include <vector>

namespace crx {

// TunepressCRX --prepare [--volume P] [--channels MASK] [--lead-in B] IN.mid OUT.mid:
// reads IN as the renderer does, prepares it with those values and writes
// OUT. args are the arguments after "--prepare". Returns 0 when OUT was
// written, else 1.
int RunPrepareCommand(const std::vector<std::string>& args);

}  // namespace crx
