#include "support/workflow/StandInStart.h"

#include <cstdlib>
#include <filesystem>

namespace crx::test {

namespace fs = std::filesystem;

StandInStart::StandInStart(std::initializer_list<const char*> companions) {
  if (const char* old = std::getenv("XDG_CONFIG_HOME")) oldConfig_ = old;
  setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
  for (const char* name : companions) {
    fs::create_symlink(std::string(CRX_START_FOLDER) + "/" + name, start.File(name));
  }
}

StandInStart::~StandInStart() {
  if (oldConfig_) {
    setenv("XDG_CONFIG_HOME", oldConfig_->c_str(), 1);
  } else {
    unsetenv("XDG_CONFIG_HOME");
  }
}

void StandInStart::Program(const std::string& name, const std::string& body) const {
  fs::remove(start.File(name));
  WriteFileBytes(start.File(name), "#!/bin/sh\n" + body + "\n");
  fs::permissions(start.File(name), fs::perms::owner_all);
}

}  // namespace crx::test
