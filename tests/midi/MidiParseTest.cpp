#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "midi/ExclusiveClass.h"
#include "midi/MidiBytes.h"
#include "midi/MidiTrackData.h"
#include "support/midi/MidiTestBytes.h"
#include "support/midi/MidiTestFixture.h"

namespace crx::test {
namespace {

using Parse = MidiTest;
using ::testing::ElementsAre;

const std::string kInternal = "MDTK0D000001 Midiのトラックデータで内部エラーが発生しました。";
const std::string kUndefined = "MDTK0D000002 未定義のMIDIイベントが含まれていました。";
const std::string kTooLarge = "MDTK0D00000B サイズが大きすぎるイベントが含まれています。";
const std::string kBadNote =
    "MDTK0D000017 内部処理のエラーでノートナンバーが異常になりましたので０に修正しました。";

TEST_F(Parse, ChannelMessagesGetTheirFieldsAndFullStatusData) {
  auto t = ParseTrack(
      "00 80 3C 40  00 91 3E 64  00 A2 3C 11  00 B3 07 64  00 C4 05  00 D5 22  00 E6 01 40  "
      "00 FF 2F 00");
  ASSERT_EQ(t->Form(), kFormEvents);
  EXPECT_THAT(Describe(*t),
              ElementsAre("t=0 Off ch=0 n=60", "t=0 On ch=1 n=62 v=100",
                          "t=0 Poly ch=2 n=60 sub=0 value=17", "t=0 CC ch=3 n=0 sub=7 value=100",
                          "t=0 PC ch=4 n=0 sub=0 value=5", "t=0 Pressure ch=5 n=0 sub=0 value=34",
                          "t=0 Bend ch=6 n=1 sub=0 value=64", "t=0 Meta type=47 value=0 []"));
  EXPECT_EQ(ToHex(t->Event(2).Bytes()), "A2 3C 11");
  EXPECT_EQ(ToHex(t->Event(4).Bytes()), "C4 05");
  EXPECT_EQ(t->Event(7).channel, kNoChannel);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(Parse, RunningStatusCarriesAcrossEventsMetasAndTheChunksOfOneReading) {
  MidiParseState reading;
  std::vector<uint8_t> first =
      TrackChunk("00 90 3C 64 00 3E 64 00 FF 01 01 41 10 40 50 00 FF 2F 00");
  auto t = MidiTrackData::FromChunk(first, first.size(), 0, kMidiChunkCapacity, reading);
  EXPECT_THAT(Describe(*t), ElementsAre("t=0 On ch=0 n=60 v=100", "t=0 On ch=0 n=62 v=100",
                                        "t=0 Meta type=1 value=0 [41]", "t=16 On ch=0 n=64 v=80",
                                        "t=16 Meta type=47 value=0 []"));
  // The data of a running-status event holds its status, not the byte before.
  EXPECT_EQ(ToHex(t->Event(1).Bytes()), "90 3E 64");
  EXPECT_EQ(reading.RunningStatus(), 0x90);

  // A second chunk of the same reading may begin under the status left by
  // the first.
  std::vector<uint8_t> chunk = TrackChunk("00 3C 00 00 FF 2F 00");
  auto next = MidiTrackData::FromChunk(chunk, chunk.size(), 0, kMidiChunkCapacity, reading);
  EXPECT_THAT(Describe(*next), ElementsAre("t=0 Off ch=0 n=60", "t=0 Meta type=47 value=0 []"));
  EXPECT_TRUE(Messages().empty());

  // Another reading starts without a status: nothing an earlier file left
  // decides how the next one reads.
  auto alone = MidiTrackData::FromChunk(chunk, chunk.size(), 0, kMidiChunkCapacity, 0);
  EXPECT_THAT(Messages(), ElementsAre(kUndefined));
}

TEST_F(Parse, RunningPolyPressureIsWrittenBackWithItsStatus) {
  auto t = ParseTrack("00 A1 3C 10 05 3E 20 00 FF 2F 00");
  t->Serialise("MTrk");
  EXPECT_EQ(BodyHex(*t), "00 A1 3C 10 05 A1 3E 20 00 FF 2F 00");
}

TEST_F(Parse, ExclusiveMessagesDoNotBecomeTheRunningStatus) {
  auto t = ParseTrack("00 90 3C 64 00 F0 05 7E 7F 09 01 F7 00 3E 64 00 FF 2F 00");
  EXPECT_THAT(Describe(*t),
              ElementsAre("t=0 On ch=0 n=60 v=100", "t=0 SysEx sub=9 [F0 05 7E 7F 09 01 F7]",
                          "t=0 On ch=0 n=62 v=100", "t=0 Meta type=47 value=0 []"));
}

TEST_F(Parse, DataWithoutAnyRunningStatusIsUndefinedOnceAndKeepsTheTiming) {
  auto t = ParseTrack("10 3C 00 3D 05 FF 2F 00");
  EXPECT_THAT(Messages(), ElementsAre(kUndefined));
  t->Compact();
  // The skipped bytes' deltas stay in the track's time.
  ASSERT_EQ(t->Count(), 1);
  EXPECT_EQ(t->Event(0).delta, 0x10 + 0x05);
}

TEST_F(Parse, NoteOnWithVelocityZeroIsReadAsNoteOffAndWrittenWithVelocity64) {
  auto t = ParseTrack("00 90 3C 00 00 FF 2F 00");
  EXPECT_EQ(t->Event(0).kind, MidiKind::NoteOff);
  EXPECT_EQ(t->Event(0).velocity, 0);
  t->Serialise("MTrk");
  EXPECT_EQ(BodyHex(*t), "00 80 3C 40 00 FF 2F 00");
}

TEST_F(Parse, BadNoteNumbersAndProgramsAreRepairedWithTheirMessages) {
  MidiParseState reading;
  reading.SetRunningStatus(0x90);
  std::vector<uint8_t> chunk = TrackChunk("00 F2 30 00 F3 30 00 C0 FF 00 FF 2F 00");
  auto t = MidiTrackData::FromChunk(chunk, chunk.size(), 0, kMidiChunkCapacity, reading);
  // 0xF2 and 0xF3 are not status bytes: the running status takes them as
  // note numbers, which are out of range.
  EXPECT_EQ(t->Event(0).note, 0);
  EXPECT_EQ(t->Event(0).velocity, 0);
  EXPECT_EQ(t->Event(1).note, 0);
  ASSERT_EQ(t->Count(), 4);
  EXPECT_EQ(t->Event(2).kind, MidiKind::ProgramChange);
  EXPECT_EQ(t->Event(2).value, 0);
  // Once per chunk reading for the note number; every time for the program.
  EXPECT_THAT(Messages(),
              ElementsAre(kBadNote,
                          "MDTK0D00000C "
                          "プログラム・チェンジで不正な番号がありました。0に調整しました。"));
}

TEST_F(Parse, SysExRunsToItsEndAndIsClassified) {
  auto t = ParseTrack(
      "00 F0 07 7F 7F 04 01 00 64 F7  00 F0 0A 41 10 42 12 40 00 04 50 6C F7 "
      "00 F0 0A 41 10 42 12 40 11 15 02 00 F7  00 F7 03 01 02 03  00 FF 2F 00");
  ASSERT_EQ(t->Count(), 5);
  EXPECT_EQ(t->Event(0).subtype, kExclusiveMasterVolume);
  EXPECT_EQ(t->Event(0).value, 0x64);
  EXPECT_EQ(t->Event(0).DataLength(), 9);
  EXPECT_EQ(t->Event(1).subtype, kExclusiveMasterVolume);
  EXPECT_EQ(t->Event(1).value, 0x50);
  EXPECT_EQ(t->Event(2).subtype, kExclusiveGsDrumPart);
  EXPECT_EQ(t->Event(2).channel, 0);
  EXPECT_EQ(t->Event(3).kind, MidiKind::SysExEscape);
  EXPECT_EQ(ToHex(t->Event(3).Bytes()), "F7 03 01 02 03");
  t->Serialise("MTrk");
  EXPECT_EQ(BodyHex(*t),
            "00 F0 07 7F 7F 04 01 00 64 F7 00 F0 0A 41 10 42 12 40 00 04 50 6C F7 "
            "00 F0 0A 41 10 42 12 40 11 15 02 00 F7 00 F7 03 01 02 03 00 FF 2F 00");
}

TEST_F(Parse, SysExWhoseLengthHoldsF7IsNotCutAtTheLength) {
  // A length of 0x3B80 is written F7 00 and must not end the message.
  std::string body = "00 F0 F7 00";
  for (int i = 0; i < 0x3B80 - 1; ++i) body += " 01";
  body += " F7 00 FF 2F 00";
  auto t = ParseTrack(body);
  ASSERT_EQ(t->Count(), 2);
  EXPECT_EQ(t->Event(0).DataLength(), 0x3B80 + 3);
}

TEST_F(Parse, ClassificationTableRows) {
  struct Row {
    const char* hex;
    int subtype;
    int value;
    int channel;
  };
  const Row rows[] = {
      {"F0 07 7F 7F 04 02 00 40 F7", kExclusiveMasterBalance, 0x40, kNoChannel},
      {"F0 0A 41 10 42 12 40 01 30 05 00 F7", 20, 5, kNoChannel},
      {"F0 0A 41 10 42 12 40 01 37 06 00 F7", 32, 6, kNoChannel},
      {"F0 0A 41 10 42 12 40 01 40 07 00 F7", 41, 7, kNoChannel},
      {"F0 0A 41 10 42 12 40 01 59 08 00 F7", 57, 8, kNoChannel},
      {"F0 0A 41 10 42 12 40 01 5A 09 00 F7", 64, 9, kNoChannel},
      {"F0 0A 41 10 42 12 40 01 36 09 00 F7", kExclusiveNone, 0, kNoChannel},
      {"F0 0A 41 10 42 12 40 02 03 0A 00 F7", 68, 10, kNoChannel},
      {"F0 0A 41 10 42 12 40 10 15 01 00 F7", kExclusiveGsDrumPart, 1, 9},
      {"F0 0A 41 10 42 12 40 1A 15 02 00 F7", kExclusiveGsDrumPart, 2, 10},
      {"F0 0A 41 10 42 12 40 19 16 03 00 F7", kExclusiveNone, 3, kNoChannel},
      {"F0 0A 41 10 42 12 40 49 20 04 00 F7", kExclusiveGsScaleTuning, 4, 8},
      {"F0 0A 41 10 42 12 40 4F 20 04 00 F7", kExclusiveGsScaleTuning, 4, 15},
      {"F0 0A 41 10 42 12 00 00 7F 00 01 F7", kExclusiveGsReset, 0, kNoChannel},
      {"F0 07 43 79 06 7F 01 02 F7", kExclusiveLargeBlock, 0, kNoChannel},
      {"F0 05 7E 7F 09 01 F7", kExclusiveGmOn, 0, kNoChannel},
      {"F0 04 7E 7F 09 F7", kExclusiveNone, 0, kNoChannel},
  };
  for (const Row& r : rows) {
    MidiEvent ev = SysExEvent(0, r.hex);
    ClassifyExclusive(ev);
    EXPECT_EQ(ev.subtype, r.subtype) << r.hex;
    EXPECT_EQ(ev.value, r.value) << r.hex;
    EXPECT_EQ(ev.channel, r.channel) << r.hex;
  }
}

TEST_F(Parse, MetaEventsAreStoredAsTheTableSays) {
  auto t = ParseTrack(
      "00 FF 00 02 00 07  00 FF 20 01 03  00 FF 51 03 07 A1 20  00 FF 54 05 60 00 03 00 00 "
      "00 FF 58 04 06 03 18 08  00 FF 59 02 FE 01  00 FF 01 00  00 FF 09 03 41 42 43 "
      "00 FF 21 01 00  00 FF 2F 00");
  EXPECT_THAT(
      Describe(*t),
      ElementsAre("t=0 Meta type=0 value=0 [00 07]", "t=0 Meta type=32 value=0 [03]",
                  "t=0 Meta type=81 value=500000 [07 A1 20]",
                  "t=0 Meta type=84 value=0 [60 00 03 00 00]",
                  "t=0 Meta type=88 value=1544 [06 03 18 08]", "t=0 Meta type=89 value=0 [FE 01]",
                  "t=0 Meta type=1 value=0 [00]", "t=0 Meta type=4 value=0 [41 42 43]",
                  "t=0 None ch=255 n=0 sub=33 value=0", "t=0 Meta type=47 value=0 []"));
  // The text's zero terminator lies in the spare bytes.
  EXPECT_EQ(t->Event(7).Buffer()[3], 0);
  t->Compact();
  t->Serialise("MTrk");
  EXPECT_EQ(BodyHex(*t),
            "00 FF 00 02 00 07 00 FF 20 01 03 00 FF 51 03 07 A1 20 00 FF 54 05 60 00 03 00 00 "
            "00 FF 58 04 06 03 18 08 00 FF 59 02 FE 01 00 FF 01 01 00 00 FF 04 03 41 42 43 "
            "00 FF 2F 00");
}

TEST_F(Parse, BrokenTemposAndTimeSignaturesFallBackWithTheirMessages) {
  auto t = ParseTrack(
      "00 FF 51 03 00 00 00 00 FF 58 04 00 02 18 08 00 FF 58 04 03 00 18 08 "
      "00 FF 58 04 03 1F 18 08 00 FF 2F 00");
  EXPECT_EQ(t->Event(0).value, 500000);
  EXPECT_EQ(t->Event(1).value, 1028);
  EXPECT_EQ(t->Event(2).value, 1028);
  EXPECT_EQ(t->Event(3).value, 1028);
  EXPECT_THAT(Messages(), ElementsAre("MDTK0D000005 テンポに誤りがあります。",
                                      "MDTK0D000027 拍子に異常が発生しました。",
                                      "MDTK0D000027 拍子に異常が発生しました。",
                                      "MDTK0D000027 拍子に異常が発生しました。"));
}

TEST_F(Parse, LargeEventsWarnOnceBetweenChunkReadings) {
  std::string text(300, 'a');
  std::string hex = "00 FF 01 82 2C";
  for (char c : text) hex += " " + ToHex(std::vector<uint8_t>{static_cast<uint8_t>(c)});
  const std::string body = hex + " " + hex + " 00 FF 2F 00";
  {
    auto t = ParseTrack(body);
    EXPECT_EQ(t->Event(0).DataLength(), 300);
    EXPECT_THAT(Messages(), ElementsAre(kTooLarge));
    ClearMessages();
    t->Serialise("MTrk");  // the flag is still set: no second box
    EXPECT_TRUE(Messages().empty());
  }
  // Destroying the track reports each large event.
  EXPECT_THAT(Messages(), ElementsAre("MDTK0D00001A データの追加に失敗しました。",
                                      "MDTK0D00001A データの追加に失敗しました。"));
  ClearMessages();
  auto again = ParseTrack(body);  // a new chunk reading re-arms the warning
  EXPECT_THAT(Messages(), ElementsAre(kTooLarge));
  again->Clear();
}

TEST_F(Parse, TruncatedAndOverrunningInputStopsWithTheMessage) {
  const char* bodies[] = {
      "00 90 3C",              // channel message cut short
      "00 F0 05 7E 7F 09 01",  // SysEx without its end
      "00 F7 09 01 02",        // escape longer than the chunk
      "00 FF 01 10 41",        // text longer than the chunk
      "00 FF",                 // meta without its type
      "81 82",                 // delta running off the end
      "00",                    // delta, then nothing
  };
  for (const char* body : bodies) {
    ClearMessages();
    auto t = ParseTrack(body);
    EXPECT_EQ(t->Count(), 0) << body;
    EXPECT_THAT(Messages(), ElementsAre(kInternal)) << body;
  }
}

TEST_F(Parse, ChunkIdentifierAndLengthAreChecked) {
  std::vector<uint8_t> bad = TrackChunk("00 FF 2F 00", "MThd");
  auto t = MidiTrackData::FromChunk(bad, bad.size(), 0, kMidiChunkCapacity, 0);
  EXPECT_EQ(t->ChunkLength(), 0u);
  EXPECT_EQ(t->Count(), 0);
  EXPECT_THAT(Messages(), ElementsAre("MDTK0D000007 MIDIファイルではないか、"
                                      "マックバイナリがついているファイルです。"));
  ClearMessages();
  std::vector<uint8_t> chunk = TrackChunk("00 FF 2F 00", "XFKM");
  auto past = MidiTrackData::FromChunk(chunk, chunk.size() - 1, 0, kMidiChunkCapacity, 0);
  EXPECT_EQ(past->ChunkLength(), 0u);
  EXPECT_EQ(past->Form(), kFormEvents);
  EXPECT_THAT(Messages(), ElementsAre(kInternal));
  ClearMessages();
  auto small = MidiTrackData::FromChunk(chunk, chunk.size(), 0, 8, 0);
  EXPECT_EQ(small->ChunkLength(), 0u);
  EXPECT_THAT(Messages(), ElementsAre(kInternal));
  ClearMessages();
  auto fine = MidiTrackData::FromChunk(chunk, chunk.size(), 0, kMidiChunkCapacity, 0);
  EXPECT_EQ(fine->ChunkLength(), 12u);
  EXPECT_EQ(fine->Count(), 1);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(Parse, AFullEventTableTakesNoFurtherEvent) {
  // Running status makes events of two bytes, more than capacity / 3 of them.
  const size_t capacity = 3000;  // a table of 1,000 events
  std::string body = "00 C0 05";
  for (int i = 0; i < 1400; ++i) body += " 00 05";
  auto t = ParseTrack(body, capacity);
  EXPECT_EQ(t->Count(), 1000);
  EXPECT_THAT(Messages(), ElementsAre("MDTK0D000006 データの量が多すぎます。"));
  ClearMessages();
  EXPECT_FALSE(t->Append(ControlEvent(0, 0, 7, 1)));
  EXPECT_EQ(t->Count(), 1000);
  EXPECT_THAT(Messages(), ElementsAre("MDTK0D000006 データの量が多すぎます。"));
}

// --- Serialising ---

using Serialise = MidiTest;

TEST_F(Serialise, WritesFullStatusBytesAndFixedMetaForms) {
  MidiTrackData t(1024);
  t.SetForm(kFormEvents);
  t.Append(NoteOnEvent(0, 2, 60, 100));
  t.Append(NoteOffEvent(200, 2, 60));
  MidiEvent pc;
  pc.kind = MidiKind::ProgramChange;
  pc.channel = 2;
  pc.value = 5;
  t.Append(pc);
  t.Append(ControlEvent(20000, 2, 7, 127));
  t.AppendTempo(500000);
  t.AppendTimeSignature();
  t.AppendMetaText(kMetaTrackName, "Voice1");
  t.AppendEndOfTrack();
  t.Serialise("MTrk");
  EXPECT_EQ(t.Form(), kFormRaw);
  EXPECT_EQ(ToHex(t.Chunk()),
            "4D 54 72 6B 00 00 00 2F 00 92 3C 64 81 48 82 3C 40 00 C2 05 81 9C 20 B2 07 7F "
            "00 FF 51 03 07 A1 20 00 FF 58 04 04 02 12 08 00 FF 03 06 56 6F 69 63 65 31 "
            "00 FF 2F 00");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(Serialise, ATrackWithoutEndOfTrackWritesNothing) {
  auto t = ParseTrack("00 90 3C 64 10 80 3C 40");
  ASSERT_EQ(t->Count(), 2);
  t->Serialise("MTrk");
  EXPECT_EQ(t->Form(), kFormEvents);
  EXPECT_THAT(Messages(), ElementsAre(kInternal));
  ClearMessages();
  t->SetForm(kFormNotes);
  t->Serialise("MTrk");
  EXPECT_THAT(Messages(), ElementsAre(kInternal));
}

TEST_F(Serialise, BadChannelsAndNoteNumbersAreReportedAndKeptWritable) {
  MidiTrackData t;
  t.SetForm(kFormEvents);
  MidiEvent on = NoteOnEvent(0, 255, 200, 100);
  t.Append(on);
  MidiEvent none;
  none.delta = 7;  // kind None: nothing written, its delta goes on
  t.Append(none);
  t.AppendEndOfTrack(1);
  t.Serialise("MTrk");
  EXPECT_EQ(BodyHex(t), "00 9F 00 64 08 FF 2F 00");
  EXPECT_THAT(Messages(), ElementsAre("MDTK0D000003 チャネルに誤りがあります。", kUndefined));
}

TEST_F(Serialise, ChunkNearCapacityStopsAndStaysAWellFormedChunk) {
  const size_t capacity = 300;
  MidiTrackData t(capacity);
  t.SetForm(kFormEvents);
  for (int i = 0; i < 20; ++i) t.Append(ControlEvent(1, 0, 7, 100));
  t.AppendEndOfTrack();
  t.Serialise("MTrk");
  EXPECT_THAT(Messages(), ElementsAre("MDTK0D00001A データの追加に失敗しました。"));
  ASSERT_EQ(t.Form(), kFormRaw);
  EXPECT_LE(t.ChunkLength(), capacity - kChunkReserve + 4);
  // What was written still reads as a track that ends properly.
  std::vector<uint8_t> copy(t.Chunk().begin(), t.Chunk().end());
  ClearMessages();
  auto back = MidiTrackData::FromChunk(copy, copy.size(), 0, capacity, 0);
  EXPECT_TRUE(back->Event(back->Count() - 1).IsEndOfTrack());
  EXPECT_TRUE(Messages().empty());
}

TEST(Vlq, WritesOneToFourBytes) {
  struct Case {
    int64_t value;
    const char* hex;
  };
  const Case cases[] = {{0, "00"},
                        {127, "7F"},
                        {128, "81 00"},
                        {200, "81 48"},
                        {16383, "FF 7F"},
                        {16384, "81 80 00"},
                        {20000, "81 9C 20"},
                        {2097151, "FF FF 7F"},
                        {2097152, "81 80 80 00"},
                        {0x0FFFFFFF, "FF FF FF 7F"},
                        {0x10000000, "FF FF FF 7F"},
                        {-5, "00"}};
  for (const Case& c : cases) {
    ByteWriter w;
    int n = WriteVlq(c.value, w);
    EXPECT_EQ(ToHex(w.Data()), c.hex) << c.value;
    EXPECT_EQ(n, static_cast<int>(w.Size()));
    ByteReader r(w.Data());
    uint32_t back = 0;
    ASSERT_TRUE(ReadVlq(r, back));
    EXPECT_EQ(back, std::clamp<int64_t>(c.value, 0, kMaxVlq));
  }
}

TEST_F(Serialise, LongDeltasSurviveARoundTrip) {
  MidiTrackData t;
  t.SetForm(kFormEvents);
  t.Append(ControlEvent(3000000, 0, 7, 100));
  t.AppendEndOfTrack();
  t.Serialise("MTrk");
  EXPECT_EQ(BodyHex(t), "81 B7 8D 40 B0 07 64 00 FF 2F 00");
  t.Parse();
  EXPECT_EQ(t.Event(0).delta, 3000000);
}

}  // namespace
}  // namespace crx::test
