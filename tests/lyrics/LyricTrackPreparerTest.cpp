// Lyric tracks as real karaoke files write them, brought into the form the
// kana passes read.
#include "lyrics/LyricTrackPreparer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "karaoke/XfKaraokeData.h"
#include "lyrics/LyricEvent.h"
#include "midi/MidiTrackData.h"
#include "platform/TextCodec.h"
#include "support/karaoke/XfFileBuilder.h"
#include "support/platform/ScriptedHost.h"
#include "support/platform/TempFolder.h"

namespace crx {
namespace {

using test::XfFileBuilder;
using Lines = std::vector<std::string>;

class LyricTrackPreparerTest : public ::testing::Test {
 protected:
  ScriptedHost host;
  ScopedUi scope{host};
  test::TempFolder tmp;
  std::unique_ptr<XfKaraokeData> song;

  PreparedLyrics Prepare(const XfFileBuilder& b, int channel = 0,
                         const LyricPreparationOptions& options = {}) {
    song = std::make_unique<XfKaraokeData>(b.WriteTo(tmp.File("song.mid")));
    return LyricTrackPreparer::Prepare(*song, channel, options);
  }
  // "tick text" for every lyric event, UTF-8.
  Lines Lyrics() const {
    Lines out;
    int64_t tick = 0;
    for (const MidiEvent& ev : song->LyricTrack()->Events()) {
      tick += ev.delta;
      if (LyricEvent::IsLyric(ev)) {
        out.push_back(std::to_string(tick) + " " +
                      TextCodec::Cp932ToUtf8Lossy(LyricEvent::Text(ev)));
      }
    }
    return out;
  }
};

// Notes of 240 ticks on the channel at 0, 240, 480, ...
XfFileBuilder Melody(int notes, int channel = 0) {
  XfFileBuilder b;
  b.Tempo(0, 500000);
  for (int k = 0; k < notes; ++k) b.Note(static_cast<uint32_t>(240 * k), channel, 60, 100, 240);
  return b;
}

TEST(LyricAlignmentTest, KeepsTheOrderAndGivesEveryNoteOneLyricAtMost) {
  // Before and after their notes, within a sixteenth (120 ticks).
  EXPECT_EQ(LyricTrackPreparer::Align({30, 200, 500, 690}, {0, 240, 480, 720}, 120),
            (std::vector<int>{0, 1, 2, 3}));
  // Two lyrics nearest to one note: the second takes the next note.
  EXPECT_EQ(LyricTrackPreparer::Align({0, 10}, {0, 100}, 120), (std::vector<int>{0, 1}));
  // A lyric far from every note belongs to none; the order never crosses.
  EXPECT_EQ(LyricTrackPreparer::Align({0, 1000, 1010}, {0, 1100}, 120),
            (std::vector<int>{0, -1, 1}));
  EXPECT_EQ(LyricTrackPreparer::Align({100, 110}, {0}, 120), (std::vector<int>{0, -1}));
  EXPECT_EQ(LyricTrackPreparer::Align({}, {0}, 120), (std::vector<int>{}));
  EXPECT_EQ(LyricTrackPreparer::Align({5}, {}, 120), (std::vector<int>{-1}));
}

TEST_F(LyricTrackPreparerTest, LyricsMoveOntoTheirNotesAndDisplayEventsGo) {
  XfFileBuilder b = Melody(5);
  b.LyricUtf8(0, "/")               // line mark before the first note
      .LyricUtf8(36, "<淡[あ わ]")  // after its note
      .LyricUtf8(230, " ")          // a display space at the next syllable's tick
      .LyricUtf8(230, "き")         // before its note
      .LyricUtf8(520, ">光")
      .LyricUtf8(600, "/")  // between notes: goes with the next lyric
      .LyricUtf8(700, "    ")
      .LyricUtf8(700, ">>>い");
  const PreparedLyrics report = Prepare(b);
  EXPECT_EQ(Lyrics(), (Lines{"0 /", "0 <淡[あわ]", "240 き", "480 光", "720 /", "720 い"}));
  EXPECT_TRUE(report.changed);
  EXPECT_EQ(report.moved, 4);
  EXPECT_EQ(report.displayOnly, 2);
  EXPECT_EQ(report.unmatched, 0);
  // Prepared once, nothing is left to do.
  EXPECT_FALSE(LyricTrackPreparer::Prepare(*song, 0).changed);
}

TEST_F(LyricTrackPreparerTest, TracksAsOurFilesWriteThemStayByteForByte) {
  XfFileBuilder b = Melody(4);
  b.LyricUtf8(0, "<兎[うさぎ]").LyricUtf8(240, "/").LyricUtf8(480, "ら ら").LyricUtf8(720, "ほ/");
  const PreparedLyrics first = Prepare(b);
  // Only the mark at the end of the last lyric becomes a mark of its own.
  EXPECT_EQ(Lyrics(), (Lines{"0 <兎[うさぎ]", "240 /", "480 ら ら", "720 ほ", "720 /"}));
  EXPECT_TRUE(first.changed);
  XfFileBuilder plain = Melody(3);
  plain.LyricUtf8(0, "<兎[うさぎ]").LyricUtf8(240, "/").LyricUtf8(480, "ら ら");
  EXPECT_FALSE(Prepare(plain).changed);
  EXPECT_EQ(Lyrics(), (Lines{"0 <兎[うさぎ]", "240 /", "480 ら ら"}));
}

TEST_F(LyricTrackPreparerTest, PartCuesDecideWhatIsSung) {
  XfFileBuilder b = Melody(8);
  b.LyricMeta(0, 7, "&x")
      .LyricUtf8(0, "<>イントロ（1番）")
      .LyricMeta(240, 7, "&s")
      .LyricUtf8(240, "あ")
      .LyricMeta(480, 7, "&c")
      .LyricUtf8(480, "い")
      .LyricMeta(720, 7, "&w")
      .LyricUtf8(720, "う")
      .LyricMeta(960, 7, "&m")
      .LyricUtf8(960, "----")  // a placeholder
      .LyricUtf8(1200, "<>>（ここから抑揚）")
      .LyricUtf8(1440, "え")
      .LyricMeta(1680, 7, "&f")
      .LyricUtf8(1680, "お");
  PreparedLyrics report = Prepare(b);
  EXPECT_EQ(Lyrics(), (Lines{"240 あ", "480 い", "1440 <え", "1680 お"}));
  EXPECT_EQ(report.labels, 2);
  EXPECT_EQ(report.displayOnly, 2);
  LyricPreparationOptions noChorus;
  noChorus.singChorus = false;
  Prepare(b, 0, noChorus);
  EXPECT_EQ(Lyrics(), (Lines{"240 あ", "1440 <え", "1680 お"}));
}

TEST_F(LyricTrackPreparerTest, OnlyTheMelodyChannelsNotesCount) {
  // The melody on channel 1 starts at 100; channel 0 plays on the beat.
  XfFileBuilder b = Melody(3, 0);
  b.Note(100, 1, 64, 100, 200).Note(340, 1, 65, 100, 200);
  b.LyricUtf8(60, "か").LyricUtf8(300, "ぜ");
  Prepare(b, 1);
  EXPECT_EQ(Lyrics(), (Lines{"100 か", "340 ぜ"}));
}

TEST_F(LyricTrackPreparerTest, LyricsFarFromAnyNoteKeepTheirPlaceAndOrder) {
  XfFileBuilder b = Melody(2);
  b.LyricUtf8(10, "あ").LyricUtf8(2000, "い").LyricUtf8(2010, "う");
  const PreparedLyrics report = Prepare(b);
  EXPECT_EQ(Lyrics(), (Lines{"0 あ", "2000 い", "2010 う"}));
  EXPECT_EQ(report.unmatched, 2);
}

}  // namespace
}  // namespace crx
