#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "midi/MidiFormat0Data.h"
#include "midi/MidiFormat1Data.h"
#include "midi/MidiTrackData.h"
#include "support/midi/MidiTestBytes.h"
#include "support/midi/MidiTestFixture.h"
#include "support/platform/TempFolder.h"

namespace crx::test {
namespace {

using File0 = MidiTest;
using File1 = MidiTest;
using ::testing::ElementsAre;

const char* kBody = "00 FF 51 03 07 A1 20 00 90 3C 64 83 60 80 3C 40 00 FF 2F 00";

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

std::string FileHex(const std::string& path) { return ToHex(Bytes(ReadFileBytes(path))); }

TEST_F(File0, ReadsTheHeaderAndItsDivision) {
  MidiFormat0Data song;
  EXPECT_EQ(song.Division(), 960);
  EXPECT_EQ(song.ReadHeader(), 0);  // empty image: no message
  EXPECT_TRUE(Messages().empty());
  song.LoadImage(SmfFile(0, 480, {TrackChunk(kBody)}));
  ASSERT_EQ(song.ReadHeader(), 1);
  EXPECT_EQ(song.Division(), 480);
  EXPECT_EQ(song.Position(), 14u);
  auto track = MidiTrackData::FromChunk(song.ImageBytes(), song.ImageSize(), song.Position(),
                                        kMidiChunkCapacity, 0);
  EXPECT_EQ(track->Count(), 4);
}

TEST_F(File0, AMacBinaryHeaderIsRemoved) {
  std::vector<uint8_t> plain = SmfFile(0, 96, {TrackChunk(kBody)});
  std::vector<uint8_t> mac(128 + plain.size(), 0x11);
  std::copy(plain.begin(), plain.end(), mac.begin() + 128);
  MidiFormat0Data song;
  song.LoadImage(mac);
  ASSERT_EQ(song.ReadHeader(), 1);
  EXPECT_EQ(song.Division(), 96);
  EXPECT_EQ(ToHex(song.ImageBytes()), ToHex(plain));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(File0, WrongHeadersAreRefusedWithTheirMessages) {
  struct Case {
    std::vector<uint8_t> image;
    const char* message;
  };
  const Case cases[] = {
      {SmfFile(1, 480, {TrackChunk(kBody)}),
       "M0DT04000001 フォーマット0のファイルではありません。"},
      {SmfFile(0, 480, {TrackChunk(kBody), TrackChunk(kBody)}),
       "M0DT04000003 トラック数に誤りがあります。"},
      {Bytes("RIFF....RMIDdata"),
       "M0DT04000004 MIDIファイルではないか、ファイルにマックバイナリがついています。"},
      {Bytes(std::string("MThd\0\0\0\6\0", 9)),
       "M0DT04000004 MIDIファイルではないか、ファイルにマックバイナリがついています。"},
      // Cut short after the format, then after the track count.
      {Bytes(std::string("MThd\0\0\0\6\0\0\0", 11)), "M0DT04000003 トラック数に誤りがあります。"},
      {Bytes(std::string("MThd\0\0\0\6\0\0\0\1\1", 13)),
       "M0DT04000004 MIDIファイルではないか、ファイルにマックバイナリがついています。"},
  };
  for (const Case& c : cases) {
    ClearMessages();
    MidiFormat0Data song;
    song.LoadImage(c.image);
    EXPECT_EQ(song.ReadHeader(), 0);
    EXPECT_THAT(Messages(), ElementsAre(c.message));
  }
}

TEST_F(File0, AWrittenFileIsReadByMidicsv) {
  if (!HaveMidiCsv()) GTEST_SKIP() << "midicsv is not installed";
  TempFolder folder;
  MidiFormat0Data song;
  song.SetDivision(480);
  song.WriteHeader();
  EXPECT_EQ(ToHex(song.ImageBytes()), "4D 54 68 64 00 00 00 06 00 00 00 01 01 E0");
  auto track = ParseTrack(
      "00 FF 03 04 53 6F 6E 67 00 C1 05 00 91 3C 64 00 40 50 83 60 3C 00 "
      "00 80 40 7F 81 48 B1 07 64 00 E1 00 40 00 FF 2F 00");
  track->Serialise("MTrk");
  ASSERT_TRUE(song.AppendChunk(track->Chunk()));
  const std::string path = folder.File("song0.mid");
  ASSERT_TRUE(song.SaveFile(path));
  EXPECT_THAT(
      MidiCsv(path),
      ElementsAre("0, 0, Header, 0, 1, 480", "1, 0, Start_track", "1, 0, Title_t, \"Song\"",
                  "1, 0, Program_c, 1, 5", "1, 0, Note_on_c, 1, 60, 100",
                  "1, 0, Note_on_c, 1, 64, 80", "1, 480, Note_off_c, 1, 60, 64",
                  "1, 480, Note_off_c, 0, 64, 64", "1, 680, Control_c, 1, 7, 100",
                  "1, 680, Pitch_bend_c, 1, 8192", "1, 680, End_track", "0, 0, End_of_file"));
}

// --- Format 1 ---

// The vocal file's shape: a conductor track and a voice track, both in form 2.
std::unique_ptr<MidiFormat1Data> VocalShape() {
  auto file = std::make_unique<MidiFormat1Data>(480);
  MidiTrackData* master = file->AddTrack(kMidiChunkCapacity);
  master->SetForm(kFormNotes);
  master->AppendMetaText(kMetaTrackName, "Master Track");
  master->AppendTempo(500000);
  master->AppendTimeSignature();
  master->AppendEndOfTrack();
  MidiTrackData* voice = file->AddTrack(kMidiLargeChunkCapacity);
  voice->SetForm(kFormNotes);
  voice->AppendMetaText(kMetaTrackName, "Voice1");
  voice->AppendMetaText(kMetaText, "DM:0000:[Common]");
  voice->Append(NoteEvent(0, 0, 60, 100, 480));
  voice->Append(NoteEvent(240, 0, 62, 90, 480));
  voice->Append(ControlEvent(0, 0, 0x63, 0x50));
  voice->AppendEndOfTrack(960);
  return file;
}

TEST_F(File1, SavingInNotesFormWritesTheFileAndKeepsTheObject) {
  TempFolder folder;
  auto file = VocalShape();
  const std::vector<std::string> voiceBefore = Describe(*file->Track(1));
  const std::string path = folder.File("vocal.mid");
  EXPECT_EQ(file->Save(path), 1);
  EXPECT_EQ(file->Form(), kFormNotes);
  ASSERT_EQ(file->TrackCount(), 2);
  EXPECT_EQ(file->Track(1)->Form(), kFormNotes);
  EXPECT_EQ(Describe(*file->Track(1)), voiceBefore);
  EXPECT_EQ(FileHex(path),
            ToHex(SmfFile(1, 480,
                          {TrackChunk("00 FF 03 0C 4D 61 73 74 65 72 20 54 72 61 63 6B "
                                      "00 FF 51 03 07 A1 20 00 FF 58 04 04 02 12 08 00 FF 2F 00"),
                           TrackChunk("00 FF 03 06 56 6F 69 63 65 31 "
                                      "00 FF 01 10 44 4D 3A 30 30 30 30 3A 5B 43 6F 6D 6D 6F 6E 5D "
                                      "00 90 3C 64 81 70 90 3E 5A 00 B0 63 50 "
                                      "81 70 80 3C 40 81 70 80 3E 40 83 60 FF 2F 00")})));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(File1, AWrittenFileIsReadByMidicsv) {
  if (!HaveMidiCsv()) GTEST_SKIP() << "midicsv is not installed";
  TempFolder folder;
  auto file = VocalShape();
  const std::string path = folder.File("vocal.mid");
  ASSERT_EQ(file->Save(path), 1);
  EXPECT_THAT(
      MidiCsv(path),
      ElementsAre("0, 0, Header, 1, 2, 480", "1, 0, Start_track", "1, 0, Title_t, \"Master Track\"",
                  "1, 0, Tempo, 500000", "1, 0, Time_signature, 4, 2, 18, 8", "1, 0, End_track",
                  "2, 0, Start_track", "2, 0, Title_t, \"Voice1\"",
                  "2, 0, Text_t, \"DM:0000:[Common]\"", "2, 0, Note_on_c, 0, 60, 100",
                  "2, 240, Note_on_c, 0, 62, 90", "2, 240, Control_c, 0, 99, 80",
                  "2, 480, Note_off_c, 0, 60, 64", "2, 720, Note_off_c, 0, 62, 64",
                  "2, 1200, End_track", "0, 0, End_of_file"));
}

TEST_F(File1, SavingInEventsAndRawFormsAndAWrongForm) {
  TempFolder folder;
  MidiFormat1Data file(96);
  MidiTrackData* t = file.AddTrack(1024);
  t->SetForm(kFormEvents);
  t->Append(NoteOnEvent(0, 3, 60, 100));
  t->Append(NoteOffEvent(96, 3, 60));
  t->AppendEndOfTrack();
  file.SetForm(kFormEvents);
  const std::string events = folder.File("events.mid");
  EXPECT_EQ(file.Save(events), 1);
  EXPECT_EQ(file.Form(), kFormEvents);
  ASSERT_NE(file.Track(0), nullptr);
  EXPECT_EQ(file.Track(0)->Count(), 3);
  const std::string expected =
      ToHex(SmfFile(1, 96, {TrackChunk("00 93 3C 64 60 83 3C 40 00 FF 2F 00")}));
  EXPECT_EQ(FileHex(events), expected);

  file.Serialise();
  EXPECT_EQ(file.Form(), kFormRaw);
  EXPECT_EQ(file.Track(0), nullptr);
  const std::string raw = folder.File("raw.mid");
  EXPECT_EQ(file.Save(raw), 1);
  EXPECT_EQ(FileHex(raw), expected);
  EXPECT_TRUE(Messages().empty());

  file.Serialise();  // already raw
  file.SetForm(7);
  EXPECT_EQ(file.Save(raw), 0);
  file.SetForm(kFormEvents);
  file.SplitImage();
  EXPECT_THAT(Messages(),
              ElementsAre("M1DT03000003 Midiのフォーマット１のデータで内部エラーが発生しました。",
                          "M1DT03000003 Midiのフォーマット１のデータで内部エラーが発生しました。",
                          "M1DT03000003 Midiのフォーマット１のデータで内部エラーが発生しました。"));
}

TEST_F(File1, WithoutAPathNothingIsAskedReadOrSaved) {
  auto file = VocalShape();
  EXPECT_EQ(file->Save(""), 0);
  EXPECT_EQ(file->Form(), kFormNotes);
  MidiFormat0Data song;
  EXPECT_FALSE(song.LoadFile(""));
  EXPECT_EQ(song.ImageSize(), 0u);
  EXPECT_FALSE(song.SaveFile(""));
  EXPECT_TRUE(host_.Records().empty());
}

TEST_F(File1, SplittingFindsFewerChunksThanTracks) {
  MidiFormat1Data file(480);
  std::vector<uint8_t> image = SmfFile(1, 480, {TrackChunk(kBody)});
  file.LoadImage(image);
  file.SetPosition(14);
  file.SetTrackCount(3);
  file.SetForm(kFormRaw);
  file.SplitImage();
  EXPECT_EQ(file.Form(), kFormEvents);
  EXPECT_EQ(file.TrackCount(), 1);
  EXPECT_EQ(file.Track(0)->Count(), 4);
  EXPECT_THAT(Messages(),
              ElementsAre("M1DT00000000 Midiのフォーマット１のデータでエラーが発生しました。"));
}

TEST_F(File1, LimitsOfTracksAndImage) {
  MidiFormat1Data file(480);
  for (int i = 0; i < kMaxFormat1Tracks; ++i) ASSERT_NE(file.AddTrack(64), nullptr);
  EXPECT_EQ(file.AddTrack(64), nullptr);
  EXPECT_EQ(file.TrackCount(), kMaxFormat1Tracks);
  EXPECT_THAT(Messages(), ElementsAre("M1DT03000019 データが大きすぎます。"));
  ClearMessages();

  // An image with room for the first track only: the header counts what is in
  // the image, so the file stays readable.
  TempFolder folder;
  MidiFormat1Data small(480, 14 + 48 + 1);
  for (int i = 0; i < 2; ++i) {
    MidiTrackData* t = small.AddTrack(1024);
    t->SetForm(kFormEvents);
    for (int n = 0; n < 9; ++n) t->Append(ControlEvent(0, 0, 7, n));
    t->AppendEndOfTrack();
  }
  small.SetForm(kFormEvents);
  const std::string path = folder.File("small.mid");
  EXPECT_EQ(small.Save(path), 1);
  EXPECT_EQ(small.TrackCount(), 1);
  EXPECT_THAT(Messages(), ElementsAre("M1DT03000019 データが大きすぎます。"));
  if (HaveMidiCsv()) {
    EXPECT_EQ(MidiCsv(path).front(), "0, 0, Header, 1, 1, 480");
  }
}

}  // namespace
}  // namespace crx::test
