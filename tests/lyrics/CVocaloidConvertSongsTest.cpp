// The whole conversion of the example songs in examples/, with the
// dictionaries of the start folder and the system's reading service.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "karaoke/XfKaraokeData.h"
#include "lyrics/CVocaloid.h"
#include "lyrics/CVocaloidConvert.h"
#include "platform/MecabReadingService.h"
#include "platform/TextCodec.h"
#include "support/karaoke/XfFileBuilder.h"
#include "support/platform/ScriptedHost.h"

namespace crx {
namespace {

const std::string kExamples = std::string(CRX_SOURCE_DIR) + "/examples/";

struct Expected {
  int32_t start;
  int32_t note;
  int32_t length;
  const char* kana;  // UTF-8
  const char* phonetic;
  int32_t consonant;
};

class CVocaloidConvertSongsTest : public ::testing::Test {
 protected:
  ScriptedHost host;
  ScopedUi scope{host};
  CVocaloid vocaloid;
  std::vector<std::string> lines;

  void SetUp() override {
    if (!std::filesystem::exists(std::string(CRX_START_FOLDER) + "/kanji.csv"))
      GTEST_SKIP() << "the dictionaries are not in the start folder";
    if (MecabReadingService::Create() == nullptr) GTEST_SKIP() << "no reading service";
  }

  void Convert(const std::string& file) {
    XfKaraokeData song(kExamples + file);
    ASSERT_NE(song.LyricTrack(), nullptr);
    CVocaloidConvert::Run(song, vocaloid, 0, CRX_START_FOLDER, lines);
  }
  std::vector<std::string> LinesUtf8() const {
    std::vector<std::string> out;
    for (const std::string& l : lines) out.push_back(TextCodec::Cp932ToUtf8Lossy(l));
    return out;
  }
};

TEST_F(CVocaloidConvertSongsTest, CandyCountGivesEveryRecordExactly) {
  // Digits read, katakana as hiragana, small kana and long vowels, a lyric
  // with a space shared with the note after it, an English word.
  const std::vector<Expected> expected = {
      {1920, 60, 234, "い", "i", 0},       {2155, 60, 234, "ち", "tS i", 64},
      {2400, 62, 469, "に", "J i", 64},    {2880, 64, 234, "さ", "s a", 64},
      {3115, 64, 234, "ん", "N", 64},      {3360, 67, 469, "で", "d e", 64},
      {3840, 69, 469, "じゃ", "dZ a", 64}, {4320, 67, 469, "ん", "N", 64},
      {4800, 64, 949, "ぷ", "p M", 64},    {5760, 65, 469, "きゃ", "k' a", 64},
      {6240, 65, 469, "ん", "N", 64},      {6720, 69, 469, "でぃ", "d' i", 64},
      {7200, 69, 469, "い", "i", 0},       {7680, 67, 469, "ひ", "C i", 64},
      {8160, 64, 469, "と", "t o", 64},    {8640, 60, 949, "つ", "ts M", 64},
      {9600, 64, 469, "ら", "4 a", 64},    {10080, 67, 469, "ら", "4 a", 64},
      {10560, 72, 474, "ら", "4 a", 64},   {11035, 72, 474, "ぶ", "b M", 64},
      {11520, 71, 469, "そ", "s o", 64},   {12000, 69, 469, "ん", "N", 64},
      {12480, 67, 949, "ぐ", "g M", 64},   {13440, 69, 469, "ちょ", "tS o", 64},
      {13920, 67, 469, "こ", "k o", 64},   {14400, 64, 234, "れ", "4 e", 64},
      {14635, 64, 234, "え", "e", 0},      {14880, 62, 469, "と", "t o", 64},
      {15360, 60, 1909, "ね", "n e", 64},  {17760, -1, 10, "あ", "a", 64},
  };
  Convert("candy-count.mid");
  EXPECT_TRUE(host.Messages().empty());
  ASSERT_EQ(vocaloid.Count(), static_cast<int>(expected.size()));
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i);
    const Expected& e = expected[i];
    EXPECT_EQ(vocaloid.At(static_cast<int>(i)),
              (VocalNote{e.start, e.note, e.length, test::XfFileBuilder::Cp932(e.kana), e.phonetic,
                         e.consonant}));
  }
  EXPECT_EQ(LinesUtf8(), (std::vector<std::string>{"いちにさんでじゃんぷ", "きゃんでぃいひとつ",
                                                   "らららぶそんぐ", "ちょこれえとね"}));
}

TEST_F(CVocaloidConvertSongsTest, FurusatoSingsEveryRecordInKana) {
  // Ruby readings, 彼の山 and 故郷 from the kanji dictionary, lyrics shared
  // over the notes without one.
  const std::vector<std::string> kana = {
      "う", "さ", "ぎ", "お", "い", "し", "か", "の", "や", "ま", "こ", "ぶ", "な", "つ",
      "り", "し", "か", "の", "か", "わ", "ゆ", "め", "は", "い", "ま", "も", "め", "ぐ",
      "り", "て", "わ", "す", "れ", "が", "た", "き", "ふ", "る", "さ", "と", "あ"};
  Convert("furusato.mid");
  EXPECT_TRUE(host.Messages().empty());
  std::vector<std::string> got;
  for (const VocalNote& n : vocaloid.Notes()) got.push_back(TextCodec::Cp932ToUtf8Lossy(n.lyric));
  EXPECT_EQ(got, kana);
  ASSERT_GE(vocaloid.Count(), 2);
  EXPECT_EQ(vocaloid.At(0), (VocalNote{1440, 65, 469, test::XfFileBuilder::Cp932("う"), "M", 0}));
  EXPECT_EQ(vocaloid.At(vocaloid.Count() - 1),
            (VocalNote{25920, -1, 10, test::XfFileBuilder::Cp932("あ"), "a", 64}));
  EXPECT_EQ(LinesUtf8(),
            (std::vector<std::string>{"うさぎおいしかのやま", "こぶなつりしかのかわ",
                                      "ゆめはいまもめぐりて", "わすれがたきふるさと"}));
}

}  // namespace
}  // namespace crx
