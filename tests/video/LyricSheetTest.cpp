#include "video/LyricSheet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "karaoke/XfKaraokeData.h"
#include "lyrics/CImeLanguage.h"
#include "platform/ReadingService.h"
#include "support/karaoke/XfFileBuilder.h"
#include "support/platform/ScriptedHost.h"
#include "video/SubtitleScript.h"

namespace crx {
namespace {

using test::XfFileBuilder;
using Events = std::vector<LyricSheet::TimedText>;

std::string Cp932(std::string_view utf8) { return XfFileBuilder::Cp932(utf8); }

LyricSheet::TimedText Cue(double seconds, std::string_view text) {
  return {seconds, std::string(text), true};
}

// Every page as its lines: "indent:" when indented, each syllable followed by
// "|"; a caption page as "(caption)".
std::vector<std::vector<std::string>> Layout(const LyricSheet& sheet) {
  std::vector<std::vector<std::string>> pages;
  for (const auto& page : sheet.Pages()) {
    pages.emplace_back();
    for (const auto& line : page.lines) {
      std::string text = line.indent > 0 ? std::to_string(line.indent) + ":" : "";
      for (const auto& s : line.syllables) text += s.text + "|";
      pages.back().push_back(page.caption ? "(" + line.Text() + ")" : text);
    }
  }
  return pages;
}

// The rubies of a line as "base=reading start-end".
std::vector<std::string> Rubies(const LyricSheet::Line& line) {
  std::vector<std::string> out;
  const std::string text = line.Text();
  for (const auto& r : line.rubies) {
    std::ostringstream s;
    s << text.substr(r.offset, r.length) << "=" << r.text << " " << r.start << "-" << r.end;
    out.push_back(s.str());
  }
  return out;
}

std::vector<std::string> Dialogues(const std::string& script) {
  std::vector<std::string> out;
  std::istringstream lines(script);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.starts_with("Dialogue: ")) out.push_back(line);
  }
  return out;
}

// A dialogue line's text without its override blocks.
std::string ShownText(const std::string& dialogue) {
  size_t at = 0;
  for (int comma = 0; comma < 9; ++comma) at = dialogue.find(',', at) + 1;
  std::string out;
  bool inTags = false;
  for (size_t i = at; i < dialogue.size(); ++i) {
    if (dialogue[i] == '\\' && i + 1 < dialogue.size() && !inTags) {
      out += dialogue[++i];  // an escaped brace
    } else if (dialogue[i] == '{') {
      inTags = true;
    } else if (dialogue[i] == '}') {
      inTags = false;
    } else if (!inTags) {
      out += dialogue[i];
    }
  }
  return out;
}

// A reading service that knows a few words; every other character is a
// morpheme of its own, read as itself when it is kana, unread otherwise.
class WordReadings : public ReadingService {
 public:
  explicit WordReadings(std::map<std::string, std::string> words) : words_(std::move(words)) {}
  std::optional<std::string> Reading(std::string_view utf8) override { return std::string(utf8); }
  std::optional<std::vector<Morpheme>> Morphemes(std::string_view utf8) override {
    std::vector<Morpheme> out;
    while (!utf8.empty()) {
      size_t best = 0;
      for (const auto& [word, reading] : words_) {
        if (utf8.starts_with(word) && word.size() > best) best = word.size();
      }
      if (best > 0) {
        const std::string word(utf8.substr(0, best));
        out.push_back({word, words_.at(word), false});
      } else {
        best = (static_cast<unsigned char>(utf8[0]) & 0xF0) == 0xE0 ? 3 : 1;
        const std::string ch(utf8.substr(0, best));
        const bool hiragana = ch >= "ぁ" && ch <= "ん";
        out.push_back({ch, hiragana ? ch : std::string(), false});
      }
      utf8.remove_prefix(std::min(best, utf8.size()));
    }
    return out;
  }

 private:
  std::map<std::string, std::string> words_;
};

