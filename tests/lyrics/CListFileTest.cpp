#include "lyrics/CListFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/platform/ScriptedHost.h"
#include "support/platform/TempFolder.h"

namespace crx {
namespace {

using test::TempFolder;
using test::WriteFileBytes;

const std::string kOpenMessage =
    "GNLL1E000001 リストファイルが開けません。ドラッグ＆ドロップの操作はコピーではなく、"
    "ショートカットに対して行ってください。";
const std::string kDataMessage = "GNLL1E000002 リストファイルのデータにエラーがあります。";
const std::string kRowsMessage = "GNLL1E000003 リストの件数が多すぎます。";
const std::string kNoFolderMessage = "GNLL1E000005 ディレクトリが取得できませんでした。";
const std::string kLongMessage = "GNLL1E000006 リスト内の文字列が長すぎます。";

std::string Rows(int count) {
  std::string s;
  for (int i = 0; i < count; ++i) s += "w" + std::to_string(i) + ",r\r\n";
  return s;
}

struct ListFileTest : ::testing::Test {
  ScriptedHost host;
  ScopedUi scope{host};
  TempFolder folder;

  CListFile Load(const std::string& bytes) {
    WriteFileBytes(folder.File("list.csv"), bytes);
    return CListFile(folder.File("list.csv"));
  }
  std::vector<std::string> Row(const CListFile& list, int row) {
    return {list.Cell(row, 0), list.Cell(row, 1)};
  }
};

TEST_F(ListFileTest, RowLimitIs39999RowsThenTheMessageAndThePath) {
  CListFile ok = Load(Rows(39'999));
  EXPECT_EQ(ok.RowCount(), 39'999);
  EXPECT_TRUE(host.Messages().empty());

  CListFile full = Load(Rows(40'000) + Rows(3));
  EXPECT_EQ(full.RowCount(), 40'000);  // the 40,000th row stays stored
  EXPECT_EQ(host.Messages(), (std::vector<std::string>{kRowsMessage, folder.File("list.csv")}));
  EXPECT_EQ(host.Records()[0].messageKind, MessageKind::ModuleError);
  EXPECT_EQ(host.Records()[1].messageKind, MessageKind::Plain);
}

TEST_F(ListFileTest, CellOf254BytesIsKeptAnd255IsRefused) {
  CListFile ok = Load("a," + std::string(254, 'x') + "\r\n");
  ASSERT_EQ(ok.RowCount(), 1);
  EXPECT_EQ(ok.Cell(0, 1).size(), 254u);
  EXPECT_TRUE(host.Messages().empty());

  CListFile bad = Load("a,b\r\n" + std::string(255, 'x') + ",c\r\nd,e\r\n");
  EXPECT_EQ(bad.RowCount(), 1);
  EXPECT_EQ(host.Messages(), (std::vector<std::string>{kLongMessage, folder.File("list.csv")}));
}

TEST_F(ListFileTest, LastLineWithoutLineEndReportsTheRowsBeforeIt) {
  CListFile list = Load("a,b\r\nc,d\r\ne,f");
  EXPECT_EQ(list.RowCount(), 2);
  EXPECT_EQ(Row(list, 1), (std::vector<std::string>{"c", "d"}));
  EXPECT_EQ(host.Messages(), (std::vector<std::string>{kDataMessage, "2行目にエラーがあります。",
                                                       folder.File("list.csv")}));
}

TEST_F(ListFileTest, UnclosedQuoteFailsWithoutTheRowNumber) {
  CListFile list = Load("a,b\r\n\"x,y\r\n");
  EXPECT_EQ(list.RowCount(), 1);
  EXPECT_EQ(host.Messages(), (std::vector<std::string>{kDataMessage, folder.File("list.csv")}));
}

TEST_F(ListFileTest, FieldsQuotesEscapesAndExtraColumns) {
  CListFile list = Load(
      "\"x,y\",z\r\n"     // quoted field with a comma
      "x\\\\y,q\r\n"      // two backslashes become a comma
      "x,y,z\r\n"         // a third field starts a new row
      "\r\n"              // an empty line is a row of empty cells
      "solo\r\n"          // a missing column is empty
      "\"\",\"q\"\r\n"    // empty quoted field
      "a\\\\\\b,c\r\n");  // three backslashes: a comma and one backslash
  EXPECT_TRUE(host.Messages().empty());
  ASSERT_EQ(list.RowCount(), 8);
  EXPECT_EQ(Row(list, 0), (std::vector<std::string>{"x,y", "z"}));
  EXPECT_EQ(Row(list, 1), (std::vector<std::string>{"x,y", "q"}));
  EXPECT_EQ(Row(list, 2), (std::vector<std::string>{"x", "y"}));
  EXPECT_EQ(Row(list, 3), (std::vector<std::string>{"z", ""}));
  EXPECT_EQ(Row(list, 4), (std::vector<std::string>{"", ""}));
  EXPECT_EQ(Row(list, 5), (std::vector<std::string>{"solo", ""}));
  EXPECT_EQ(Row(list, 6), (std::vector<std::string>{"", "q"}));
  EXPECT_EQ(Row(list, 7), (std::vector<std::string>{"a,\\b", "c"}));
  EXPECT_EQ(list.Cell(8, 0), "");
  EXPECT_EQ(list.Cell(0, 2), "");
}

TEST_F(ListFileTest, BackslashPairsNeverSplitADoubleByteCharacter) {
  // ソ is 0x83 0x5C: its trail byte and a following backslash are no pair.
  const std::string so = "\x83\x5C";
  CListFile list = Load(so + "\\\\" + so + ",r\r\n");
  ASSERT_EQ(list.RowCount(), 1);
  EXPECT_EQ(list.Cell(0, 0), so + "," + so);
}

TEST_F(ListFileTest, MissingFileOrFolderGivesNoRowsAndNoPathMessage) {
  CListFile missing(folder.File("none.csv"));
  EXPECT_EQ(missing.RowCount(), 0);
  CListFile dir(folder.Path() + "/");
  EXPECT_EQ(dir.RowCount(), 0);
  EXPECT_EQ(host.Messages(), (std::vector<std::string>{kOpenMessage, kOpenMessage}));
}

TEST_F(ListFileTest, ReadsAtMost1400000BytesAndARowCutThereIsADataError) {
  // Rows of 194 bytes: 7216 fit whole, the 7217th is cut after 96 bytes.
  std::string rows;
  for (int i = 0; i < 7300; ++i) rows += std::string(190, 'w') + ",r\r\n";
  ASSERT_GT(rows.size(), CListFile::kImageSize);
  CListFile cut = Load(rows);
  EXPECT_EQ(cut.BytesRead(), 1'400'000);
  EXPECT_EQ(cut.RowCount(), 7216);
  EXPECT_EQ(host.Messages(), (std::vector<std::string>{kDataMessage, "7216行目にエラーがあります。",
                                                       folder.File("list.csv")}));
}

TEST_F(ListFileTest, BareNameIsTakenFromTheCurrentFolder) {
  WriteFileBytes(folder.File("bare.csv"), "a,b\r\n");
  std::string before = std::filesystem::current_path();
  ASSERT_EQ(chdir(folder.Path().c_str()), 0);
  CListFile list("bare.csv");
  ASSERT_EQ(chdir(before.c_str()), 0);
  EXPECT_EQ(list.FileName(), "bare.csv");
  EXPECT_EQ(list.FullPath(), std::filesystem::canonical(folder.Path()).string() + "/bare.csv");
  EXPECT_EQ(list.RowCount(), 1);
}

TEST_F(ListFileTest, BareNameWithoutACurrentFolderIsReported) {
  std::string before = std::filesystem::current_path();
  std::string gone = folder.File("gone");
  std::filesystem::create_directory(gone);
  ASSERT_EQ(chdir(gone.c_str()), 0);
  std::filesystem::remove(gone);
  CListFile list("bare.csv");
  ASSERT_EQ(chdir(before.c_str()), 0);
  EXPECT_EQ(list.RowCount(), 0);
  EXPECT_EQ(host.Messages(), std::vector<std::string>{kNoFolderMessage});
}

TEST_F(ListFileTest, ZeroBytesEndACell) {
  CListFile list = Load(std::string("ab\0cd,e\r\n", 9));
  ASSERT_EQ(list.RowCount(), 1);
  EXPECT_EQ(list.Cell(0, 0), "ab");
  EXPECT_EQ(list.Cell(0, 1), "e");
}

}  // namespace
}  // namespace crx
