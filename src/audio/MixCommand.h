#pragma once

#include <string>
#include <vector>

namespace crx {

// Cantorix mix [--tempo US] [--volumes V,A,M] [--reverbs V,A,M]
//              VOCAL.wav ACC.wav OUT.wav
// Step 6 without its dialogs: both inputs, each with its volume and reverb,
// are mixed into OUT.wav and only read. The values not given come from
// the stored settings (which are not rewritten). 0 when OUT.wav was written.
int RunMixCommand(const std::vector<std::string>& args);

}  // namespace crx