TEST(LyricSheetTest, ControlsMakePagesLinesAndIndentsAndAreNeverShown) {
  // "<" and LF start a page, "/" and CR end a line, ">" at a line's start
  // indents it (in its middle it is a blank), "^" is a blank, "\" makes a
  // control plain text.
  const LyricSheet sheet = LyricSheet::FromTimedTexts({{1, Cp932("<あ")},
                                                       {2, Cp932("い")},
                                                       {3, "/"},
                                                       {4, Cp932(">>う")},
                                                       {5, Cp932("え^お>か/")},
                                                       {6, Cp932("き\rく")},
                                                       {7, Cp932("け\nこ")},
                                                       {8, Cp932("\\/\\<さ")}},
                                                      9);
  EXPECT_EQ(Layout(sheet), (std::vector<std::vector<std::string>>{
                               {"あ|い|", "2:う|え お　か|"}, {"き|", "く|け|"}, {"こ|/<さ|"}}));
  EXPECT_EQ(sheet.Pages()[0].lines[0].syllables[1].end, 3);  // a line-end event ends the wipe
  EXPECT_EQ(LyricSheet::DisplayText(Cp932("<>>淡[あ わ]き（注）/")), "淡き");
  // A lead byte before a control character: "?", the control left out.
  EXPECT_EQ(LyricSheet::DisplayText("a\x82\x10"
                                    "b"),
            "a?b");
}

TEST(LyricSheetTest, ATooWideLineIsSplitAtItsOptionalBreakThatBalancesItBest) {
  const Events events{{1, Cp932(">あいう")},
                      {2, Cp932("えお%か")},
                      {3, Cp932("きく")},
                      {4, Cp932("%けこさしすせそ/")},
                      {5, Cp932("た%ち/")}};
  // 1 + 12 + 2 ems: fits in 16, not in 12; "%" only breaks a line too wide.
  EXPECT_EQ(
      Layout(LyricSheet::FromTimedTexts(events, 6, 16)),
      (std::vector<std::vector<std::string>>{{"1:あいう|えお|か|きく|けこさしすせそ|", "た|ち|"}}));
  // The balanced break leaves the indent with the first half.
  EXPECT_EQ(Layout(LyricSheet::FromTimedTexts(events, 6, 12)),
            (std::vector<std::vector<std::string>>{{"1:あいう|えお|か|きく|", "けこさしすせそ|"},
                                                   {"た|ち|"}}));
  // Narrower still: every part its own line, two to a page; a part without
  // a break stays whole however wide.
  EXPECT_EQ(Layout(LyricSheet::FromTimedTexts(events, 6, 4)),
            (std::vector<std::vector<std::string>>{{"1:あいう|えお|", "か|きく|"},
                                                   {"けこさしすせそ|", "た|ち|"}}));
}

TEST(LyricSheetTest, RubyIsShownOverItsBaseAndWipedWithItAcrossEvents) {
  const LyricSheet sheet = LyricSheet::FromTimedTexts({{1, Cp932("<淡[あ わ]")},
                                                       {2, Cp932("き")},
                                                       {3, Cp932("平[へ")},
                                                       {4, Cp932("い]")},
                                                       {5, Cp932("明[あ]")},
                                                       {6, Cp932("日[す]")},
                                                       {7, Cp932("兎[うさぎ]追[お]")},
                                                       {8, "/"}},
                                                      9);
  EXPECT_EQ(Layout(sheet), (std::vector<std::vector<std::string>>{{"淡|き|平|明|日|兎追|"}}));
  const auto& line = sheet.Pages()[0].lines[0];
  EXPECT_EQ(Rubies(line), (std::vector<std::string>{"淡=あわ 1-2", "平=へい 3-5", "明=あ 5-6",
                                                    "日=す 6-7", "兎=うさぎ 7-8", "追=お 7-8"}));
  EXPECT_EQ(line.syllables[2].end, 5);  // the base is wiped while its reading is sung

  // A reading going on into an event with text of its own ends there.
  const LyricSheet more =
      LyricSheet::FromTimedTexts({{1, Cp932("平[へ")}, {2, Cp932("い]の")}, {3, "/"}}, 4);
  EXPECT_EQ(Rubies(more.Pages()[0].lines[0]), (std::vector<std::string>{"平=へい 1-2"}));
  EXPECT_EQ(Layout(more), (std::vector<std::vector<std::string>>{{"平|の|"}}));
}

