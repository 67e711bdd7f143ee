#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "midi/MidiTrackData.h"
#include "platform/ScriptedHost.h"
#include "platform/UiServices.h"

namespace crx::test {

// Installs a scripted host, clears the process-wide MIDI state and re-arms
// the once-only warnings, so every test starts as a fresh process would.
class MidiTest : public ::testing::Test {
 protected:
  MidiTest() : scope_(host_) {
    MidiTrackData::SetRunningStatus(0);
    MidiTrackData::SetPauseInterval(0);
    host_.Clear();
  }
  std::vector<std::string> Messages() const { return host_.Messages(); }
  void ClearMessages() { host_.Clear(); }

  ScriptedHost host_;

 private:
  ScopedUi scope_;
};

}  // namespace crx::test
