#include "lyrics/CSyllableTable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/TextCodec.h"
#include "support/karaoke/XfFileBuilder.h"

namespace crx {
namespace {

std::string Sjis(std::string_view utf8) { return test::XfFileBuilder::Cp932(utf8); }

// The syllables as "kana:phonetic:consonant" in UTF-8, for readable failures.
std::vector<std::string> SplitUtf8(std::string_view utf8Lyric, bool singleByteOnly = false) {
  std::vector<std::string> out;
  for (const SyllableEntry& e : CSyllableTable::Split(Sjis(utf8Lyric), singleByteOnly)) {
    out.push_back(TextCodec::Cp932ToUtf8Lossy(e.text) + ":" + e.phonetic + ":" +
                  std::to_string(e.consonant));
  }
  return out;
}

using Syllables = std::vector<std::string>;

TEST(CSyllableTableTest, KanaBecomeSyllablesWithTheirSymbols) {
  EXPECT_EQ(SplitUtf8("かあ"), (Syllables{"か:k a:64", "あ:a:0"}));
  EXPECT_EQ(SplitUtf8("ふをん"), (Syllables{"ふ:p\\ M:64", "を:o:0", "ん:N:64"}));
  EXPECT_EQ(SplitUtf8("っぁ"), (Syllables{"っ:ts M:64", "ぁ:a:0"}));
}

TEST(CSyllableTableTest, KatakanaAreSungAsTheirHiragana) {
  EXPECT_EQ(SplitUtf8("ラ"), (Syllables{"ら:4 a:64"}));
  EXPECT_EQ(SplitUtf8("キャンディ"), (Syllables{"きゃ:k' a:64", "ん:N:64", "でぃ:d' i:64"}));
  // Katakana beyond the table keep their form and sing the default vowel.
  EXPECT_EQ(SplitUtf8("ヴ"), (Syllables{"ヴ:a:64"}));
  EXPECT_EQ(TextCodec::Cp932ToUtf8Lossy(CSyllableTable::ToHiragana(Sjis("アAヲン漢"))),
            "あAをん漢");
}

TEST(CSyllableTableTest, HiraganaOfLooksAtWholeCharacters) {
  EXPECT_EQ(CSyllableTable::HiraganaOf(Sjis("ッ")), Sjis("っ"));
  EXPECT_EQ(CSyllableTable::HiraganaOf(Sjis("漢")), Sjis("漢"));
  // The second byte of ア (0x83 0x41) followed by a lead byte is no katakana.
  const std::string shifted = std::string("x") + Sjis("ア").substr(1) + Sjis("ア").substr(0, 1);
  EXPECT_EQ(CSyllableTable::ToHiragana(shifted), shifted);
}

TEST(CSyllableTableTest, TwoKanaSyllablesStayTogether) {
  EXPECT_EQ(SplitUtf8("きゃ"), (Syllables{"きゃ:k' a:64"}));
  EXPECT_EQ(SplitUtf8("しゅじぇ"), (Syllables{"しゅ:S M:64", "じぇ:dZ e:64"}));
  EXPECT_EQ(SplitUtf8("ちぇうぉ"), (Syllables{"ちぇ:tS e:64", "うぉ:w o:64"}));
  // Not a pair: each kana on its own.
  EXPECT_EQ(SplitUtf8("かゃ"), (Syllables{"か:k a:64", "ゃ:j a:64"}));
  // The voiced ち with a small kana is sung like じゃ.
  EXPECT_EQ(SplitUtf8("ぢゃ"), (Syllables{"ぢゃ:dZ a:64"}));
}

TEST(CSyllableTableTest, NasalKiWithSmallKanaIsOneSyllable) {
  EXPECT_EQ(SplitUtf8("き゜ゃ"), (Syllables{"き゜ゃ:N' a:64"}));
  EXPECT_EQ(SplitUtf8("き゜ぇ"), (Syllables{"き゜ぇ:N' e:64"}));
  // Without a small kana after it the pair stands alone.
  EXPECT_EQ(SplitUtf8("き゜か"), (Syllables{"き゜:a:64", "か:k a:64"}));
  EXPECT_EQ(SplitUtf8("き゜"), (Syllables{"き゜:a:64"}));
}

TEST(CSyllableTableTest, LongVowelMarkAndCaretAreNotSung) {
  EXPECT_EQ(SplitUtf8("らー^"), (Syllables{"ら:4 a:64"}));
  EXPECT_TRUE(SplitUtf8("ー").empty());
  EXPECT_TRUE(SplitUtf8("^", true).empty());
}

TEST(CSyllableTableTest, OtherCharactersSingTheDefaultVowel) {
  EXPECT_EQ(SplitUtf8("漢x"), (Syllables{"漢:a:64", "x:a:64"}));
}

TEST(CSyllableTableTest, SingleByteOnlySongKeepsTheRestOfTheTextAsOneSyllable) {
  EXPECT_EQ(SplitUtf8("love", true), (Syllables{"love:a:64"}));
  EXPECT_EQ(SplitUtf8("－up", true), (Syllables{"－:a:64", "up:a:64"}));
  EXPECT_EQ(SplitUtf8("love", false), (Syllables{"l:a:64", "o:a:64", "v:a:64", "e:a:64"}));
}

TEST(CSyllableTableTest, BrokenDoubleByteCharacterAtTheEndIsDropped) {
  const std::string broken = Sjis("か") + "\x82";
  const auto entries = CSyllableTable::Split(broken, false);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].text, Sjis("か"));
  EXPECT_TRUE(CSyllableTable::Split("\x82", false).empty());
  EXPECT_TRUE(CSyllableTable::Split("", true).empty());
}

TEST(CSyllableTableTest, PhoneticLookupIsExact) {
  EXPECT_EQ(CSyllableTable::Phonetic(Sjis("ぴぇ")).phonetic, "p' e");
  EXPECT_EQ(CSyllableTable::Phonetic(Sjis("お")).consonant, 0);
  EXPECT_EQ(CSyllableTable::Phonetic(Sjis("かか")).phonetic, "a");
  EXPECT_TRUE(CSyllableTable::IsTwoKanaSyllable(Sjis("ふゅ")));
  EXPECT_FALSE(CSyllableTable::IsTwoKanaSyllable(Sjis("ふ")));
}

}  // namespace
}  // namespace crx