TEST(LyricSheetTest, BlankEventsAreSpacingBeforeTheNextSyllableNeverSyllables) {
  const LyricSheet sheet = LyricSheet::FromTimedTexts({{1, Cp932("<淡")},
                                                       {2, " "},
                                                       {2, Cp932("き")},
                                                       {3, "   "},
                                                       {3, Cp932("俄[に わ か]")},
                                                       {4, Cp932("　 ")},
                                                       {5, Cp932("雨")},
                                                       {6, "/"},
                                                       {7, "  "},
                                                       {7, Cp932("<春")},
                                                       {8, "  "},
                                                       {9, "/"}},
                                                      10);
  EXPECT_EQ(Layout(sheet),
            (std::vector<std::vector<std::string>>{{"淡| き|   俄|　 雨|"}, {"春|"}}));
  const auto& line = sheet.Pages()[0].lines[0];
  EXPECT_EQ(line.syllables[0].end, 2);
  EXPECT_EQ(line.syllables[2].end, 4);  // a blank event on its own tick ends a wipe
  EXPECT_EQ(Rubies(line), (std::vector<std::string>{"俄=にわか 3-4"}));  // over the kanji alone

  // The spacing waits unwiped; the ruby is centred over its kanji.
  const auto lines = Dialogues(SubtitleScript(640, 480, 12).Build(sheet, {}));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0],
            "Dialogue: 0,0:00:00.00,0:00:05.50,Lyric,,0,0,0,,{\\an1\\pos(32,365)\\fs43}"
            "{\\k100}{\\kf100}淡{\\k0} {\\kf100}き{\\k0}   {\\kf100}俄{\\k100}　 {\\kf100}雨");
  // 淡, a blank, き and three blanks (4 ems) before 俄: its middle is 4.5
  // ems in; an em of the font is 2048 / 2203 of its size.
  EXPECT_EQ(lines[1],
            "Dialogue: 0,0:00:00.00,0:00:05.50,Lyric,,0,0,0,,{\\an2\\pos(212,322)\\fs22\\bord1}"
            "{\\k300}{\\kf100}にわか");
}

TEST(LyricSheetTest, LabelPartsBecomeCaptionsAndRemarksAndPlaceholdersAreLeftOut) {
  const LyricSheet sheet = LyricSheet::FromTimedTexts({Cue(0, "$Lyrc:1:0:JP"),
                                                       Cue(0, "&x"),
                                                       {1, Cp932("<>イントロ（1番は歌詞だけ）")},
                                                       {1.5, "---- "},
                                                       Cue(2, "&s"),
                                                       {3, "/"},
                                                       {4, Cp932("<あ")},
                                                       {5, Cp932("い/")},
                                                       {6, Cp932("<>>（ここから抑揚）")},
                                                       {7, Cp932("<う（笑）")},
                                                       {8, "----"},
                                                       {9, "/"},
                                                       Cue(10, "&x"),
                                                       {10, Cp932("<>間 奏")},
                                                       Cue(11, "&s"),
                                                       {12, Cp932("え")},
                                                       Cue(13, "&w"),
                                                       {13, Cp932("<>>エンディング/")}},
                                                      14);
  EXPECT_EQ(Layout(sheet),
            (std::vector<std::vector<std::string>>{
                {"(イントロ)"}, {"あ|い|"}, {"う|"}, {"(間奏)"}, {"え|"}, {"(エンディング)"}}));
  const auto& intro = sheet.Pages()[0].lines[0].syllables[0];
  EXPECT_EQ(intro.start, 1);
  EXPECT_EQ(intro.end, 1.5);
  EXPECT_EQ(sheet.Pages()[2].lines[0].syllables[0].end, 8);

  // Captions show centred between the lines in the title's colours, unwiped;
  // the line after the interlude is counted in, four dots over 2 s.
  auto lines = Dialogues(SubtitleScript(640, 480, 15).Build(sheet, {}));
  const auto dots = std::stable_partition(lines.begin(), lines.end(), [](const std::string& l) {
    return l.find("●") == std::string::npos;
  });
  ASSERT_EQ(lines.end() - dots, 4);
  EXPECT_EQ(dots->substr(0, 34), "Dialogue: 0,0:00:10.00,0:00:10.50,");
  lines.erase(dots, lines.end());
  EXPECT_EQ(lines.front(),
            "Dialogue: 0,0:00:00.00,0:00:02.50,Title,,0,0,0,,{\\an5\\pos(320,398)\\fs43}イントロ");
  for (const std::string& l : lines) {
    EXPECT_EQ(ShownText(l).find_first_of("<>[]/-"), std::string::npos) << l;
    EXPECT_EQ(ShownText(l).find("（"), std::string::npos) << l;
    if (l.find(",Title,") != std::string::npos) {
      EXPECT_EQ(l.find("\\k"), std::string::npos) << l;
    }
  }
  EXPECT_EQ(lines.size(), 6u);
}

