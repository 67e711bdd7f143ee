#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "midi/renderer/MultiTrackSong.h"
#include "midi/renderer/SingleTrackSong.h"
#include "midi/renderer/TrackPreparation.h"
#include "support/midi/MidiTestBytes.h"
#include "support/midi/MidiTestFixture.h"

namespace crx::test {
namespace {

using RendererRead = MidiTest;
using ::testing::ElementsAre;

const std::string kNoMasterVolume =
    "M1DT03000016 マスターボリュームが設定されていませんでしたので127を設定しました。";
const std::string kSeveralMasterVolumes = "M1DT03000006 マスターボリュームが複数設定されています。";
const std::string kSecondInTrack = "MDTK0D000011 複数のマスターボリュームが設定されています。";
const std::string kTrackCount = "M1DT03000001 トラック数のエラーです。";
const std::string kNotFormat1 = "M1DT03000002 フォーマット１ではありません。";
const std::string kNotMidi =
    "M1DT03000004 Midiファイルではないか、ファイルにマックバイナリがついています。";
const std::string kFewerChunks =
    "M1DT00000000 Midiのフォーマット１のデータでエラーが発生しました。";
const std::string kBadChunkId =
    "MDTK0D000007 MIDIファイルではないか、マックバイナリがついているファイルです。";
const std::string kFormat0TrackCount = "M0DT04000003 トラック数に誤りがあります。";

const char* kConductor = "00 FF 51 03 07 A1 20 00 FF 2F 00";
const char* kPianoTrack = "00 B0 07 64 00 90 3C 64 83 60 80 3C 40 00 FF 2F 00";
const char* kMasterVolume = "F0 07 7F 7F 04 01 00 7F F7";
const char* kGsMasterVolume = "F0 0A 41 10 42 12 40 00 04 64 5C F7";

std::vector<uint8_t> Format1(const std::vector<std::string>& tracks) {
  std::vector<std::vector<uint8_t>> chunks;
  for (const std::string& t : tracks) chunks.push_back(TrackChunk(t));
  return SmfFile(1, 480, chunks);
}

TEST_F(RendererRead, AFileWithoutMasterVolumeGetsOneAtTheStartOfItsFirstChannelTrack) {
  renderer::MultiTrackSong song(Format1({kConductor, kPianoTrack}));
  ASSERT_EQ(song.Form(), kFormNotes);
  EXPECT_THAT(Messages(), ElementsAre(kNoMasterVolume));
  EXPECT_EQ(song.Track(0)->Count(), 2);
  EXPECT_THAT(
      Describe(*song.Track(1)),
      ElementsAre("t=0 SysEx sub=1 [F0 07 7F 7F 04 01 00 7F F7]", "t=0 CC ch=0 n=0 sub=7 value=100",
                  "t=0 Note ch=0 n=60 v=100 d=480", "t=480 Meta type=47 value=0 []"));
  EXPECT_EQ(song.Track(1)->Event(0).value, 127);

  // Without any channel track the first track takes it.
  ClearMessages();
  renderer::MultiTrackSong conductorOnly(Format1({kConductor, kConductor}));
  EXPECT_THAT(Messages(), ElementsAre(kNoMasterVolume));
  EXPECT_EQ(conductorOnly.Track(0)->Count(), 3);
  EXPECT_EQ(conductorOnly.Track(1)->Count(), 2);
}

TEST_F(RendererRead, MasterVolumesInSeveralTracksOrTwiceInOneAreReported) {
  const std::string twiceInOne = std::string("00 ") + kMasterVolume + " 00 " + kGsMasterVolume +
                                 " 00 " + kMasterVolume + " 00 FF 2F 00";
  renderer::MultiTrackSong song(
      Format1({twiceInOne, std::string("00 ") + kMasterVolume + " 00 FF 2F 00", twiceInOne}));
  // Once for each track that holds more than one, then once for the file.
  EXPECT_THAT(Messages(), ElementsAre(kSecondInTrack, kSecondInTrack, kSeveralMasterVolumes));
  EXPECT_EQ(song.Track(1)->Count(), 2);  // nothing inserted

  ClearMessages();
  renderer::MultiTrackSong single(Format1(
      {kConductor, std::string("00 ") + kMasterVolume + " 00 90 3C 64 10 80 3C 40 00 FF 2F 00"}));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(RendererRead, OnlyTheFirst32TracksAreTakenAndMoreAreReported) {
  std::vector<std::string> tracks(70, kPianoTrack);
  renderer::MultiTrackSong song(Format1(tracks));
  EXPECT_THAT(Messages(), ElementsAre(kTrackCount, kNoMasterVolume));
  EXPECT_EQ(song.TrackCount(), 32);

  song.BuildImage();
  auto image = song.ImageBytes();
  EXPECT_EQ(ToHex(image.first(14)), "4D 54 68 64 00 00 00 06 00 01 00 20 01 E0");

  // Tracks 33 to 63 would otherwise be dropped without a word.
  ClearMessages();
  renderer::MultiTrackSong forty(Format1(std::vector<std::string>(40, kPianoTrack)));
  EXPECT_THAT(Messages(), ElementsAre(kTrackCount, kNoMasterVolume));
  EXPECT_EQ(forty.TrackCount(), 32);
}

TEST_F(RendererRead, HeaderErrorsLeaveTheImageAsItWasForSaving) {
  std::vector<uint8_t> format2 = SmfFile(2, 96, {TrackChunk(kPianoTrack)});
  renderer::MultiTrackSong song(format2);
  EXPECT_THAT(Messages(), ElementsAre(kNotFormat1));
  EXPECT_EQ(song.Form(), kFormRaw);
  EXPECT_EQ(song.TrackCount(), 0);
  song.BuildImage();
  EXPECT_EQ(ToHex(song.ImageBytes()), ToHex(format2));

  ClearMessages();
  const std::vector<uint8_t> junk = Hex("52 49 46 46 00 00 00 04 00 01 00 02");
  renderer::MultiTrackSong notMidi(junk);
  EXPECT_THAT(Messages(), ElementsAre(kNotMidi));
  EXPECT_EQ(ToHex(notMidi.ImageBytes()), ToHex(junk));

  ClearMessages();
  std::vector<uint8_t> twoTracks =
      SmfFile(0, 96, {TrackChunk(kPianoTrack), TrackChunk(kConductor)});
  renderer::SingleTrackSong format0(twoTracks);
  EXPECT_THAT(Messages(), ElementsAre(kFormat0TrackCount));
  EXPECT_EQ(format0.Form(), kFormRaw);
  ASSERT_TRUE(format0.BuildImage());
  EXPECT_EQ(ToHex(format0.ImageBytes()), ToHex(twoTracks));
}

TEST_F(RendererRead, BrokenChunksArePassedOverAndMissingOnesCounted) {
  // An unknown chunk between two tracks: reported, skipped, the next track
  // still taken; a header that announces four tracks finds only two.
  std::vector<uint8_t> file = HeaderChunk(1, 4, 480);
  for (const auto& c :
       {TrackChunk(kConductor), Chunk("JUNK", Hex("01 02 03")), TrackChunk(kPianoTrack)}) {
    file.insert(file.end(), c.begin(), c.end());
  }
  renderer::MultiTrackSong song(file);
  EXPECT_THAT(Messages(), ElementsAre(kBadChunkId, kFewerChunks, kNoMasterVolume));
  ASSERT_EQ(song.TrackCount(), 2);
  EXPECT_EQ(renderer::TrackChannel(*song.Track(1)), 0);

  // A track cut short gets its end so that it can be written again.
  ClearMessages();
  std::vector<uint8_t> cut = Format1({"00 90 3C 64 60 80 3C 40 00 90 3E"});
  renderer::MultiTrackSong shortTrack(cut);
  ASSERT_EQ(shortTrack.TrackCount(), 1);
  EXPECT_TRUE(shortTrack.Track(0)->Event(shortTrack.Track(0)->Count() - 1).IsEndOfTrack());
  shortTrack.BuildImage();
  EXPECT_EQ(ToHex(shortTrack.ImageBytes().subspan(14)),
            ToHex(TrackChunk("00 F0 07 7F 7F 04 01 00 7F F7 00 90 3C 64 60 80 3C 40 00 FF 2F 00")));
}

TEST_F(RendererRead, Format0ReadsItsFirstChunkAndWritesItAlone) {
  std::vector<uint8_t> karaoke = HeaderChunk(0, 1, 480);
  for (const auto& c :
       {TrackChunk(kPianoTrack), Chunk("XFIH", Hex("00 FF 01 02 41 42 00 FF 2F 00")),
        TrackChunk("00 FF 05 02 41 42 00 FF 2F 00", "XFKM")}) {
    karaoke.insert(karaoke.end(), c.begin(), c.end());
  }
  renderer::SingleTrackSong song(karaoke);
  ASSERT_EQ(song.Form(), kFormNotes);
  EXPECT_EQ(song.FirstTempo(), renderer::kNoTempoLeadInTempo);
  ASSERT_TRUE(song.BuildImage());
  EXPECT_EQ(ToHex(song.ImageBytes()), ToHex(SmfFile(0, 480, {TrackChunk(kPianoTrack)})));
  EXPECT_EQ(song.Form(), kFormNotes);
  EXPECT_EQ(song.Track().Form(), kFormNotes);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(RendererRead, DetectFormatSkipsAMacBinaryHeader) {
  std::vector<uint8_t> file = Format1({kConductor});
  std::vector<uint8_t> mac = file;
  mac.insert(mac.begin(), 128, 0x11);
  EXPECT_EQ(renderer::DetectFormat(mac), 1);
  EXPECT_EQ(ToHex(mac), ToHex(file));

  std::vector<uint8_t> format0 = SmfFile(0, 96, {TrackChunk(kConductor)});
  std::vector<uint8_t> format2 = SmfFile(2, 96, {TrackChunk(kConductor)});
  std::vector<uint8_t> cut = Hex("4D 54 68 64 00 00 00 06 00");
  std::vector<uint8_t> zeros(16, 0);
  EXPECT_EQ(renderer::DetectFormat(format0), 0);
  EXPECT_EQ(renderer::DetectFormat(format2), -1);
  EXPECT_EQ(renderer::DetectFormat(cut), -1);
  EXPECT_EQ(renderer::DetectFormat(zeros), -1);
}

}  // namespace
}  // namespace crx::test
