#include <gtest/gtest.h>

#include "foundation/GeneralError.h"
#include "foundation/ModuleReporter.h"
#include "support/platform/ScriptedHost.h"

namespace crx {
namespace {

TEST(GeneralError, OpenFailureShowsBothLinesThenThePathInBrackets) {
  ScriptedHost host;
  ScopedUi scope(host);
  GeneralErrorMsg(kGeneOpenFailed, "C:\\x.mid");
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(
      host.Messages()[0],
      "GENE01000007 ファイルが開けませんでした。ファイルリストを絶対パスで記述してみてください。\n"
      "あるいは、出力フォルダや作業フォルダの設定などを確認してください。 [C:\\x.mid]");
  EXPECT_EQ(host.Records()[0].messageKind, MessageKind::ModuleError);
}

TEST(GeneralError, PlainFormAndUnknownCodes) {
  EXPECT_EQ(FormatGeneralError(kGeneTooLarge), "GENE0100000A データが大きすぎます。");
  EXPECT_EQ(FormatGeneralError(0x01000003), "GENE01000003 汎用処理でエラーが発生しました。");
  EXPECT_EQ(FormatGeneralError(0xDEADBEEF, ""), "GENEDEADBEEF 汎用処理でエラーが発生しました。 []");
  EXPECT_EQ(FormatGeneralError(0x01000013), "GENE01000013 テンポ変換でエラーが発生しました。");
  EXPECT_EQ(GeneralErrorTable().size(), 15u);
}

TEST(GeneralError, RendererReporterNeverAddsADetail) {
  ScriptedHost host;
  ScopedUi scope(host);
  GeneralErrorMsgPlain(kGeneOpenFailed);
  EXPECT_EQ(host.Messages()[0].find('['), std::string::npos);
  EXPECT_EQ(host.Messages()[0].rfind("GENE01000007 ", 0), 0u);
}

TEST(GeneralError, VeryLongDetailIsCutAtTheBufferWithoutBreakingACharacter) {
  std::string detail;
  for (int i = 0; i < 1000; ++i) detail += "あ";
  std::string text = FormatGeneralError(kGeneOpenFailed, detail.c_str());
  EXPECT_LE(text.size(), 2047u);
  EXPECT_EQ(text.rfind("GENE01000007 ", 0), 0u);
  // The text ends on a whole UTF-8 character.
  unsigned char last = static_cast<unsigned char>(text.back());
  EXPECT_TRUE(last < 0x80 || (last & 0xC0) == 0x80);
  EXPECT_EQ((text.size() - text.find(" [") - 2) % 3, 0u);
}

constexpr ErrorEntry kTestTable[] = {{0x0D000001, "一"}, {0x0D000002, "二"}};

TEST(ModuleReporter, TagCodeAndDefaultMessage) {
  ModuleReporter r("MDTK", kTestTable, "既定");
  EXPECT_EQ(r.Format(0x0D000002), "MDTK0D000002 二");
  EXPECT_EQ(r.Format(0x0D000009), "MDTK0D000009 既定");
  EXPECT_EQ(FormatTagged("SGDT", 0, "x"), "SGDT00000000 x");
  EXPECT_EQ(FormatTagged("VOFW", 1, "y"), "VOFW00000001 y");
}

TEST(ModuleReporter, OnceOnlyMessagesAreReArmedByCodeZero) {
  ScriptedHost host;
  ScopedUi scope(host);
  ModuleReporter r("M1TK", kTestTable, "既定");
  r.ReportOnce(0x0D000001);
  r.ReportOnce(0x0D000001);
  r.ReportOnce(0x0D000002);
  EXPECT_EQ(host.Messages().size(), 2u);
  r.ReportOnce(0);  // shows nothing, re-arms
  EXPECT_EQ(host.Messages().size(), 2u);
  r.ReportOnce(0x0D000001);
  r.Report(0x0D000001);  // plain reports are never suppressed
  EXPECT_EQ(host.Messages(), (std::vector<std::string>{"M1TK0D000001 一", "M1TK0D000002 二",
                                                       "M1TK0D000001 一", "M1TK0D000001 一"}));
}

}  // namespace
}  // namespace crx
