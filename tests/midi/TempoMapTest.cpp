#include <gtest/gtest.h>

#include <vector>

#include "midi/MidiTrackData.h"
#include "midi/TempoMap.h"
#include "support/midi/MidiTestFixture.h"

namespace crx::test {
namespace {

using Tempos = MidiTest;

TEST_F(Tempos, ATrackAndItsListOfTemposGiveTheSameTimes) {
  MidiTrackData track;
  track.AppendTempo(400000);
  MidiEvent later;
  later.kind = MidiKind::Meta;
  later.subtype = kMetaTempo;
  later.delta = 960;
  later.value = 250000;
  track.Append(later);
  track.AppendEndOfTrack(480);

  const TempoMap fromTrack(track, 480);
  const std::vector<TempoChange> list = {{0, 400000}, {960, 250000}};
  const TempoMap fromList(list, 480);
  for (int64_t tick : {0, 1, 480, 960, 1200, 100000}) {
    EXPECT_DOUBLE_EQ(fromTrack.Seconds(tick), fromList.Seconds(tick)) << tick;
  }
  // Two quarters at 0.4 s, then half a quarter at 0.25 s.
  EXPECT_DOUBLE_EQ(fromList.Seconds(1200), 0.8 + 0.125);
}

TEST_F(Tempos, AListIsTakenInTickOrderWithoutBrokenTempos) {
  // Out of order, a tempo of 0, a negative one and two at one tick (the last
  // of them holds); before the first, the standard tempo.
  const std::vector<TempoChange> list = {
      {960, 1000000}, {480, 0}, {480, -5}, {480, 250000}, {480, 1000000}};
  const TempoMap map(list, 480);
  EXPECT_DOUBLE_EQ(map.Seconds(480), 480.0 * kStandardTempo / 1e6 / 480);
  EXPECT_DOUBLE_EQ(map.Seconds(960), 0.5 + 1.0);
  EXPECT_DOUBLE_EQ(map.Seconds(1440), 0.5 + 1.0 + 1.0);
  EXPECT_DOUBLE_EQ(map.Seconds(-100), 0.0);

  // An empty list and a division in frames per second.
  const TempoMap plain(std::vector<TempoChange>{}, 0x8000 | 25);
  EXPECT_EQ(plain.Division(), TempoMap::kFallbackDivision);
  EXPECT_DOUBLE_EQ(plain.Seconds(960), 1.0);
}

}  // namespace
}  // namespace crx::test
