#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <memory>

#include "foundation/AppSettings.h"
#include "foundation/CConfigControl.h"
#include "foundation/FixedField.h"
#include "foundation/GeneralError.h"
#include "foundation/SystemReason.h"
#include "support/platform/ScriptedHost.h"
#include "support/platform/TempFolder.h"

namespace crx {
namespace {

class ConfigControlTest : public ::testing::Test {
 protected:
  ScriptedHost host;
  ScopedUi scope{host};
  test::TempFolder tmp;
  std::string path = tmp.File(kAppSettingsFileName);
  AppSettings defaults = AppSettings::Defaults("/opt/crx");
};

TEST_F(ConfigControlTest, FirstStartUsesTheDefaultsAndWritesExactly1088Bytes) {
  AppSettings s;
  s.mode = 99;
  {
    CConfigControl config(path, s.Bytes(), defaults.Bytes());
    EXPECT_EQ(s.mode, 0);
    EXPECT_EQ(s.vocalVolume, 100);
    EXPECT_EQ(ReadFixedField(s.videoBackgroundPath), "/opt/crx/white.bmp");
    s.mode = 2;  // the mode box changed during the run
  }
  std::string bytes = test::ReadFileBytes(path);
  ASSERT_EQ(bytes.size(), 1088u);
  EXPECT_EQ(bytes.substr(820, 4), std::string("\x02\x00\x00\x00", 4));
  EXPECT_EQ(bytes.substr(1084, 4), std::string("\x60\xff\xff\xff", 4));  // -16.0 LUFS
  EXPECT_EQ(bytes.substr(260, 4), std::string("\x64\x00\x00\x00", 4));
  EXPECT_EQ(bytes.substr(284, 16), std::string("\x01\0\0\0\x01\0\0\0\x01\0\0\0\0\0\0\0", 16));
  EXPECT_TRUE(host.Messages().empty());
}

TEST_F(ConfigControlTest, AFileOfExactSizeIsUsedUnchanged) {
  std::string bytes(sizeof(AppSettings), '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  test::WriteFileBytes(path, bytes);
  AppSettings s;
  {
    CConfigControl config(path, s.Bytes(), defaults.Bytes());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(s.Bytes().data()), bytes.size()), bytes);
  }
  EXPECT_EQ(test::ReadFileBytes(path), bytes);
  EXPECT_TRUE(host.Messages().empty());
}

TEST_F(ConfigControlTest, AShortFileReportsAndKeepsTheBytesRead) {
  test::WriteFileBytes(path, "/usr/bin/x");
  AppSettings s;
  CConfigControl config(path, s.Bytes(), defaults.Bytes());
  EXPECT_EQ(config.BytesLoaded(), 10u);
  EXPECT_EQ(std::string(s.voiceProgramPath.data(), 10), "/usr/bin/x");
  EXPECT_EQ(s.mixVolume, 100);  // beyond the file: the defaults
  EXPECT_EQ(host.Messages(), std::vector<std::string>{FormatGeneralError(kGeneTooLarge)});
  config.SetSaveOnDestroy(false);
}

TEST_F(ConfigControlTest, AFileOfTheEarlierRecordKeepsItsFieldsAndGetsTheNewOnesDefaults) {
  // As the program wrote it before the loudness was added: 1084 bytes.
  AppSettings old = defaults;
  old.mixVolume = 55;
  old.mode = 3;
  WriteFixedField(old.videoBackgroundPath, "/home/u/bg.png");
  const std::string bytes(reinterpret_cast<const char*>(old.Bytes().data()), 1084);
  test::WriteFileBytes(path, bytes);
  AppSettings s;
  {
    CConfigControl config(path, s.Bytes(), defaults.Bytes(), true, AppSettings::kEarlierSizes);
    EXPECT_EQ(config.BytesLoaded(), 1084u);
    EXPECT_EQ(s.mixVolume, 55);
    EXPECT_EQ(s.mode, 3);
    EXPECT_EQ(ReadFixedField(s.videoBackgroundPath), "/home/u/bg.png");
    EXPECT_EQ(s.loudness, AppSettings::kDefaultLoudness);
    s.loudness = -140;
  }
  EXPECT_TRUE(host.Messages().empty());
  // Saved whole, its front as an earlier program reads it.
  const std::string saved = test::ReadFileBytes(path);
  ASSERT_EQ(saved.size(), sizeof(AppSettings));
  EXPECT_EQ(saved.substr(0, 1084), bytes);

  // Any other short length is still reported.
  test::WriteFileBytes(path, bytes.substr(0, 1000));
  AppSettings t;
  CConfigControl config(path, t.Bytes(), defaults.Bytes(), true, AppSettings::kEarlierSizes);
  EXPECT_EQ(host.Messages(), std::vector<std::string>{FormatGeneralError(kGeneTooLarge)});
  config.SetSaveOnDestroy(false);
}

TEST_F(ConfigControlTest, ALongerFileUsesItsFirstBytesAndIsTruncatedAtTheNextSave) {
  std::string bytes(2000, 'z');
  test::WriteFileBytes(path, bytes);
  AppSettings s;
  {
    CConfigControl config(path, s.Bytes(), defaults.Bytes());
    EXPECT_EQ(s.voiceProgramPath[0], 'z');
  }
  EXPECT_EQ(test::ReadFileBytes(path), std::string(sizeof(AppSettings), 'z'));
  EXPECT_TRUE(host.Messages().empty());
}

TEST_F(ConfigControlTest, AFailedWriteKeepsTheOldFile) {
  std::string old(sizeof(AppSettings), 'o');
  test::WriteFileBytes(path, old);
  // The temporary file cannot be created where a folder of its name stands.
  ASSERT_EQ(mkdir((path + ".tmp").c_str(), 0755), 0);
  AppSettings s;
  auto config = std::make_unique<CConfigControl>(path, s.Bytes(), defaults.Bytes());
  s.mode = 3;
  config.reset();
  EXPECT_EQ(test::ReadFileBytes(path), old);
  EXPECT_EQ(host.Messages(),
            std::vector<std::string>{FormatGeneralError(kGeneOpenFailed, path.c_str()) + " (" +
                                     SystemReason(EISDIR) + ")"});
}

TEST_F(ConfigControlTest, AMissingFolderReportsThePathOrNoneInTheRenderer) {
  AppSettings s;
  std::string bad = tmp.File("gone/" + std::string(kAppSettingsFileName));
  { CConfigControl config(bad, s.Bytes(), defaults.Bytes()); }
  { CConfigControl config(bad, s.Bytes(), defaults.Bytes(), false); }
  const std::string why = " (" + SystemReason(ENOENT) + ")";
  EXPECT_EQ(host.Messages(),
            (std::vector<std::string>{FormatGeneralError(kGeneOpenFailed, bad.c_str()) + why,
                                      FormatGeneralError(kGeneOpenFailed) + why}));
}

TEST_F(ConfigControlTest, HeadlessRunsDoNotRewriteTheFile) {
  AppSettings s;
  {
    CConfigControl config(path, s.Bytes(), defaults.Bytes());
    config.SetSaveOnDestroy(false);
  }
  struct stat st {};
  EXPECT_NE(stat(path.c_str(), &st), 0);
}

TEST(FixedField, RefusesTextsThatDoNotFitWithTheirTerminator) {
  std::array<char, kPathFieldSize> field{};
  EXPECT_TRUE(WriteFixedField(field, std::string(259, 'a')));
  EXPECT_EQ(ReadFixedField(field).size(), 259u);
  EXPECT_FALSE(WriteFixedField(field, std::string(260, 'b')));
  EXPECT_EQ(ReadFixedField(field), std::string(259, 'a'));
  field.fill('x');  // not terminated within the field
  EXPECT_EQ(ReadFixedField(field).size(), 260u);
}

TEST(FixedField, AChosenPathTooLongForItsFieldIsRefusedWithAMessage) {
  ScriptedHost host;
  ScopedUi scope(host);
  std::array<char, kPathFieldSize> field{};
  ASSERT_TRUE(StorePathField(field, "/usr/bin/lame"));
  std::string longPath = "/" + std::string(300, 'p');
  EXPECT_FALSE(StorePathField(field, longPath));
  EXPECT_EQ(ReadFixedField(field), "/usr/bin/lame");
  EXPECT_EQ(host.Messages(),
            std::vector<std::string>{std::string(kPathTooLongMessage) + " [" + longPath + "]"});
}

}  // namespace
}  // namespace crx
