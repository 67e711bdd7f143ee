#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "foundation/Diagnostics.h"
#include "midi/MidiTrackData.h"
#include "support/midi/MidiTestBytes.h"

namespace crx::test {
namespace {

// What one thread found wrong; empty when every reading came out as it should.
struct Findings {
  std::vector<std::string> faults;
  void Check(bool ok, const std::string& what) {
    if (!ok && faults.size() < 5) faults.push_back(what);
  }
};

// Reads, again and again, a chunk that begins with bare data bytes under the
// status its reading starts with, and checks each event's kind and channel.
void ReadUnderStatus(int status, int pauseInterval, int rounds, Findings& out) {
  DiagnosticCollector diagnostics;
  const std::vector<uint8_t> chunk = TrackChunk("00 3C 40 00 3E 40 00 40 40 00 FF 2F 00");
  const auto kind = static_cast<MidiKind>(status & 0xF0);
  for (int i = 0; i < rounds; ++i) {
    MidiParseState reading(pauseInterval);
    reading.SetRunningStatus(status);
    auto track = MidiTrackData::FromChunk(chunk, chunk.size(), 0, kMidiChunkCapacity, reading);
    out.Check(track->Count() == 4, "event count");
    for (int e = 0; e + 1 < track->Count(); ++e) {
      out.Check(track->Event(e).kind == kind && track->Event(e).channel == (status & 0x0F),
                "event read under another status");
    }
    out.Check(reading.RunningStatus() == status, "status left by the reading");
    out.Check(track->PauseInterval() == pauseInterval, "pause interval of the track");
  }
  out.Check(diagnostics.Empty(), "messages while reading");
}

TEST(MidiReadingThreads, TwoReadingsWithTheirOwnSettingsDoNotDisturbEachOther) {
  constexpr int kRounds = 3000;
  Findings notes;
  Findings controls;
  std::thread a([&] { ReadUnderStatus(0x93, 0, kRounds, notes); });
  std::thread b([&] { ReadUnderStatus(0xB5, 7, kRounds, controls); });
  a.join();
  b.join();
  EXPECT_TRUE(notes.faults.empty()) << notes.faults.front();
  EXPECT_TRUE(controls.faults.empty()) << controls.faults.front();
}

}  // namespace
}  // namespace crx::test
