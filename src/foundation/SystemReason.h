#pragma once

#include <string>
#include <string_view>

namespace crx {

// The system's own words for an error number (errno), as strerror gives them
// in the process's locale.
std::string SystemReason(int errorNumber);

// A message followed by the system's reason for a failure: "text (reason)".
// The text is kept as it is; without an error number (0) it is returned
// unchanged.
std::string WithSystemReason(std::string_view text, int errorNumber);

}  // namespace crx
