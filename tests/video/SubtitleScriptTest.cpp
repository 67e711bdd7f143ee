#include "video/SubtitleScript.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "karaoke/XfKaraokeData.h"
#include "support/karaoke/XfFileBuilder.h"
#include "support/platform/ScriptedHost.h"
#include "support/platform/TempFolder.h"
#include "video/LyricSheet.h"

namespace crx {
namespace {

using test::XfFileBuilder;

// The script's event lines, in order.
std::vector<std::string> Dialogues(const std::string& script) {
  std::vector<std::string> out;
  std::istringstream lines(script);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.starts_with("Dialogue: ")) out.push_back(line);
  }
  return out;
}

std::string Cp932(std::string_view utf8) { return XfFileBuilder::Cp932(utf8); }

class SubtitleScriptTest : public ::testing::Test {
 protected:
  ScriptedHost host;
  ScopedUi scope{host};
  test::TempFolder tmp;

  LyricSheet SheetOf(const XfFileBuilder& b, int offsetMs = 0) {
    XfKaraokeData song(b.WriteTo(tmp.File("song.mid")));
    return LyricSheet::FromSong(song, offsetMs);
  }
};

// Quarter notes last 0.5 s, then 0.25 s from tick 960 on. The first note
// sounds on the drum channel at tick 480: that is the WAV's start.
XfFileBuilder TempoChangeSong() {
  XfFileBuilder b;
  b.Tempo(0, 500000).Tempo(960, 250000);
  b.Note(480, 9, 36, 100, 60).Note(960, 0, 60, 100, 480);
  b.LyricUtf8(480, "あ").LyricUtf8(960, "い/").LyricUtf8(1440, "う").LyricUtf8(1920, "え");
  return b;
}

TEST_F(SubtitleScriptTest, LinesAreWipedAlongTheTempoMapFromTheFirstNote) {
  const std::string script = SubtitleScript(640, 480, 5.0).Build(SheetOf(TempoChangeSong()), {});
  EXPECT_NE(script.find("PlayResX: 640\nPlayResY: 480\nWrapStyle: 2\n"), std::string::npos);
  EXPECT_EQ(Dialogues(script), (std::vector<std::string>{
                                   "Dialogue: 0,0:00:00.00,0:00:03.00,Lyric,,0,0,0,,"
                                   "{\\an1\\pos(32,365)\\fs43}{\\kf50}あ{\\kf25}い",
                                   "Dialogue: 0,0:00:00.00,0:00:03.00,Lyric,,0,0,0,,"
                                   "{\\an3\\pos(608,432)\\fs43}{\\k75}{\\kf25}う{\\kf100}え",
                               }));
}

TEST_F(SubtitleScriptTest, AnOffsetMovesTheLyricsAndTheSizeScalesTheLayout) {
  const std::string script =
      SubtitleScript(1280, 720, 10.0).Build(SheetOf(TempoChangeSong(), 2000), {});
  EXPECT_NE(script.find("PlayResX: 1280\nPlayResY: 720\n"), std::string::npos);
  EXPECT_EQ(Dialogues(script).at(0),
            "Dialogue: 0,0:00:00.50,0:00:05.00,Lyric,,0,0,0,,"
            "{\\an1\\pos(64,547)\\fs65}{\\k150}{\\kf50}あ{\\kf25}い");
}

TEST_F(SubtitleScriptTest, WipesAreDifferencesOfRoundedTimesSoTheyNeverDrift) {
  const double third = 1.0 / 3;
  const LyricSheet sheet = LyricSheet::FromTimedTexts(
      {{2.0, "a"}, {2.0 + third, "b"}, {2.0 + 2 * third, "c"}, {3.0, "/"}}, 4.0);
  EXPECT_EQ(
      Dialogues(SubtitleScript(640, 480, 9.0).Build(sheet, {})),
      (std::vector<std::string>{"Dialogue: 0,0:00:00.50,0:00:04.00,Lyric,,0,0,0,,"
                                "{\\an1\\pos(32,365)\\fs43}{\\k150}{\\kf33}a{\\kf34}b{\\kf33}c"}));
}

