#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "karaoke/XfKaraokeData.h"
#include "support/karaoke/XfFileBuilder.h"
#include "support/platform/ScriptedHost.h"
#include "support/platform/TempFolder.h"
#include "video/LyricSheet.h"
#include "video/SongCredits.h"
#include "video/SyncedLyrics.h"

namespace crx {
namespace {

using test::XfFileBuilder;

std::string Cp932(std::string_view utf8) { return XfFileBuilder::Cp932(utf8); }

LyricSheet::TimedText Cue(double seconds, std::string_view text) {
  return {seconds, std::string(text), true};
}

TEST(SongCreditsTest, TheLanguageLineNamesTheSongAndTheHeaderFillsItsGaps) {
  SongCredits c;
  c.Merge(Cp932("$XFln:L1:ふるさと:岡野貞一: 高野辰之 ::唱歌隊:"));
  c.Merge(Cp932("XFhd:19141231:JP:Folk:::ja:別の作曲者:別の作詞者::合唱団:"));
  EXPECT_EQ(c.title, "ふるさと");
  EXPECT_EQ(c.composer, "岡野貞一");
  EXPECT_EQ(c.lyricist, "高野辰之");  // blanks at the ends dropped
  EXPECT_EQ(c.artist, "唱歌隊");
  EXPECT_EQ(c.year, "1914");

  // Only the header: its composer, lyricist and performer; a date that is no
  // year gives none; other texts are not credits.
  SongCredits h;
  h.Merge("XFhd:Spring:JP:Pops:::ja:Comp:Lyr::Band");
  h.Merge("XFxx:1:2:3");
  h.Merge("XFln:L1");
  EXPECT_EQ(h.title, "");
  EXPECT_EQ(h.composer, "Comp");
  EXPECT_EQ(h.lyricist, "Lyr");
  EXPECT_EQ(h.artist, "Band");
  EXPECT_EQ(h.year, "");

  // Given texts go first; the karaoke file fills only what they leave empty.
  SongCredits given;
  given.title = "別題";
  given.FillFrom(c);
  EXPECT_EQ(given.title, "別題");
  EXPECT_EQ(given.composer, "岡野貞一");
  EXPECT_EQ(given.year, "1914");
}

TEST(SongCreditsTest, AKaraokeFileGivesItsInformationHeaderAndOneWithoutNone) {
  ScriptedHost host;
  ScopedUi scope(host);
  test::TempFolder tmp;
  XfFileBuilder song;
  song.Tempo(0, 500000)
      .Note(0, 0, 60, 100, 480)
      .XfihText(Cp932("$XFln:L1:春の歌:作曲者:作詞者::歌手:"));
  const XfKaraokeData withInfo(song.WriteTo(tmp.File("a.mid")));
  const SongCredits c = SongCredits::FromKaraoke(withInfo);
  EXPECT_EQ(c.title, "春の歌");
  EXPECT_EQ(c.artist, "歌手");
  EXPECT_EQ(c.lyricist, "作詞者");
  XfFileBuilder bare;
  bare.Tempo(0, 500000).Note(0, 0, 60, 100, 480).WithoutChunk("XFIH");
  EXPECT_TRUE(SongCredits::FromKaraoke(XfKaraokeData(bare.WriteTo(tmp.File("b.mid")))).Empty());
}

// Two pages of sung lines around an interlude caption.
LyricSheet TwoVerses() {
  return LyricSheet::FromTimedTexts({Cue(0, "&s"),
                                     {1.0, Cp932("<う")},
                                     {1.5, Cp932("さ")},
                                     {2.004, Cp932("ぎ/")},
                                     {3.0, Cp932("お")},
                                     {3.5, Cp932(" か")},
                                     {4.0, Cp932("の/")},
                                     Cue(6, "&x"),
                                     {6.0, Cp932("<>間奏")},
                                     Cue(20, "&s"),
                                     {61.235, Cp932("<こ")},
                                     {62.0, Cp932("ぶな/")}},
                                    63);
}

TEST(SyncedLyricsTest, LinesAndSyllablesKeepTheirTimesAndCaptionsAreLeftOut) {
  const SyncedLyrics lyrics = SyncedLyrics::FromSheet(TwoVerses());
  ASSERT_EQ(lyrics.Lines().size(), 3u);
  EXPECT_EQ(lyrics.PlainText(), "うさぎ\nお かの\nこぶな");
  const std::vector<SyncedLyrics::Entry> entries = lyrics.Entries();
  ASSERT_EQ(entries.size(), 8u);  // one per syllable, none for the caption
  EXPECT_EQ(entries[0].ms, 1000u);
  EXPECT_EQ(entries[0].text, "う");
  EXPECT_EQ(entries[2].ms, 2004u);
  EXPECT_EQ(entries[3].text, "\nお");  // a new line starts
  EXPECT_EQ(entries[4].text, " か");   // spacing stays before its syllable
  EXPECT_EQ(entries[6].ms, 61235u);
  std::string joined;
  for (const auto& e : entries) joined += e.text;
  EXPECT_EQ(joined, lyrics.PlainText());
}

TEST(SyncedLyricsTest, EnhancedLrcTagsEveryLineAndSyllable) {
  SongCredits credits;
  credits.title = "うさぎ\nの歌";
  credits.lyricist = "作詞者";
  const std::string lrc = SyncedLyrics::FromSheet(TwoVerses()).EnhancedLrc(credits);
  EXPECT_EQ(lrc,
            "[ti:うさぎ の歌]\n"
            "[au:作詞者]\n"
            "[00:01.00]<00:01.00>う<00:01.50>さ<00:02.00>ぎ\n"
            "[00:03.00]<00:03.00>お<00:03.50> か<00:04.00>の\n"
            "[01:01.24]<01:01.24>こ<01:02.00>ぶな\n");
  EXPECT_EQ(SyncedLyrics::LrcTime(-20), "00:00.00");
  EXPECT_EQ(SyncedLyrics::LrcTime(59995), "01:00.00");  // rounding carries into the minute
  EXPECT_EQ(SyncedLyrics::LrcTime(100LL * 60000 + 1234), "100:01.23");
  EXPECT_TRUE(SyncedLyrics::FromSheet(LyricSheet()).Empty());
  EXPECT_EQ(SyncedLyrics::FromSheet(LyricSheet()).EnhancedLrc({}), "");
}

}  // namespace
}  // namespace crx
