#pragma once

#include <initializer_list>
#include <optional>
#include <string>

#include "support/platform/TempFolder.h"

namespace crx::test {

// A start folder with some of the build's companion files (linked) and
// stand-in outside programs written as shell scripts, and a configuration
// home of its own, so the working folder and its settings file are the
// test's; the previous configuration home comes back at the end.
struct StandInStart {
  explicit StandInStart(std::initializer_list<const char*> companions);
  ~StandInStart();
  StandInStart(const StandInStart&) = delete;
  StandInStart& operator=(const StandInStart&) = delete;

  // Writes (or replaces) an executable shell script in the start folder.
  void Program(const std::string& name, const std::string& body) const;

  TempFolder start, config;

 private:
  std::optional<std::string> oldConfig_;
};

}  // namespace crx::test
