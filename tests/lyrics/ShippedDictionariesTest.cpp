#include <gtest/gtest.h>

#include <set>
#include <string>

#include "lyrics/CEnglishToKana.h"
#include "lyrics/CKanjiToKana.h"
#include "platform/MecabReadingService.h"
#include "platform/TextCodec.h"
#include "support/platform/ScriptedHost.h"
#include "support/platform/TempFolder.h"

namespace crx {
namespace {

std::string Sj(std::string_view utf8) { return TextCodec::Utf8ToCp932(utf8).value(); }

TEST(ShippedDictionaries, LoadFromTheStartFolderWithoutAMessage) {
  ScriptedHost host;
  ScopedUi scope(host);
  CKanjiToKana kanji(CRX_START_FOLDER);
  CEnglishToKana english(CRX_START_FOLDER);
  EXPECT_TRUE(host.Messages().empty());
  EXPECT_GE(kanji.List().RowCount(), 300);
  EXPECT_GE(english.List().RowCount(), 250);
  std::string raw = test::ReadFileBytes(std::string(CRX_START_FOLDER) + "/kanji.csv");
  EXPECT_EQ(raw.substr(raw.size() - 2), "\r\n");
  EXPECT_FALSE(TextCodec::Cp932ToUtf8(raw) == std::nullopt);
}

TEST(ShippedDictionaries, KanjiRowsOfOneFirstCharacterStandTogether) {
  ScriptedHost host;
  ScopedUi scope(host);
  CKanjiToKana kanji(CRX_START_FOLDER);
  const CListFile& list = kanji.List();
  std::set<std::string> closed;
  std::string current;
  for (int r = 0; r < list.RowCount(); ++r) {
    std::string key = list.Cell(r, 0).substr(0, 2);
    if (key == current) continue;
    EXPECT_TRUE(closed.insert(current).second || current.empty());
    EXPECT_EQ(closed.count(key), 0u) << "row " << r;
    current = key;
  }
  // The readings the conversion relies on.
  std::vector<KanaCandidate> c;
  kanji.FindCandidates(Sj("一人"), c);
  bool found = false;
  for (const KanaCandidate& k : c) found |= k.written == Sj("一人") && k.reading == Sj("ひとり");
  EXPECT_TRUE(found);
  kanji.FindCandidates(Sj("故郷"), c);
  ASSERT_FALSE(c.empty());
  EXPECT_EQ(c.back().reading, Sj("ふるさと"));
}

TEST(ShippedDictionaries, EnglishCoversCommonLyricWords) {
  ScriptedHost host;
  ScopedUi scope(host);
  CEnglishToKana english(CRX_START_FOLDER);
  EXPECT_EQ(english.ConvertText("I Love you"), Sj("アイ ラブ ユー"));
  EXPECT_EQ(english.LookupWord("Baby"), Sj("ベイビー"));
  EXPECT_EQ(english.LookupWord("qwzx"), "qwzx");
}

TEST(MecabReadingService, ReadsWordsAsHiraganaAndKeepsWhatItCannotRead) {
  auto service = MecabReadingService::Create();
  if (!service) GTEST_SKIP() << "MeCab with the IPA dictionary is not installed";
  EXPECT_EQ(service->Reading("東京"), "とうきょう");
  EXPECT_EQ(service->Reading("夢を見る"), "ゆめをみる");
  EXPECT_EQ(service->Reading("カタカナ"), "かたかな");
  EXPECT_EQ(service->Reading("love"), "love");
  EXPECT_EQ(service->Reading("ヴァイオリン"), "ヴぁいおりん");  // ゔ has no CP932 form
  EXPECT_EQ(service->Reading(""), "");
}

TEST(MecabReadingService, KatakanaToHiraganaLeavesOtherText) {
  EXPECT_EQ(MecabReadingService::KatakanaToHiragana("ァアンヴヵヶーabc漢"), "ぁあんヴヵヶーabc漢");
}

}  // namespace
}  // namespace crx
