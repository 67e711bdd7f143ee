#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/Diagnostics.h"
#include "platform/UiServices.h"
#include "support/platform/ScriptedHost.h"
#include "support/platform/TempFolder.h"
#include "support/vocal/VocalNoteBuilder.h"
#include "vocal/CVocalistList.h"

namespace crx {
namespace {

using test::Cp932;
using test::TempFolder;
using test::WriteFileBytes;

// A voice map: 32 uninterpreted bytes, then one 8-byte record per program
// whose first byte names the description file.
std::string VoiceMap(const std::vector<int>& numbers) {
  std::string map(32, 'x');
  for (int n : numbers) {
    std::string record(8, '\x7f');
    record[0] = static_cast<char>(n);
    map += record;
  }
  return map;
}

std::string Description(const std::string& name) {
  return "\"VERSION\":=:\"2\"\n\"VOICENAME\":=:\"" + name + "\"\n\"LANG\":=:\"0\"\n";
}

struct VoiceListTest : ::testing::Test {
  ScriptedHost host;
  ScopedUi scope{host};
  TempFolder folder;
};

TEST_F(VoiceListTest, WithoutVoiceMapTheSingerIsUnknown) {
  CVocalistList list(folder.Path());
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list.FirstName(), Cp932("不明"));
  EXPECT_EQ(list.FirstProgram(), 0);
  EXPECT_TRUE(host.Records().empty());
}

TEST_F(VoiceListTest, RecordThreeNamingFileFiveGivesAltoOnProgramThree) {
  WriteFileBytes(folder.File("voice.map"), VoiceMap({0, 0, 0, 5, 0, 0}));
  WriteFileBytes(folder.File("vvoice5.vvd"), Description("Alto"));
  CVocalistList list(folder.Path());
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.First(), (VocalistEntry{3, "Alto"}));
  EXPECT_TRUE(host.Records().empty());
}

TEST_F(VoiceListTest, TwoVoicesInProgramOrderAndARecordCutShortStillCounts) {
  WriteFileBytes(folder.File("vvoice7.vvd"), Description("Tenor"));
  WriteFileBytes(folder.File("vvoice2.vvd"), Description(Cp932("初音")));
  WriteFileBytes(folder.File("voice.map"), VoiceMap({0, 2, 7}));
  CVocalistList two(folder.Path());
  ASSERT_EQ(two.Count(), 2);
  EXPECT_EQ(two.First(), (VocalistEntry{1, Cp932("初音")}));
  EXPECT_EQ(two.Entries()[1], (VocalistEntry{2, "Tenor"}));

  // Record 1 has only its first byte in the file.
  WriteFileBytes(folder.File("voice.map"), VoiceMap({0}) + "\x07");
  CVocalistList cut(folder.Path());
  ASSERT_EQ(cut.Count(), 1);
  EXPECT_EQ(cut.First(), (VocalistEntry{1, "Tenor"}));
  EXPECT_TRUE(host.Records().empty());
}

TEST_F(VoiceListTest, MapWithoutVoicesLeavesMiku) {
  WriteFileBytes(folder.File("voice.map"), VoiceMap({}));
  CVocalistList exact(folder.Path());
  EXPECT_EQ(exact.Count(), 0);
  EXPECT_EQ(exact.First(), (VocalistEntry{0, "Miku"}));
  EXPECT_TRUE(host.Records().empty());

  WriteFileBytes(folder.File("voice.map"), VoiceMap({0, 0, 0, 0}));
  EXPECT_EQ(CVocalistList(folder.Path()).FirstName(), "Miku");
  EXPECT_TRUE(host.Records().empty());
}

TEST_F(VoiceListTest, ShortVoiceMapIsReportedAndLeavesMiku) {
  WriteFileBytes(folder.File("voice.map"), std::string(31, '\x05'));
  CVocalistList list(folder.Path());
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.FirstName(), "Miku");
  EXPECT_EQ(host.Messages(), std::vector<std::string>{"voice.mapの形式が正しくありません。"});
}

