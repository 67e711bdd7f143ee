#pragma once

#include <string>
#include <vector>

namespace crx {

// Cantorix mix [--tempo US] [--volumes V,A,M] [--reverbs V,A,M]
//              VOCAL.wav ACC.wav OUT.wav
// Step 6 without its dialogs: both inputs are rewritten in place with their
// volume and reverb, then mixed into OUT.wav. The values not given come from
// the stored settings (which are not rewritten). 0 when OUT.wav was written.
int RunMixCommand(const std::vector<std::string>& args);

}  // namespace crx
