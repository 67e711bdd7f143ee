#pragma once

#include <string>
#include <vector>

namespace crx::renderer {

// "TunepressCRX MIDI WAV crx": converts without a window and ends, whatever
// the outcome. Messages go to standard error; the settings file is read but
// not rewritten. 0 when the output file exists afterwards, else 1 (also,
// quietly, when no MIDI path was given).
int RunConversionCommand(const std::vector<std::string>& args);

}  // namespace crx::renderer