TEST_F(VoiceListTest, MissingDescriptionIsAskedOfTheLocatorAndCancelSkipsTheVoice) {
  WriteFileBytes(folder.File("voice.map"), VoiceMap({0, 4, 9}));
  WriteFileBytes(folder.File("elsewhere.vvd"), Description("Bass"));
  // Each question comes after the message that names the file.
  std::vector<std::string> seen;
  DiagnosticCollector collector;
  CVocalistList list(folder.Path(), [&](int number) -> std::optional<std::string> {
    seen.push_back(std::to_string(number) + " after " + collector.Items().back().text);
    if (number == 4) return folder.File("elsewhere.vvd");
    return std::nullopt;
  });
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.First(), (VocalistEntry{1, "Bass"}));
  EXPECT_EQ(seen, (std::vector<std::string>{"4 after vvoice4.vvdがある場所を指定してください。",
                                            "9 after vvoice9.vvdがある場所を指定してください。"}));
  ASSERT_EQ(collector.Items().size(), 2u);
  EXPECT_EQ(collector.Items()[0].kind, DiagnosticKind::Plain);
  EXPECT_TRUE(host.Records().empty());
}

TEST_F(VoiceListTest, MissingDescriptionWithoutLocatorSkipsTheVoiceQuietly) {
  WriteFileBytes(folder.File("voice.map"), VoiceMap({0, 4}));
  CVocalistList list(folder.Path());
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.FirstName(), "Miku");
  EXPECT_TRUE(host.Records().empty());
}

TEST_F(VoiceListTest, DescriptionWithoutKeyIsReportedAndSkipped) {
  WriteFileBytes(folder.File("voice.map"), VoiceMap({6}));
  WriteFileBytes(folder.File("vvoice6.vvd"), "\"VOICE\":=:\"Alto\"");
  CVocalistList list(folder.Path());
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.FirstName(), "Miku");
  EXPECT_EQ(host.Messages(), std::vector<std::string>{"vvoice6.vvdに音源名がありません。"});
}

TEST_F(VoiceListTest, MoreThan128VoicesKeepsPrograms0To127) {
  WriteFileBytes(folder.File("voice.map"), VoiceMap(std::vector<int>(130, 1)));
  WriteFileBytes(folder.File("vvoice1.vvd"), Description("Alto"));
  CVocalistList list(folder.Path());
  ASSERT_EQ(list.Count(), 128);
  EXPECT_EQ(list.Entries()[127], (VocalistEntry{127, "Alto"}));
  EXPECT_EQ(host.Messages(),
            std::vector<std::string>{
                "voice.mapの音源が多すぎます。プログラム番号0から127までの音源だけを使います。"});

  host.Clear();
  WriteFileBytes(folder.File("voice.map"), VoiceMap(std::vector<int>(128, 1)));
  EXPECT_EQ(CVocalistList(folder.Path()).Count(), 128);
  EXPECT_TRUE(host.Messages().empty());
}

TEST(VoiceName, RunsToTheQuoteOrSixtyThreeBytesWithoutSplittingACharacter) {
  std::string name;
  EXPECT_FALSE(CVocalistList::FindVoiceName("VOICENAME\":=:\"Alto\"", name));
  ASSERT_TRUE(CVocalistList::FindVoiceName("\"VOICENAME\":=:\"\"", name));
  EXPECT_EQ(name, "");
  ASSERT_TRUE(CVocalistList::FindVoiceName("\"VOICENAME\":=:\"Alto", name));
  EXPECT_EQ(name, "Alto");
  ASSERT_TRUE(CVocalistList::FindVoiceName(std::string("\"VOICENAME\":=:\"Al\0to\"", 22), name));
  EXPECT_EQ(name, "Al");

  const std::string longName(70, 'v');
  ASSERT_TRUE(CVocalistList::FindVoiceName("\"VOICENAME\":=:\"" + longName + "\"", name));
  EXPECT_EQ(name, std::string(63, 'v'));

  // 62 single bytes and a double-byte character: the character does not fit.
  const std::string kana = Cp932("ア");
  ASSERT_TRUE(
      CVocalistList::FindVoiceName("\"VOICENAME\":=:\"" + std::string(62, 'v') + kana, name));
  EXPECT_EQ(name, std::string(62, 'v'));
  ASSERT_TRUE(CVocalistList::FindVoiceName(
      "\"VOICENAME\":=:\"" + std::string(61, 'v') + kana + "\"", name));
  EXPECT_EQ(name, std::string(61, 'v') + kana);
  // A lead byte at the very end is not taken alone.
  ASSERT_TRUE(CVocalistList::FindVoiceName("\"VOICENAME\":=:\"ab\x83", name));
  EXPECT_EQ(name, "ab");
}

}  // namespace
}  // namespace crx
