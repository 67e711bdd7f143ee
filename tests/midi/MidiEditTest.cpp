#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "midi/ExclusiveClass.h"
#include "midi/MidiEvent.h"
#include "midi/MidiTrackData.h"
#include "support/midi/MidiTestBytes.h"
#include "support/midi/MidiTestFixture.h"

namespace crx::test {
namespace {

using Edit = MidiTest;
using ::testing::ElementsAre;

const std::string kDataError = "MUEV06000002 イベントのデータでエラーが発生しました。";

std::unique_ptr<MidiTrackData> Track(std::vector<MidiEvent> events) {
  auto t = std::make_unique<MidiTrackData>();
  t->SetForm(kFormNotes);
  for (MidiEvent& ev : events) t->Append(std::move(ev));
  return t;
}

MidiEvent Lyric(const char* text) {
  MidiEvent ev;
  ev.kind = MidiKind::Meta;
  ev.subtype = kMetaLyric;
  ev.SetData(std::string_view(text));
  return ev;
}

// --- Event data ---

TEST_F(Edit, EventDataKeepsEightSpareZeroBytes) {
  MidiEvent ev;
  EXPECT_EQ(ev.channel, kNoChannel);
  EXPECT_FALSE(ev.HasData());
  ev.SetData(std::string_view("abc"));
  EXPECT_EQ(ev.DataLength(), 3);
  EXPECT_EQ(ev.Buffer().size(), 11u);
  EXPECT_EQ(ev.DataByte(10), 0);
  EXPECT_EQ(ev.DataAt(11), nullptr);
  EXPECT_THAT(Messages(), ElementsAre(kDataError));
  ClearMessages();

  ev.SetDataByte(20, 'z');  // grows the buffer, not the data length
  EXPECT_EQ(ev.DataLength(), 3);
  EXPECT_GE(ev.Buffer().size(), 21u);
  EXPECT_EQ(ev.Buffer()[20], 'z');
  EXPECT_EQ(ev.Text(), "abc");

  ev.ResizeData(1);  // shorter than the data: the data is cut with it
  EXPECT_EQ(ev.DataLength(), 1);
  EXPECT_EQ(ev.Buffer().size(), 9u);
  ev.SetDataLength(0);  // a shortened text reads as ended by zeros again
  ev.SetDataLength(2);
  EXPECT_EQ(ev.Text(), std::string(2, '\0'));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(Edit, EventDataErrorsAndCopies) {
  MidiEvent empty;
  std::vector<uint8_t> out{1};
  EXPECT_FALSE(empty.CopyData(out));
  empty.SetDataByte(0, 1);
  EXPECT_EQ(empty.DataByte(0), 0);
  EXPECT_THAT(Messages(), ElementsAre(kDataError, kDataError, kDataError));
  ClearMessages();

  MidiEvent source = Lyric("la");
  source.delta = 5;
  MidiEvent copy = MidiEvent::CopyOf(&source);
  source.SetDataByte(0, 'X');
  EXPECT_EQ(copy.Text(), "la");
  EXPECT_EQ(copy.delta, 5);
  EXPECT_TRUE(copy.CopyData(out));
  EXPECT_EQ(out, (std::vector<uint8_t>{'l', 'a'}));

  MidiEvent none = MidiEvent::CopyOf(nullptr);
  EXPECT_EQ(none.kind, MidiKind::None);
  EXPECT_EQ(none.channel, kNoChannel);
  std::string big(257, 'x');
  none.SetData(std::string_view(big));
  EXPECT_EQ(none.DataLength(), 257);
  EXPECT_THAT(Messages(),
              ElementsAre("MDEV00000000 MidiEventでエラーが発生しました。",
                          "MUEV06000001 イベントのデータサイズが大きすぎます。MFiの機種依存の音色"
                          "設定が含まれている場合は問題ありません。"));
}

// --- Appending and inserting ---

TEST_F(Edit, AppendedMetaEventsAndTheirWarnings) {
  MidiTrackData t;
  t.AppendTempo(0);
  t.AppendTimeSignature();
  t.AppendMetaText(kMetaText, std::string(128, 'a'));
  EXPECT_EQ(t.Event(0).value, 500000);
  EXPECT_EQ(ToHex(t.Event(0).Bytes()), "07 A1 20");
  EXPECT_EQ(t.Event(1).value, 1026);
  EXPECT_EQ(ToHex(t.Event(1).Bytes()), "04 02 12 08");
  EXPECT_EQ(t.Event(2).DataLength(), 128);
  EXPECT_THAT(Messages(),
              ElementsAre("MDTK0D000015 Midiのトラックデータでテンポデータの異常が検出されました。",
                          "MDTK0D000028 データ追加に異常が発生しました。"));
}

TEST_F(Edit, InsertAtGoesAfterTheEventsAlreadyAtThatTime) {
  auto t = Track({Lyric("a"), Lyric("b"), ControlEvent(10, 0, 7, 1), ControlEvent(0, 0, 7, 2),
                  ControlEvent(10, 0, 7, 3), EndOfTrackEvent(0)});
  t->InsertAt(Lyric("x"), 10);
  t->InsertAt(Lyric("y"), 15);
  t->InsertAt(Lyric("z"), 0);
  EXPECT_THAT(Describe(*t),
              ElementsAre("t=0 Meta type=5 value=0 [61]", "t=0 Meta type=5 value=0 [62]",
                          "t=0 Meta type=5 value=0 [7A]", "t=10 CC ch=0 n=0 sub=7 value=1",
                          "t=10 CC ch=0 n=0 sub=7 value=2", "t=10 Meta type=5 value=0 [78]",
                          "t=15 Meta type=5 value=0 [79]", "t=20 CC ch=0 n=0 sub=7 value=3",
                          "t=20 Meta type=47 value=0 []"));
}

TEST_F(Edit, InsertAtTheEndAndBeforeTheLastEvent) {
  auto t = Track({ControlEvent(10, 0, 7, 1), EndOfTrackEvent(20)});
  t->InsertAt(Lyric("a"), -1);
  t->InsertAt(Lyric("b"), 25);  // before the end, which stays at 30
  t->InsertAt(Lyric("c"), 50);  // past the end, which moves to 50
  EXPECT_THAT(Describe(*t),
              ElementsAre("t=10 CC ch=0 n=0 sub=7 value=1", "t=25 Meta type=5 value=0 [62]",
                          "t=30 Meta type=5 value=0 [61]", "t=50 Meta type=5 value=0 [63]",
                          "t=50 Meta type=47 value=0 []"));
  MidiTrackData empty;
  empty.InsertAt(Lyric("a"), 40);
  EXPECT_EQ(empty.Event(0).delta, 40);
  empty.InsertAt(Lyric("b"), -7);
  EXPECT_EQ(empty.Event(0).delta, 0);
  EXPECT_THAT(Messages(), ElementsAre("MDTK0D000019 演奏データが異常です。"));
}

TEST_F(Edit, DeletingKeepsTheTimeOfLaterEvents) {
  auto t =
      Track({NoteEvent(5, 0, 60, 100, 10), ControlEvent(5, 1, 7, 1), NoteEvent(5, 0, 62, 100, 10),
             SysExEvent(5, "F0 05 7E 7F 09 01 F7"), EndOfTrackEvent(5)});
  t->Delete(1);
  t->Delete(99);
  EXPECT_EQ(t->Event(1).delta, 10);
  EXPECT_TRUE(t->DeleteChannel(0));
  EXPECT_FALSE(t->DeleteChannel(0));
  EXPECT_THAT(Describe(*t), ElementsAre("t=20 SysEx sub=0 [F0 05 7E 7F 09 01 F7]",
                                        "t=25 Meta type=47 value=0 []"));
  t->Event(0).kind = MidiKind::None;
  t->Compact();
  EXPECT_THAT(Describe(*t), ElementsAre("t=25 Meta type=47 value=0 []"));
}

// --- Queries ---

TEST_F(Edit, InitialAndFirstTempo) {
  MidiTrackData empty;
  EXPECT_EQ(empty.InitialTempo(), 600000);
  int tempo = 0;
  EXPECT_EQ(empty.FirstTempo(tempo), 0);

  MidiTrackData t;
  t.AppendTempo(400000);
  t.AppendTempo(450000);
  MidiEvent later;
  later.kind = MidiKind::Meta;
  later.subtype = kMetaTempo;
  later.value = 300000;
  later.delta = 10;
  t.Append(later);
  EXPECT_EQ(t.InitialTempo(), 450000);
  EXPECT_EQ(t.FirstTempo(tempo), 1);
  EXPECT_EQ(tempo, 400000);

  MidiTrackData delayed;
  delayed.Append(later);
  EXPECT_EQ(delayed.InitialTempo(), 600000);
  EXPECT_EQ(delayed.FirstTempo(tempo), 1);
  EXPECT_EQ(tempo, 300000);
}

TEST_F(Edit, ResetWithoutMasterVolumeWarns) {
  const char* gmOn = "F0 05 7E 7F 09 01 F7";
  const char* gsReset = "F0 0A 41 20 42 12 40 00 7F 00 41 F7";
  const char* volume = "F0 07 7F 7F 04 01 00 7F F7";
  EXPECT_EQ(Track({SysExEvent(0, gmOn), NoteEvent(0, 0, 60, 100, 10)})->CheckResetVolume(), 0);
  EXPECT_EQ(Track({SysExEvent(0, gmOn), SysExEvent(0, volume), NoteEvent(0, 0, 60, 100, 10)})
                ->CheckResetVolume(),
            1);
  EXPECT_EQ(Track({SysExEvent(0, volume), SysExEvent(0, gsReset), NoteOnEvent(0, 0, 60, 100)})
                ->CheckResetVolume(),
            0);
  EXPECT_EQ(Track({SysExEvent(0, gmOn), ControlEvent(0, 0, 7, 100)})->CheckResetVolume(), 1);
  // A master volume below full does not count.
  EXPECT_EQ(Track({SysExEvent(0, "F0 07 7F 7F 04 01 00 40 F7"), NoteEvent(0, 0, 60, 100, 10)})
                ->CheckResetVolume(),
            0);
}

// One core serves the karaoke reader (notes form) and the renderer's
// preparation (events form): a chunk cut short is repaired in either form, and
// the master volume the preparation adds is the one the reset check knows.
TEST_F(Edit, CutChunksAreRepairedAndTheAddedMasterVolumeCounts) {
  auto events = ParseTrack("00 90 3C 64 0A 80 3C 40");
  ClearMessages();
  events->EnsureEndOfTrack();
  events->EnsureEndOfTrack();  // once only
  events->Serialise("MTrk");
  EXPECT_EQ(BodyHex(*events), "00 90 3C 64 0A 80 3C 40 00 FF 2F 00");

  auto notes = ParseTrack("00 90 3C 64 0A 80 3C 40");
  notes->PairNotes();
  ClearMessages();
  notes->EnsureEndOfTrack();
  notes->SplitNotes();
  notes->Serialise("MTrk");
  EXPECT_EQ(BodyHex(*notes), "00 90 3C 64 0A 80 3C 40 00 FF 2F 00");
  EXPECT_TRUE(Messages().empty());

  MidiEvent volume = MakeFullMasterVolume();
  EXPECT_EQ(volume.subtype, kExclusiveMasterVolume);
  auto reset = Track(
      {SysExEvent(0, "F0 05 7E 7F 09 01 F7"), std::move(volume), NoteEvent(0, 0, 60, 100, 10)});
  EXPECT_EQ(reset->CheckResetVolume(), 1);
}

}  // namespace
}  // namespace crx::test
