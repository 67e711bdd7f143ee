#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ScriptedHost.h"
#include "platform/UiServices.h"
#include "support/audio/AudioSamples.h"
#include "support/platform/TempFolder.h"

namespace crx::test {

// A temporary folder and a scripted host that records every message.
class AudioTest : public ::testing::Test {
 protected:
  std::string File(const std::string& name) const { return folder_.File(name); }
  std::vector<std::string> Messages() const { return host_.Messages(); }
  std::vector<uint8_t> Bytes(const std::string& path) const {
    const std::string s = ReadFileBytes(path);
    return {s.begin(), s.end()};
  }

  TempFolder folder_;
  ScriptedHost host_;
  ScopedUi scope_{host_};
};

}  // namespace crx::test
