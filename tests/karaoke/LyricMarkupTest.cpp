// The display controls of karaoke lyric texts as real files write them.
#include "karaoke/LyricMarkup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/karaoke/XfFileBuilder.h"

namespace crx {
namespace {

using Kind = LyricMarkup::Kind;
using test::XfFileBuilder;

std::string J(const char* utf8) { return XfFileBuilder::Cp932(utf8); }

std::string Sung(const char* utf8) { return LyricMarkup::SungText(LyricMarkup::Parse(J(utf8))); }
std::string Shown(const char* utf8) { return LyricMarkup::ShownText(LyricMarkup::Parse(J(utf8))); }

std::vector<Kind> Kinds(const std::vector<LyricMarkup::Piece>& pieces) {
  std::vector<Kind> kinds;
  for (const auto& p : pieces) kinds.push_back(p.kind);
  return kinds;
}

TEST(LyricMarkupTest, ControlsAreNeitherSungNorShown) {
  EXPECT_EQ(Sung("<>>エンディング"), J("エンディング"));
  EXPECT_EQ(
      Kinds(LyricMarkup::Parse(J("<>>あ/"))),
      (std::vector<Kind>{Kind::PageStart, Kind::Indent, Kind::Indent, Kind::Text, Kind::LineEnd}));
  EXPECT_EQ(Sung("あ^い%う"), J("あいう"));
  EXPECT_EQ(Shown("あ^い%う"), J("あ い") + J("う"));
  // Carriage return ends a line, line feed a page; a trailing space ends a
  // word: shown, not sung.
  EXPECT_EQ(Kinds(LyricMarkup::Parse("Tage\r")), (std::vector<Kind>{Kind::Text, Kind::LineEnd}));
  EXPECT_EQ(Kinds(LyricMarkup::Parse("\nwie ")), (std::vector<Kind>{Kind::PageStart, Kind::Text}));
  EXPECT_EQ(LyricMarkup::SungText(LyricMarkup::Parse("wie ")), "wie");
  // A backslash makes a control a plain character.
  EXPECT_EQ(Shown("a\\/b\\\\"), "a/b\\");
}

TEST(LyricMarkupTest, RubyIsSungOverItsKanjiAndSpacesInsideAreDropped) {
  const auto pieces = LyricMarkup::Parse(J("<淡[あ わ]"));
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_EQ(pieces[1].shown, J("淡"));
  EXPECT_EQ(pieces[1].reading, J("あわ"));
  EXPECT_TRUE(pieces[1].readingShown);
  EXPECT_EQ(Sung("丁[ち ょ う]"), J("ちょう"));
  // The reading covers the kanji run before it, not the kana before that.
  const auto run = LyricMarkup::Parse(J("この今日[きょう]も"));
  ASSERT_EQ(run.size(), 3u);
  EXPECT_EQ(run[0].shown, J("この"));
  EXPECT_EQ(run[1].shown, J("今日"));
  EXPECT_EQ(run[2].Sung(), J("も"));
  EXPECT_EQ(LyricMarkup::SungText(run), J("このきょうも"));
}

TEST(LyricMarkupTest, AReadingGoesOnIntoTheNextEvent) {
  LyricMarkup::State state;
  const auto first = LyricMarkup::Parse(J("平[へ"), state);
  EXPECT_EQ(LyricMarkup::SungText(first), J("へ"));
  EXPECT_EQ(state.open, LyricMarkup::State::Open::Ruby);
  const auto second = LyricMarkup::Parse(J("い]わ"), state);
  ASSERT_EQ(second.size(), 2u);
  EXPECT_TRUE(second[0].readingContinued);
  EXPECT_EQ(second[0].reading, J("い"));
  EXPECT_EQ(second[1].shown, J("わ"));
  EXPECT_EQ(state.open, LyricMarkup::State::Open::None);
}

TEST(LyricMarkupTest, HiddenReadingsAndRemarks) {
  // A reading in half-width parentheses is sung for the text before it and
  // not shown; a remark in full-width ones is shown and never sung.
  const auto hidden = LyricMarkup::Parse(J("明日(あした)"));
  EXPECT_EQ(LyricMarkup::SungText(hidden), J("あした"));
  EXPECT_EQ(LyricMarkup::ShownText(hidden), J("明日"));
  EXPECT_FALSE(hidden[0].readingShown);
  const auto remark = LyricMarkup::Parse(J("<>>（ここからPitch Bend）"));
  EXPECT_EQ(LyricMarkup::SungText(remark), "");
  EXPECT_EQ(LyricMarkup::ShownText(remark), J("（ここからPitch Bend）"));
  EXPECT_EQ(Sung("あ（笑）い"), J("あい"));
}

TEST(LyricMarkupTest, BrokenBracketsKeepTheText) {
  EXPECT_EQ(Sung("[あ]"), J("あ"));           // a ruby with no text before it is the text
  EXPECT_EQ(Sung("あ]い)"), J("あい"));       // closing what is not open
  EXPECT_EQ(Sung("淡[あわ光"), J("あわ光"));  // a kanji ends a reading left open
  EXPECT_EQ(Sung("淡[[あ]"), J("あ"));
  LyricMarkup::State state;
  LyricMarkup::Parse(J("淡[あ"), state);
  EXPECT_EQ(LyricMarkup::SungText(LyricMarkup::Parse(J("光る"), state)), J("光る"));
  const std::string many(500, '>');
  EXPECT_EQ(LyricMarkup::Parse(many + J("あ")).size(), 501u);
  // A lead byte at the end, a zero byte inside.
  EXPECT_EQ(LyricMarkup::SungText(LyricMarkup::Parse(std::string("a\x82", 2))), "a\x82");
  EXPECT_EQ(LyricMarkup::SungText(LyricMarkup::Parse(std::string("ab\0cd", 5))), "ab");
}

TEST(LyricMarkupTest, BlankTexts) {
  EXPECT_TRUE(LyricMarkup::IsBlank("    "));
  EXPECT_TRUE(LyricMarkup::IsBlank(J(" 　")));
  EXPECT_FALSE(LyricMarkup::IsBlank(J(" あ")));
}

}  // namespace
}  // namespace crx
