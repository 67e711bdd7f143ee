#include "lyrics/CVocaloidConvertInternalData.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lyrics/CVocaloid.h"
#include "midi/MidiTrackData.h"
#include "platform/TextCodec.h"
#include "support/karaoke/XfFileBuilder.h"
#include "support/platform/ScriptedHost.h"

namespace crx {
namespace {

std::string Sjis(std::string_view utf8) { return test::XfFileBuilder::Cp932(utf8); }
std::string Utf8(std::string_view cp932) { return TextCodec::Cp932ToUtf8Lossy(cp932); }

MidiEvent NoteEvent(int delta, int channel, int number, int duration) {
  MidiEvent e;
  e.kind = MidiKind::Note;
  e.delta = delta;
  e.channel = channel;
  e.note = number;
  e.velocity = 100;
  e.duration = duration;
  return e;
}

MidiEvent LyricEventAt(int delta, std::string_view utf8) {
  MidiEvent e;
  e.kind = MidiKind::Meta;
  e.subtype = kMetaLyric;
  e.delta = delta;
  e.SetData(Sjis(utf8));
  return e;
}

class CVocaloidConvertInternalDataTest : public ::testing::Test {
 protected:
  ScriptedHost host;
  ScopedUi scope{host};
  std::vector<std::string> lines;
  CVocaloidConvertInternalData data{lines};
  CVocaloid vocaloid;

  void Note(std::string_view utf8, int32_t tick, int32_t length = 480, bool lineBreak = false) {
    data.AddNote(Sjis(utf8), lineBreak, 60, length, tick, false);
  }
};

TEST_F(CVocaloidConvertInternalDataTest, NoteIsDividedAmongItsSyllables) {
  Note("かきく", 960, 480);
  data.AddEnd(1440);
  data.FillVocaloid(vocaloid);
  ASSERT_EQ(vocaloid.Count(), 4);
  EXPECT_EQ(vocaloid.At(0), (VocalNote{960, 60, 159, Sjis("か"), "k a", 64}));
  EXPECT_EQ(vocaloid.At(1), (VocalNote{1120, 60, 159, Sjis("き"), "k' i", 64}));
  EXPECT_EQ(vocaloid.At(2), (VocalNote{1280, 60, 159, Sjis("く"), "k M", 64}));
  // The end record: share 0 gives the short length.
  EXPECT_EQ(vocaloid.At(3), (VocalNote{1440, -1, 10, Sjis("あ"), "a", 64}));
}

TEST_F(CVocaloidConvertInternalDataTest, ShareOfOneTickOrLessGetsTheShortLength) {
  Note("かき", 0, 3);     // share 1
  Note("あいう", 10, 2);  // share 0
  data.FillVocaloid(vocaloid);
  ASSERT_EQ(vocaloid.Count(), 5);
  EXPECT_EQ(vocaloid.At(1).startTick, 1);
  EXPECT_EQ(vocaloid.At(1).length, 10);
  EXPECT_EQ(vocaloid.At(4).startTick, 10);
  EXPECT_EQ(vocaloid.At(4).length, 10);
  EXPECT_EQ(vocaloid.At(2).consonant, 0);
}

TEST_F(CVocaloidConvertInternalDataTest, NoteWithoutSyllablesIsNotSung) {
  Note("", 0);
  Note("ー", 480);
  Note("の", 960);
  data.FillVocaloid(vocaloid);
  ASSERT_EQ(vocaloid.Count(), 1);
  EXPECT_EQ(vocaloid.At(0).startTick, 960);
}

TEST_F(CVocaloidConvertInternalDataTest, ReviewLinesBreakAtMarksAndAfterTwentyNineBytes) {
  Note("あいう", 0);
  Note("えお", 480, 480, true);  // closes "あいう"
  Note("", 960, 480, true);      // a bare line break closes "えお" and sings nothing
  Note("", 1000, 480, true);     // the line is empty: nothing to close
  for (int k = 0; k < 15; ++k) Note("か", 2000 + k);  // 30 bytes
  Note("き", 3000);                                   // the 30-byte line is closed first
  data.FinishReviewLines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(Utf8(lines[0]), "あいう");
  EXPECT_EQ(Utf8(lines[1]), "えお");
  EXPECT_EQ(lines[2], Sjis("かかかかかかかかかかかかかかか"));
  EXPECT_EQ(Utf8(lines[3]), "き");
  EXPECT_TRUE(host.Messages().empty());
}

TEST_F(CVocaloidConvertInternalDataTest, LineOfFourteenCharactersTakesTheNextNote) {
  for (int k = 0; k < 14; ++k) Note("か", k);  // 28 bytes
  Note("きゃ", 100);                           // 32 bytes: still one line
  Note("く", 200);
  data.FinishReviewLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], Sjis("かかかかかかかかかかかかかかきゃ"));
  EXPECT_EQ(Utf8(lines[1]), "く");
}

