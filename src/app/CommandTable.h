#pragma once

#include <span>
#include <string>
#include <vector>

namespace crx {

// A headless command: its name and its entry, given the arguments after the
// name. Returns the exit status: 0 when its output file exists afterwards.
struct CommandEntry {
  const char* name;
  int (*run)(const std::vector<std::string>& args);
};

std::span<const CommandEntry> CantorixCommands();

}  // namespace crx
