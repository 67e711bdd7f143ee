#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "midi/MidiTrackData.h"
#include "platform/UiServices.h"
#include "support/platform/ScriptedHost.h"

namespace crx::test {

// Installs a scripted host that records the messages of each test.
class MidiTest : public ::testing::Test {
 protected:
  MidiTest() : scope_(host_) { host_.Clear(); }
  std::vector<std::string> Messages() const { return host_.Messages(); }
  void ClearMessages() { host_.Clear(); }

  ScriptedHost host_;

 private:
  ScopedUi scope_;
};

}  // namespace crx::test
