#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/CResultDlg.h"
#include "app/RecentFiles.h"
#include "foundation/FileHelpers.h"
#include "platform/Process.h"
#include "support/platform/ScriptedHost.h"
#include "support/platform/TempFolder.h"

namespace crx {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

TEST(RecentFilesTest, ReadsOnlyPathsNewestFirstAndKeepsEight) {
  struct Case {
    std::string text;
    std::vector<std::string> paths;
  };
  const std::vector<Case> cases = {
      {"", {}},
      {"/a/ふるさと.mid\n/b/x.mid\n", {"/a/ふるさと.mid", "/b/x.mid"}},
      {"/a.mid\r\n\r\n/a.mid\n/b.mid", {"/a.mid", "/b.mid"}},  // CR, blank, twice, no end
      {"relative.mid\n\n/c.mid\n", {"/c.mid"}},
      {std::string("/n\0ul.mid\n/d.mid\n", 17), {"/d.mid"}},
      {"/" + std::string(RecentFiles::kMaxPathBytes, 'x') + "\n/e.mid\n", {"/e.mid"}},
      {"/1\n/2\n/3\n/4\n/5\n/6\n/7\n/8\n/9\n", {"/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8"}},
  };
  for (const Case& c : cases) EXPECT_EQ(RecentFiles::Parse(c.text), c.paths) << c.text;

  // Kept in the file: the newest first, a path loaded again moves up.
  TempFolder folder;
  const std::string file = folder.File("recent.txt");
  {
    RecentFiles recent(file);
    for (int i = 1; i <= 9; ++i) recent.Add("/song" + std::to_string(i) + ".mid");
    recent.Add("/song5.mid");
    recent.Remove("/song9.mid");
  }
  const std::vector<std::string> expected = {"/song5.mid", "/song8.mid", "/song7.mid", "/song6.mid",
                                             "/song4.mid", "/song3.mid", "/song2.mid"};
  EXPECT_EQ(RecentFiles(file).Paths(), expected);
  EXPECT_FALSE(fs::exists(file + ".tmp"));
  EXPECT_TRUE(RecentFiles(folder.File("none.txt")).Paths().empty());
}

TEST(ResultDialogTest, ListsWhatExistsAndOpensItWithTheDesktop) {
  ScriptedHost host;
  ScopedUi scope(host);
  TempFolder folder;
  test::WriteFileBytes(folder.File("song.wav"), "RIFF");
  test::WriteFileBytes(folder.File("song.mp3"), "ID3");
  // The opener writes down what it was given.
  const std::string opened = folder.File("opened");
  const std::string opener = folder.File("opener");
  test::WriteFileBytes(opener,
                       "#!/bin/sh\nprintf '%s\\n' \"$1\" > " + test::ShellQuote(opened) + "\n");
  fs::permissions(opener, fs::perms::owner_all);

  CResultDlg dialog("処理が終了しました。",
                    {{"歌声用MIDI", folder.File("gone.mid")},
                     {"合成WAV", folder.File("song.wav")},
                     {"MP3", folder.File("song.mp3")},
                     {"動画", ""}},
                    opener);
  ASSERT_EQ(dialog.Files().size(), 2u);
  EXPECT_EQ(CResultDlg::Line(dialog.Files()[1]), "MP3: " + folder.File("song.mp3"));
  // What the opener was given, once it has written it down.
  const auto openedWith = [&](bool started) {
    EXPECT_TRUE(started);
    std::string line;
    for (int i = 0; i < 1000 && (line.empty() || line.back() != '\n'); ++i) {
      SleepMs(5);
      line = fs::exists(opened) ? test::ReadFileBytes(opened) : std::string();
    }
    fs::remove(opened);
    return line;
  };
  dialog.Select(1);
  EXPECT_EQ(openedWith(dialog.Play()), folder.File("song.mp3") + "\n");
  dialog.Select(7);  // out of range: the choice stays
  EXPECT_EQ(openedWith(dialog.OpenFolder()), folder.Path() + "\n");

  // No opener on this desktop: said, with the file; nothing listed: nothing
  // to open.
  CResultDlg without("処理が終了しました。", {{"MP3", folder.File("song.mp3")}},
                     folder.File("no-opener"));
  EXPECT_FALSE(without.Play());
  EXPECT_EQ(host.Messages(),
            std::vector<std::string>{"ファイルを開けませんでした。\n" + folder.File("song.mp3")});
  EXPECT_FALSE(CResultDlg("", {}, opener).Play());
}

}  // namespace
}  // namespace crx