TEST_F(CVocaloidConvertInternalDataTest, ReviewLineStopsAtItsLimitWithOneMessage) {
  // One note of 600 syllables: the line keeps the first 511 (1022 bytes).
  std::string lyric;
  for (int k = 0; k < 600; ++k) lyric += Sjis("の");
  data.AddNote(lyric, false, 60, 6000, 0, false);
  data.AddNote(lyric, false, 60, 6000, 6000, false);
  data.FinishReviewLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), 1022u);
  EXPECT_EQ(lines[1].size(), 1022u);
  EXPECT_EQ(host.Messages(), std::vector<std::string>{kReviewLineTooLongMessage});
  // The syllables themselves are all sung: a review line cut short is no limit
  // of the song.
  data.FillVocaloid(vocaloid);
  EXPECT_EQ(vocaloid.Count(), 1200);
  EXPECT_FALSE(data.LimitHit());
}

TEST_F(CVocaloidConvertInternalDataTest, TooManyNotesKeepThePlaceOfTheEndRecord) {
  for (int k = 0; k < kMaxMelodyNotes + 10; ++k) Note("か", k * 10, 10);
  data.AddEnd(99999);
  EXPECT_EQ(data.Notes().size(), static_cast<size_t>(kMaxMelodyNotes));
  data.FillVocaloid(vocaloid);
  EXPECT_EQ(vocaloid.Count(), kVocalNoteCapacity);
  EXPECT_TRUE(vocaloid.At(kVocalNoteCapacity - 1).IsEndRecord());
  EXPECT_EQ(vocaloid.At(kVocalNoteCapacity - 1).startTick, 99999);
  EXPECT_EQ(host.Messages(), std::vector<std::string>{kTooManyNotesMessage});
  EXPECT_TRUE(data.LimitHit());
}

TEST_F(CVocaloidConvertInternalDataTest, TooManyRecordsKeepThePlaceOfTheEndRecord) {
  std::string lyric;
  for (int k = 0; k < 1500; ++k) lyric += Sjis("ら");
  data.AddNote(lyric, false, 60, 15000, 0, false);
  data.AddNote(lyric, false, 62, 15000, 15000, false);
  data.AddEnd(30000);
  data.FillVocaloid(vocaloid);
  ASSERT_EQ(vocaloid.Count(), kVocalNoteCapacity);
  EXPECT_EQ(vocaloid.At(kVocalNoteCapacity - 2).noteNumber, 62);
  EXPECT_TRUE(vocaloid.At(kVocalNoteCapacity - 1).IsEndRecord());
  EXPECT_EQ(host.Messages(),
            (std::vector<std::string>{kReviewLineTooLongMessage, kTooManyRecordsMessage}));
  EXPECT_TRUE(data.LimitHit());
}

TEST_F(CVocaloidConvertInternalDataTest, SyllablesOfOneNoteStopAtTheirLimit) {
  std::string lyric;
  for (int k = 0; k < kMaxSyllablesPerNote + 3; ++k) lyric += "a";
  data.AddNote(lyric, false, 60, 100000, 0, false);
  ASSERT_EQ(data.Notes().size(), 1u);
  EXPECT_EQ(data.Notes()[0].entries.size(), static_cast<size_t>(kMaxSyllablesPerNote));
  EXPECT_EQ(host.Messages().front(), kTooManySyllablesMessage);
  EXPECT_TRUE(data.LimitHit());
}

TEST_F(CVocaloidConvertInternalDataTest, CollectWalksTheMelodyChannelUpToTheEnd) {
  MidiTrackData main;
  main.SetForm(kFormNotes);
  main.Append(NoteEvent(0, 0, 60, 480));
  main.Append(NoteEvent(0, 1, 40, 960));  // another channel
  main.Append(NoteEvent(480, 0, 62, 480));
  main.Append(NoteEvent(480, 0, 64, 480));  // no lyric
  main.AppendEndOfTrack(480);
  main.Append(NoteEvent(0, 0, 65, 480));  // after the end: not walked
  MidiTrackData lyrics;
  lyrics.SetForm(kFormEvents);
  lyrics.Append(LyricEventAt(0, "ゆ"));
  lyrics.Append(LyricEventAt(480, "き"));
  lyrics.AppendEndOfTrack(0);
  data.Collect(main, &lyrics, 0, false);
  data.FillVocaloid(vocaloid);
  ASSERT_EQ(vocaloid.Count(), 3);
  EXPECT_EQ(vocaloid.At(0), (VocalNote{0, 60, 479, Sjis("ゆ"), "j M", 64}));
  EXPECT_EQ(vocaloid.At(1), (VocalNote{480, 62, 479, Sjis("き"), "k' i", 64}));
  EXPECT_EQ(vocaloid.At(2), (VocalNote{1440, -1, 10, Sjis("あ"), "a", 64}));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(Utf8(lines[0]), "ゆき");
}

TEST_F(CVocaloidConvertInternalDataTest, CollectWithoutLyricsOrEndStillEndsTheSong) {
  MidiTrackData main;
  main.SetForm(kFormNotes);
  main.Append(NoteEvent(100, 0, 60, 480));
  data.Collect(main, nullptr, 0, false);
  data.FillVocaloid(vocaloid);
  ASSERT_EQ(vocaloid.Count(), 1);
  EXPECT_EQ(vocaloid.At(0), (VocalNote{100, -1, 10, Sjis("あ"), "a", 64}));
  EXPECT_TRUE(lines.empty());
}

}  // namespace
}  // namespace crx
