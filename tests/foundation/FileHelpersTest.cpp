#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "foundation/Diagnostics.h"
#include "foundation/FileHelpers.h"
#include "foundation/GeneralError.h"
#include "foundation/SystemReason.h"
#include "support/platform/ScriptedHost.h"
#include "support/platform/TempFolder.h"

namespace crx {
namespace {

std::string Cwd() {
  char buf[4096];
  return getcwd(buf, sizeof buf) != nullptr ? std::string(buf) : std::string();
}

TEST(PathSplitting, FolderOfPath) {
  EXPECT_EQ(GetFolderOfPath("/songs/a.mid"), "/songs");
  EXPECT_EQ(GetFolderOfPath("/songs/sub/a.mid"), "/songs/sub");
  // No separator, or only one at the very start: the current folder.
  EXPECT_EQ(GetFolderOfPath("a.mid"), Cwd());
  EXPECT_EQ(GetFolderOfPath("/a.mid"), Cwd());
  // A failed lookup leaves the output as it was only when the folder is unknown.
  std::string out = "kept";
  EXPECT_TRUE(GetFolderOfPath("x/y", out));
  EXPECT_EQ(out, "x");
}

TEST(PathSplitting, FileNameTakesBothSeparators) {
  EXPECT_EQ(GetFileNameOfPath("C:/x/a.mid"), "a.mid");
  EXPECT_EQ(GetFileNameOfPath("C:\\x\\a.mid"), "a.mid");
  EXPECT_EQ(GetFileNameOfPath("/a.mid"), "/a.mid");
  EXPECT_EQ(GetFileNameOfPath("a.mid"), "a.mid");
  EXPECT_EQ(GetFileNameOfPath("/x/"), "");
}

TEST(PathSplitting, Utf8FolderEndingInACp932LeadByteIsSplit) {
  // あ is E3 81 82 in UTF-8: its last byte is a CP932 lead byte, which must
  // not hide the separator after it in a path.
  EXPECT_EQ(GetFolderOfPath("/tmp/あ/x.mid"), "/tmp/あ");
  EXPECT_EQ(GetFileNameOfPath("/tmp/あ\\x.mid"), "x.mid");
}

TEST(PathSplitting, Cp932SecondByte5CIsNoSeparator) {
  const std::string hyo = "\x95\x5C";  // 表
  EXPECT_EQ(GetFileNameOfPath("a" + hyo + "b", LeadBytes::Cp932), "a" + hyo + "b");
  EXPECT_EQ(GetFileNameOfPath("x\\" + hyo + "b", LeadBytes::Cp932), hyo + "b");
  // Only the two bytes before a 5C are looked at: after "82 82" the pair is a
  // whole character and the 5C counts; after "A0 82" it is a second byte.
  EXPECT_EQ(GetFileNameOfPath("\x82\xA0\x82\\z", LeadBytes::Cp932), "\x82\xA0\x82\\z");
  EXPECT_EQ(GetFileNameOfPath("\x82\x82\\z", LeadBytes::Cp932), "z");
  // The system code page has no lead bytes: the same bytes split there.
  EXPECT_EQ(GetFileNameOfPath("a" + hyo + "b"), "b");
}

TEST(RemoveExtension, CutsInsideTheFileNameOnly) {
  std::string p = "a.b.mid";
  RemoveExtension(p);
  EXPECT_EQ(p, "a.b");
  p = "/home/u/my.songs/song";
  RemoveExtension(p);
  EXPECT_EQ(p, "/home/u/my.songs/song");
  p = "/home/u/my.songs/song.mid";
  RemoveExtension(p);
  EXPECT_EQ(p, "/home/u/my.songs/song");
  p = "C:\\my.folder\\song";
  RemoveExtension(p);
  EXPECT_EQ(p, "C:\\my.folder\\song");
  p = "noext";
  RemoveExtension(p);
  EXPECT_EQ(p, "noext");
}

TEST(JoinPath, AddsOneSeparator) {
  EXPECT_EQ(JoinPath("/a", "b"), "/a/b");
  EXPECT_EQ(JoinPath("/", "b"), "/b");
  EXPECT_EQ(JoinPath("C:\\", "b"), "C:\\b");
  EXPECT_EQ(JoinPath("/a/", "b"), "/a/b");
  EXPECT_TRUE(FitsPathField(std::string(259, 'a')));
  EXPECT_FALSE(FitsPathField(std::string(260, 'a')));
}

TEST(Files, ExistenceAndSize) {
  test::TempFolder tmp;
  test::WriteFileBytes(tmp.File("f"), "12345");
  EXPECT_EQ(FileExists(tmp.File("f")), 1);
  EXPECT_EQ(FileExists(tmp.File("missing")), 0);
  EXPECT_EQ(FileExists(tmp.Path()), 0);  // a folder is no file
  EXPECT_EQ(FileExists(""), 0);
  EXPECT_EQ(GetFileSize32(tmp.File("f")), 5u);
  EXPECT_EQ(GetFileSize32(tmp.Path()), 0u);
}

TEST(Files, ReadFileLimitedShowsThePathThenTheGeneralError) {
  ScriptedHost host;
  ScopedUi scope(host);
  test::TempFolder tmp;
  std::vector<uint8_t> data{1, 2, 3};
  EXPECT_FALSE(ReadFileLimited(tmp.File("none.mid"), data, 100));
  EXPECT_TRUE(data.empty());
  ASSERT_EQ(host.Messages().size(), 2u);
  EXPECT_EQ(host.Messages()[0], tmp.File("none.mid"));
  EXPECT_EQ(host.Records()[0].messageKind, MessageKind::Plain);
  EXPECT_EQ(host.Messages()[1], FormatGeneralError(kGeneOpenFailed, tmp.File("none.mid").c_str()));

  host.Clear();
  EXPECT_FALSE(ReadFileLimited(tmp.Path(), data, 100));  // a folder
  EXPECT_EQ(host.Messages().size(), 2u);
}

TEST(Files, ReadFileLimitedWarnsOnlyWhenTheWholeFileLimitIsFilled) {
  ScriptedHost host;
  ScopedUi scope(host);
  test::TempFolder tmp;
  test::WriteFileBytes(tmp.File("big"), std::string(kWholeFileReadLimit + 10, 'x'));
  test::WriteFileBytes(tmp.File("exact"), std::string(kWholeFileReadLimit - 1, 'x'));
  std::vector<uint8_t> data;
  EXPECT_TRUE(ReadFileLimited(tmp.File("big"), data, kWholeFileReadLimit));
  EXPECT_EQ(data.size(), kWholeFileReadLimit);
  EXPECT_EQ(host.Messages(), std::vector<std::string>{FormatGeneralError(kGeneTooLarge)});
  host.Clear();
  EXPECT_TRUE(ReadFileLimited(tmp.File("exact"), data, kWholeFileReadLimit));
  EXPECT_EQ(data.size(), kWholeFileReadLimit - 1);
  // Another limit that is filled is no warning.
  EXPECT_TRUE(ReadFileLimited(tmp.File("big"), data, 16));
  EXPECT_EQ(data.size(), 16u);
  EXPECT_TRUE(host.Messages().empty());
}

TEST(Files, ReadRecordReportsAShortFileAndKeepsItsBytes) {
  ScriptedHost host;
  ScopedUi scope(host);
  test::TempFolder tmp;
  test::WriteFileBytes(tmp.File("short"), "0123456789");
  std::vector<uint8_t> record(1084, 0xEE);
  size_t got = 0;
  EXPECT_TRUE(ReadRecord(tmp.File("short"), record, &got));
  EXPECT_EQ(got, 10u);
  EXPECT_EQ(record[9], '9');
  EXPECT_EQ(record[10], 0xEE);
  EXPECT_EQ(host.Messages(), std::vector<std::string>{FormatGeneralError(kGeneTooLarge)});
  host.Clear();
  EXPECT_FALSE(ReadRecord(tmp.File("missing"), record));
  EXPECT_EQ(host.Messages(), std::vector<std::string>{
                                 FormatGeneralError(kGeneOpenFailed, tmp.File("missing").c_str())});
}

TEST(Files, WriteRecordReportsAnUnwritablePath) {
  ScriptedHost host;
  ScopedUi scope(host);
  test::TempFolder tmp;
  const std::vector<uint8_t> bytes{'a', 'b'};
  EXPECT_TRUE(WriteRecord(tmp.File("out"), bytes));
  EXPECT_EQ(test::ReadFileBytes(tmp.File("out")), "ab");
  std::string bad = tmp.File("no/such/folder/out");
  EXPECT_FALSE(WriteRecord(bad, bytes));
  EXPECT_FALSE(WriteRecord(tmp.Path(), bytes, false));  // a folder, no detail
  // Each message says why, after its text.
  EXPECT_EQ(
      host.Messages(),
      (std::vector<std::string>{
          FormatGeneralError(kGeneOpenFailed, bad.c_str()) + " (" + SystemReason(ENOENT) + ")",
          FormatGeneralError(kGeneOpenFailed) + " (" + SystemReason(EISDIR) + ")"}));
}

TEST(Files, AWriteToAFullDiskSaysSoAndKeepsItsCode) {
  const std::vector<uint8_t> bytes(4096, 'x');
  DiagnosticCollector collector;
  // A full device takes the open and refuses the bytes.
  EXPECT_FALSE(WriteRecord("/dev/full", bytes));
  ASSERT_EQ(collector.Items().size(), 1u);
  EXPECT_EQ(collector.Items()[0].text,
            FormatGeneralError(kGeneOpenFailed, "/dev/full") + " (" + SystemReason(ENOSPC) + ")");
  EXPECT_TRUE(collector.Contains(kGeneTag, kGeneOpenFailed));
}

TEST(Files, SystemReasonFollowsTheTextUnchanged) {
  EXPECT_FALSE(SystemReason(ENOSPC).empty());
  EXPECT_EQ(WithSystemReason("CWaveFile Error!", 0), "CWaveFile Error!");
  EXPECT_EQ(WithSystemReason("CWaveFile Error!", ENOSPC),
            "CWaveFile Error! (" + SystemReason(ENOSPC) + ")");
}

TEST(Folders, MakeFoldersCreatesEveryLevelAndWorkFolderFollowsXdg) {
  test::TempFolder tmp;
  MakeFolders(tmp.File("a/b/c"));
  struct stat st {};
  EXPECT_EQ(stat(tmp.File("a/b/c").c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  MakeFolders(tmp.File("a/b/c/"));  // existing levels are fine

  const char* old = std::getenv("XDG_CONFIG_HOME");
  std::string saved = old != nullptr ? old : "";
  setenv("XDG_CONFIG_HOME", tmp.File("cfg/deep").c_str(), 1);
  std::string work;
  EXPECT_TRUE(GetWorkFolder(work));
  EXPECT_EQ(work, tmp.File("cfg/deep/CRXWAV"));
  EXPECT_EQ(stat(work.c_str(), &st), 0);
  if (old != nullptr) {
    setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  } else {
    unsetenv("XDG_CONFIG_HOME");
  }
}

TEST(ToLowerLatin, HalfAndFullWidthCapitalsOnly) {
  std::string t = "ABC xyz \x82\x60\x82\x79\x82\x81 \x95\x5C Z";  // Ａ Ｚ ａ 表
  ToLowerLatin(t);
  EXPECT_EQ(t, "abc xyz \x82\x81\x82\x9A\x82\x81 \x95\x5C z");
  // A lead byte's second byte in the capital range is left alone.
  std::string k = "\x83\x41";  // ア: second byte 'A'
  ToLowerLatin(k);
  EXPECT_EQ(k, "\x83\x41");
  std::string cut = "A\x82";  // ends inside a character
  ToLowerLatin(cut);
  EXPECT_EQ(cut, "a\x82");
}

}  // namespace
}  // namespace crx
