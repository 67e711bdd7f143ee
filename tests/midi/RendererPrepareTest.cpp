#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "midi/renderer/MultiTrackSong.h"
#include "midi/renderer/PrepareMidi.h"
#include "midi/renderer/SingleTrackSong.h"
#include "midi/renderer/TrackPreparation.h"
#include "support/midi/MidiTestBytes.h"
#include "support/midi/MidiTestFixture.h"
#include "support/platform/TempFolder.h"

namespace crx::test {
namespace {

using RendererPrepare = MidiTest;
using ::testing::ElementsAre;

const char* kConductor = "00 FF 51 03 07 A1 20 00 FF 2F 00";
const char* kMasterVolume = "00 F0 07 7F 7F 04 01 00 7F F7 ";

std::vector<int> VolumesAfterScaling(int percent, const std::vector<int>& values) {
  std::string body;
  for (int v : values) body += "00 B0 07 " + ToHex(std::vector<uint8_t>{uint8_t(v)}) + " ";
  auto track = ParseTrack(body + "00 FF 2F 00");
  renderer::ScaleVolume(*track, percent);
  std::vector<int> out;
  for (const MidiEvent& ev : track->Events()) {
    if (ev.kind == MidiKind::ControlChange) out.push_back(ev.value);
  }
  return out;
}

TEST_F(RendererPrepare, ChannelVolumesAreScaledAndKeptWithinOneTo127) {
  EXPECT_THAT(VolumesAfterScaling(50, {100, 1, 0}), ElementsAre(50, 1, 0));
  EXPECT_THAT(VolumesAfterScaling(200, {100, 60}), ElementsAre(127, 120));
  EXPECT_THAT(VolumesAfterScaling(70, {100, 127}), ElementsAre(70, 88));
  EXPECT_THAT(VolumesAfterScaling(0, {100, 0}), ElementsAre(1, 0));
  EXPECT_THAT(VolumesAfterScaling(100, {100, 37}), ElementsAre(100, 37));
  // Whole-number arithmetic: 29 % and 57 % of 100 are exact.
  EXPECT_THAT(VolumesAfterScaling(29, {100}), ElementsAre(29));
  EXPECT_THAT(VolumesAfterScaling(57, {100}), ElementsAre(57));
  // Other controllers are left alone.
  auto track = ParseTrack("00 B0 0A 64 00 FF 2F 00");
  renderer::ScaleVolume(*track, 50);
  EXPECT_EQ(track->Event(0).value, 100);
}

TEST_F(RendererPrepare, TrackChannelSkipsMetaAndExclusiveEvents) {
  // A GS part message carries a channel after classification; it does not
  // make the track a channel-10 track.
  auto track =
      ParseTrack("00 FF 03 01 41 00 F0 0A 41 10 42 12 40 10 15 02 19 F7 00 C3 05 00 FF 2F 00");
  ASSERT_EQ(track->Event(1).channel, 9);
  EXPECT_EQ(renderer::TrackChannel(*track), 3);
  EXPECT_EQ(renderer::TrackChannel(*ParseTrack(kConductor)), kNoChannel);
}

TEST_F(RendererPrepare, LeadInIsTempoInMillisecondsTimesBeats) {
  EXPECT_EQ(renderer::LeadInTicks(500000, 2), 1000);
  EXPECT_EQ(renderer::LeadInTicks(500000, 4), 2000);
  EXPECT_EQ(renderer::LeadInTicks(500000, 0), 0);
  EXPECT_EQ(renderer::LeadInTicks(512345, 4), 2049);
  EXPECT_EQ(renderer::LeadInTicks(0, 4), 0);

  auto track = ParseTrack("10 90 3C 64 00 FF 2F 00");
  renderer::AddLeadIn(*track, 1000);
  EXPECT_EQ(track->Event(0).delta, 1016);
  renderer::AddLeadIn(*track, int64_t{1} << 40);
  EXPECT_EQ(track->Event(0).delta, 0x0FFFFFFF);
  MidiTrackData empty;
  renderer::AddLeadIn(empty, 1000);
  EXPECT_TRUE(empty.Empty());
}

TEST_F(RendererPrepare, Format0IsWrittenWithOtherEventsFirstAtEachTick) {
  // At tick 0: NoteOn, ControlChange, SysEx; at tick 16: NoteOn after a
  // program change on another channel, a NoteOff of the same tick last.
  std::vector<uint8_t> file =
      SmfFile(0, 96,
              {TrackChunk("00 90 3C 64 00 B0 07 64 00 F0 05 7E 7F 09 01 F7 10 90 3E 64 00 C1 05 "
                          "00 80 3C 40 10 80 3E 40 00 FF 2F 00")});
  renderer::SingleTrackSong song(file);
  ASSERT_TRUE(song.BuildImage());
  EXPECT_EQ(ToHex(song.ImageBytes().subspan(14)),
            ToHex(TrackChunk("00 F0 05 7E 7F 09 01 F7 00 B0 07 64 00 90 3C 64 10 C1 05 "
                             "00 80 3C 40 00 90 3E 64 10 80 3E 40 00 FF 2F 00")));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(RendererPrepare, Format0ChannelsAreDeletedAndTheTrackShifted) {
  std::vector<uint8_t> file = SmfFile(
      0, 96, {TrackChunk("00 C9 00 00 99 24 64 00 90 3C 64 10 89 24 40 10 80 3C 40 00 FF 2F 00")});
  renderer::SingleTrackSong song(file);
  song.DeleteChannel(9);
  EXPECT_THAT(Describe(song.Track()),
              ElementsAre("t=0 Note ch=0 n=60 v=100 d=32", "t=32 Meta type=47 value=0 []"));
  // Without a tempo event the lead-in counts 60,000 microseconds a beat.
  renderer::AddLeadIn(song.Track(), renderer::LeadInTicks(song.FirstTempo(), 3));
  EXPECT_EQ(song.Track().Event(0).delta, 180);
}

TEST_F(RendererPrepare, Format1TracksAreDeletedAndLastTempoFound) {
  std::vector<uint8_t> file =
      SmfFile(1, 480,
              {TrackChunk(std::string(kMasterVolume) + kConductor),
               TrackChunk("00 90 3C 64 10 80 3C 40 00 FF 51 03 0F 42 40 00 FF 2F 00"),
               TrackChunk("00 99 24 64 10 89 24 40 00 FF 2F 00")});
  renderer::MultiTrackSong song(file);
  EXPECT_EQ(song.LastTempo(), 1000000u);
  song.DeleteTrack(1);
  ASSERT_EQ(song.TrackCount(), 2);
  EXPECT_EQ(renderer::TrackChannel(*song.Track(1)), 9);
  EXPECT_EQ(song.LastTempo(), 500000u);
  EXPECT_EQ(song.Track(2), nullptr);
}

std::vector<std::string> PreparedCsv(const std::vector<uint8_t>& file, int volume,
                                     const renderer::ChannelFlags& channels, int beats) {
  TempFolder folder;
  const std::string out = folder.File("temp.mid");
  EXPECT_TRUE(renderer::PrepareMidiImage(file, out, volume, channels, beats));
  return MidiCsv(out);
}

TEST_F(RendererPrepare, Format1KeepsConductorAndSwitchedOnTracksShiftedAlike) {
  if (!HaveMidiCsv()) GTEST_SKIP() << "midicsv is not installed";
  std::vector<uint8_t> file =
      SmfFile(1, 480,
              {TrackChunk(std::string(kMasterVolume) + kConductor),
               // The drum track, left out, carries the song's last tempo event: the
               // tracks after it must not be shifted by another amount.
               TrackChunk("00 99 24 64 10 89 24 40 00 FF 51 03 0F 42 40 00 FF 2F 00"),
               TrackChunk("00 B0 07 64 00 90 3C 64 83 60 80 3C 40 00 FF 2F 00")});
  renderer::ChannelFlags channels = renderer::kAllChannelsOn;
  channels[9] = 0;
  EXPECT_THAT(
      PreparedCsv(file, 70, channels, 2),
      ElementsAre("0, 0, Header, 1, 2, 480", "1, 0, Start_track",
                  "1, 1000, System_exclusive, 7, 127, 127, 4, 1, 0, 127, 247",
                  "1, 1000, Tempo, 500000", "1, 1000, End_track", "2, 0, Start_track",
                  "2, 1000, Control_c, 0, 7, 70", "2, 1000, Note_on_c, 0, 60, 100",
                  "2, 1480, Note_off_c, 0, 60, 64", "2, 1480, End_track", "0, 0, End_of_file"));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(RendererPrepare, Format0PreparationDeletesChannelEvents) {
  if (!HaveMidiCsv()) GTEST_SKIP() << "midicsv is not installed";
  std::vector<uint8_t> file =
      SmfFile(0, 96,
              {TrackChunk("00 FF 51 03 07 A1 20 00 B9 07 64 00 99 24 64 00 90 3C 64 10 89 24 40 "
                          "10 80 3C 40 00 FF 2F 00")});
  renderer::ChannelFlags channels = renderer::kAllChannelsOn;
  channels[9] = 0;
  EXPECT_THAT(PreparedCsv(file, 50, channels, 1),
              ElementsAre("0, 0, Header, 0, 1, 96", "1, 0, Start_track", "1, 500, Tempo, 500000",
                          "1, 500, Note_on_c, 0, 60, 100", "1, 532, Note_off_c, 0, 60, 64",
                          "1, 532, End_track", "0, 0, End_of_file"));
}

TEST_F(RendererPrepare, Format2IsWrittenOutUnchanged) {
  std::vector<uint8_t> file = SmfFile(2, 96, {TrackChunk(kConductor), TrackChunk(kConductor)});
  TempFolder folder;
  const std::string out = folder.File("temp.mid");
  ASSERT_TRUE(renderer::PrepareMidiImage(file, out, 70, renderer::kAllChannelsOn, 4));
  EXPECT_EQ(ReadFileBytes(out), std::string(file.begin(), file.end()));
  EXPECT_THAT(Messages(), ElementsAre("M1DT03000002 フォーマット１ではありません。"));
}

TEST_F(RendererPrepare, MissingAndOversizedFilesAreRefused) {
  TempFolder folder;
  const std::string out = folder.File("temp.mid");
  EXPECT_FALSE(
      renderer::PrepareMidi(folder.File("none.mid"), out, 70, renderer::kAllChannelsOn, 0));
  EXPECT_EQ(Messages().back(),
            "GENE01000007 ファイルが開けませんでした。ファイルリストを絶対パスで記述してみてくだ"
            "さい。\nあるいは、出力フォルダや作業フォルダの設定などを確認してください。");

  ClearMessages();
  WriteFileBytes(folder.File("big.mid"), std::string(renderer::kRendererImageCapacity + 1, 'M'));
  EXPECT_FALSE(renderer::PrepareMidi(folder.File("big.mid"), out, 70, renderer::kAllChannelsOn, 0));
  EXPECT_THAT(Messages(), ElementsAre("GENE0100000A データが大きすぎます。"));
  EXPECT_TRUE(ReadFileBytes(out).empty());
}

}  // namespace
}  // namespace crx::test
