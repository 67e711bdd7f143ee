#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/CWaveFile.h"
#include "platform/UiServices.h"
#include "support/audio/AudioSamples.h"
#include "support/platform/ScriptedHost.h"
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
  // Reads a WAV file as the mix would: its format and its samples.
  std::vector<uint8_t> WavData(const std::string& path, int& rate, int& channels, int& bits) {
    CWaveFile f;
    if (f.Open(0, path) != 0) return {};
    rate = f.SampleRate();
    channels = f.Channels();
    bits = f.BitsPerSample();
    return f.ReadData();
  }

  TempFolder folder_;
  ScriptedHost host_;
  ScopedUi scope_{host_};
};

}  // namespace crx::test