TEST_F(SubtitleScriptTest, RubyShowsItsBaseTextAndMarkersMakeLinesAndPages) {
  // "<" starts a page, "/" ends a line, a third line starts a page of its own;
  // marker-only events end the wipe before them and show nothing.
  const LyricSheet sheet =
      LyricSheet::FromTimedTexts({{1, Cp932("兎[うさぎ]追[お]")},
                                  {2, Cp932("い/")},
                                  {3, "/"},
                                  {4, Cp932("小[こ]鮒[ぶな]")},
                                  {5, "/"},
                                  {6, Cp932("夢")},
                                  {7, Cp932("<は")},
                                  {8, Cp932("ソ表")}},  // trail bytes 0x5C, as "\" is
                                 9);
  std::vector<std::vector<std::string>> pages;
  for (const auto& page : sheet.Pages()) {
    pages.emplace_back();
    for (const auto& line : page.lines) {
      std::string text;
      for (const auto& s : line.syllables) text += s.text + "|";
      pages.back().push_back(text);
    }
  }
  EXPECT_EQ(pages,
            (std::vector<std::vector<std::string>>{{"兎追|い|", "小鮒|"}, {"夢|"}, {"は|ソ表|"}}));
  const auto& first = sheet.Pages()[0].lines[0].syllables[1];
  EXPECT_EQ(first.start, 2);
  EXPECT_EQ(first.end, 3);
  EXPECT_EQ(sheet.Pages()[2].lines[0].syllables[1].end, 9);  // the lyric track's end
}

TEST_F(SubtitleScriptTest, LyricTextCannotBreakOutOfItsLine) {
  EXPECT_EQ(SubtitleScript::EscapeText("{\\b1}x\\Ny\r\nz\t"), "\\{\\\u2060b1\\}x\\\u2060Nyz");
  // A carriage return in a lyric ends its line: the text after it is a line
  // of the page, never an event of the script.
  const LyricSheet sheet = LyricSheet::FromTimedTexts({{0, "a}\rDialogue: {"}}, 1);
  const std::string script = SubtitleScript(640, 480, 3).Build(sheet, {});
  EXPECT_EQ(Dialogues(script).size(), 2u);
  EXPECT_NE(script.find("{\\kf100}a\\}\n"), std::string::npos);
  EXPECT_NE(script.find("{\\kf100}Dialogue: \\{\n"), std::string::npos);
  // 0x81 0x5B is one character, no ruby bracket; a lone lead byte shows "?".
  EXPECT_EQ(LyricSheet::DisplayText("\x81[x]"), "ーx");
  EXPECT_EQ(LyricSheet::DisplayText("a\x81"), "a?");
}

TEST_F(SubtitleScriptTest, PagesShowBeforeTheirFirstSyllableAndTheCardUntilTheFirstPage) {
  const LyricSheet sheet = LyricSheet::FromTimedTexts(
      {{3.0, "a"}, {3.5, "b"}, {4.0, "<c"}, {6.0, "d"}, {6.5, "<e"}, {7.0, "f"}}, 7.5);
  SubtitleScript script(640, 480, 8.4);
  const auto spans = script.PageSpans(sheet);
  ASSERT_EQ(spans.size(), 3u);
  EXPECT_EQ(spans[0].start, 150);  // 1.5 s ahead
  EXPECT_EQ(spans[1].start, 350);  // not before "b" has begun
  EXPECT_EQ(spans[2].start, 600);  // not before "d"
  EXPECT_EQ(spans[1].end, 600);
  EXPECT_EQ(spans[2].end, 840);  // 1 s after the last wipe, cut at the end

  TitleCard card{"ふるさと", "岡野貞一", "", ""};
  const auto lines = Dialogues(script.Build(sheet, card));
  EXPECT_EQ(lines.at(0),
            "Dialogue: 0,0:00:00.00,0:00:01.50,Title,,0,0,0,,{\\an5\\pos(320,192)\\fs48}ふるさと");
  EXPECT_EQ(lines.at(1),
            "Dialogue: 0,0:00:00.00,0:00:01.50,Title,,0,0,0,,{\\an5\\pos(320,278)\\fs29}作曲 "
            "岡野貞一");
  EXPECT_TRUE(lines.at(2).find(",Lyric,") != std::string::npos);

  // Without lyrics the card stays to the end; a long line is made to fit.
  const auto alone =
      Dialogues(SubtitleScript(640, 480, 8.4).Build({}, {std::string(30, 'W') + "あ", "", "", ""}));
  ASSERT_EQ(alone.size(), 1u);
  EXPECT_EQ(alone[0].substr(0, 53), "Dialogue: 0,0:00:00.00,0:00:08.40,Title,,0,0,0,,{\\an5");
  // 576 px for 16 ems, each 2048 / 2203 of the size.
  EXPECT_NE(alone[0].find("\\fs38}"), std::string::npos);
}

}  // namespace
}  // namespace crx