TEST(LyricSheetTest, ReadingsOfTheLineGoOverBareKanjiAndLeaveTheFilesRuby) {
  const Events events{{1, Cp932("遠")}, {2, Cp932("き")}, {3, Cp932("春[は る]")}, {4, Cp932("よ")},
                      {5, Cp932("故")}, {6, Cp932("郷")}, {7, Cp932(" 春")},       {8, "/"},
                      {9, Cp932("謎")}, {10, "/"}};
  LyricSheet sheet = LyricSheet::FromTimedTexts(events, 11);
  CImeLanguage ime(std::make_unique<WordReadings>(std::map<std::string, std::string>{
      {"遠き", "とおき"}, {"春", "しゅん"}, {"故郷", "ふるさと"}}));
  sheet.AddReadings(ime);
  const auto& lines = sheet.Pages()[0].lines;
  // The file's reading stays; a run over two syllables wipes over both; a
  // kanji the service cannot read gets nothing.
  EXPECT_EQ(Rubies(lines[0]), (std::vector<std::string>{"遠=とお 1-2", "春=はる 3-4",
                                                        "故郷=ふるさと 5-7", "春=しゅん 7-8"}));
  EXPECT_TRUE(lines[1].rubies.empty());

  // Without a reading service the file's readings are all there is.
  LyricSheet plain = LyricSheet::FromTimedTexts(events, 11);
  CImeLanguage none(nullptr);
  plain.AddReadings(none);
  EXPECT_EQ(Rubies(plain.Pages()[0].lines[0]), (std::vector<std::string>{"春=はる 3-4"}));
  plain.DropRubies();
  EXPECT_TRUE(plain.Pages()[0].lines[0].rubies.empty());
}

TEST(LyricSheetTest, IndentedAndRightHandLinesPlaceTheirRubiesOverTheirBase) {
  const LyricSheet sheet = LyricSheet::FromTimedTexts(
      {{1, Cp932("<夢[ゆめ]/")}, {2, Cp932("空[そら]を/")}, {3, Cp932(">>瞼[ま ぶ た]/")}}, 4);
  const auto lines = Dialogues(SubtitleScript(640, 480, 6).Build(sheet, {}));
  ASSERT_EQ(lines.size(), 6u);
  // The second line stands at the right: its text starts 2 ems left of 608.
  EXPECT_NE(lines[2].find("{\\an3\\pos(608,432)\\fs43}"), std::string::npos) << lines[2];
  EXPECT_NE(lines[3].find("{\\an2\\pos(548,389)\\fs22\\bord1}{\\k200}{\\kf100}そら"),
            std::string::npos)
      << lines[3];
  // An indented line stands at the left, two ems in.
  EXPECT_NE(lines[4].find("{\\an1\\pos(112,365)\\fs43}"), std::string::npos) << lines[4];
  EXPECT_NE(lines[5].find("{\\an2\\pos(132,322)\\fs22\\bord1}{\\k100}{\\kf100}まぶた"),
            std::string::npos)
      << lines[5];
}

// The real karaoke file of the shared test data, when it is there.
TEST(LyricSheetTest, ARealKaraokeFileShowsNoControlsAndItsReadingsAsFurigana) {
  const std::filesystem::path file =
      std::filesystem::path(CRX_SHARED_DIR) / "testdata" / "xf-real" / "haruyoko.mid";
  if (!std::filesystem::exists(file)) GTEST_SKIP() << "no real karaoke file in the shared folder";
  ScriptedHost host;
  ScopedUi scope{host};
  XfKaraokeData song(file.string());
  const SubtitleScript script(640, 480, 300);
  const LyricSheet sheet = LyricSheet::FromSong(song, 0, script.LineRoomEms());
  ASSERT_FALSE(sheet.Empty());
  const auto lines = Dialogues(script.Build(sheet, {}));
  std::string all = "\n";
  for (const std::string& line : lines) {
    const std::string shown = ShownText(line);
    EXPECT_EQ(shown.find_first_of("<>[]/"), std::string::npos) << line;
    EXPECT_EQ(shown.find("（"), std::string::npos) << line;
    all += shown + "\n";
  }
  EXPECT_NE(all.find("\nあわ\n"), std::string::npos) << all;
  EXPECT_NE(all.find("淡 き光"), std::string::npos) << all;  // its blank events are spacing
  EXPECT_NE(all.find("\nイントロ\n"), std::string::npos) << all;
  EXPECT_NE(all.find("\n間奏\n"), std::string::npos) << all;
  EXPECT_NE(all.find("\nエンディング\n"), std::string::npos) << all;
}

}  // namespace
}  // namespace crx
