#include <gtest/gtest.h>

#include <cstring>

#include "foundation/CConfigControl.h"
#include "foundation/FixedField.h"
#include "renderer/CConfigDlg.h"
#include "renderer/TunepressSettings.h"
#include "support/platform/ScriptedHost.h"
#include "support/platform/TempFolder.h"

namespace crx::renderer {
namespace {

using test::ReadFileBytes;
using test::TempFolder;
using test::WriteFileBytes;

std::string Le32(int32_t v) {
  std::string s(4, '\0');
  std::memcpy(s.data(), &v, 4);
  return s;
}

// A stored record: volume, link, sixteen flags, lead-in.
std::string Record(int32_t volume, const std::string& link, const std::array<int32_t, 16>& flags,
                   int32_t leadIn) {
  std::string s = Le32(volume);
  std::string field(260, '\0');
  field.replace(0, link.size(), link);
  s += field;
  for (int32_t f : flags) s += Le32(f);
  s += Le32(leadIn);
  return s;
}

TEST(TunepressSettings, NoFileGivesTheDefaultsAndExitWritesTheirExact332Bytes) {
  TempFolder dir;
  ScriptedHost host;
  ScopedUi scope(host);
  const std::string path = dir.File("fc_setup.ini");
  {
    TunepressSettings s;
    std::memset(static_cast<void*>(&s), 0x55, sizeof s);
    const TunepressSettings defaults = TunepressSettings::Defaults();
    CConfigControl config(path, s.Bytes(), defaults.Bytes(), false);
    EXPECT_EQ(s.volume, 70);
    EXPECT_EQ(ReadFixedField(s.mp3Link), "");
    for (int32_t f : s.channelFlags) EXPECT_EQ(f, 1);
    EXPECT_EQ(s.leadInBeats, 0);
  }
  EXPECT_EQ(ReadFileBytes(path),
            Record(70, "", {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, 0));
  EXPECT_TRUE(host.Messages().empty());
}

TEST(TunepressSettings, AStoredRecordIsReadFieldByFieldAndAShortFileKeepsTheDefaultsBehind) {
  TempFolder dir;
  ScriptedHost host;
  ScopedUi scope(host);
  const std::string path = dir.File("fc_setup.ini");
  WriteFileBytes(path,
                 Record(50, "/usr/bin/lame", {0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1}, 4));
  {
    TunepressSettings s;
    const TunepressSettings defaults = TunepressSettings::Defaults();
    CConfigControl config(path, s.Bytes(), defaults.Bytes(), false);
    config.SetSaveOnDestroy(false);
    EXPECT_EQ(s.volume, 50);
    EXPECT_EQ(ReadFixedField(s.mp3Link), "/usr/bin/lame");
    EXPECT_EQ(s.channelFlags[0], 0);
    EXPECT_EQ(s.channelFlags[15], 1);
    EXPECT_EQ(s.leadInBeats, 4);
  }
  // Only the volume and part of the link: the plain short-read message, the
  // rest from the defaults.
  WriteFileBytes(path, Record(30, "/x", {}, 0).substr(0, 10));
  TunepressSettings s;
  const TunepressSettings defaults = TunepressSettings::Defaults();
  CConfigControl config(path, s.Bytes(), defaults.Bytes(), false);
  config.SetSaveOnDestroy(false);
  EXPECT_EQ(s.volume, 30);
  EXPECT_EQ(ReadFixedField(s.mp3Link), "/x");
  EXPECT_EQ(s.channelFlags[9], 1);
  EXPECT_EQ(host.Messages(), std::vector<std::string>{"GENE0100000A データが大きすぎます。"});
}

class ConfigDlgTest : public ::testing::Test {
 protected:
  ScriptedHost host;
  ScopedUi scope{host};
  TunepressSettings settings;
};

TEST_F(ConfigDlgTest, OpensWithTheRecordAndOkTakesEveryValue) {
  settings.volume = 55;
  WriteFixedField(settings.mp3Link, "/opt/enc");
  settings.channelFlags[9] = 0;
  settings.leadInBeats = 3;
  CConfigDlg dlg(settings);
  host.AnswerDialog([](DialogModel& d) {
    auto& c = static_cast<CConfigDlg&>(d);
    EXPECT_EQ(c.volume.text, "55");
    EXPECT_EQ(c.mp3Link, "/opt/enc");
    EXPECT_FALSE(c.channelBoxes[9]);
    EXPECT_TRUE(c.channelBoxes[0]);
    EXPECT_EQ(c.leadIn.text, "3");
    c.volume.text = "50";
    c.mp3Link = "/usr/bin/lame";
    c.channelBoxes.fill(false);
    c.channelBoxes[15] = true;
    c.leadIn.text = "8";
    return DialogResult::Ok;
  });
  EXPECT_EQ(Ui().RunModal(dlg), DialogResult::Ok);
  EXPECT_EQ(settings.volume, 50);
  EXPECT_EQ(ReadFixedField(settings.mp3Link), "/usr/bin/lame");
  for (int i = 0; i < 15; ++i) EXPECT_EQ(settings.channelFlags[i], 0) << i;
  EXPECT_EQ(settings.channelFlags[15], 1);
  EXPECT_EQ(settings.leadInBeats, 8);
}

TEST_F(ConfigDlgTest, ThePickerWritesOnlyTheFieldSoCancelKeepsTheOldLink) {
  WriteFixedField(settings.mp3Link, "/old/enc");
  CConfigDlg dlg(settings);
  host.AnswerFile("/new/enc");
  host.AnswerDialog([](DialogModel& d) {
    auto& c = static_cast<CConfigDlg&>(d);
    c.OnBrowseMp3Link();
    EXPECT_EQ(c.mp3Link, "/new/enc");
    return DialogResult::Cancel;
  });
  EXPECT_EQ(Ui().RunModal(dlg), DialogResult::Cancel);
  EXPECT_EQ(ReadFixedField(settings.mp3Link), "/old/enc");
  EXPECT_EQ(host.Records()[1].text, "プログラム|*|");

  // A cancelled picker leaves the field as it was.
  host.AnswerFile(std::nullopt);
  dlg.OnInitDialog();
  dlg.OnBrowseMp3Link();
  EXPECT_EQ(dlg.mp3Link, "/old/enc");
}

TEST_F(ConfigDlgTest, TypedNumbersAreKeptInTheSpinRangesAndTextWithoutANumberKeepsThePosition) {
  settings.volume = 40;
  settings.leadInBeats = 2;
  CConfigDlg dlg(settings);
  dlg.OnInitDialog();
  dlg.volume.text = "150";
  dlg.leadIn.text = "-4";
  ASSERT_TRUE(dlg.OnOK());
  EXPECT_EQ(settings.volume, 100);
  EXPECT_EQ(settings.leadInBeats, 0);

  settings.volume = 40;
  settings.leadInBeats = 2;
  dlg.OnInitDialog();
  dlg.volume.text = "abc";
  dlg.leadIn.text = "";
  ASSERT_TRUE(dlg.OnOK());
  EXPECT_EQ(settings.volume, 40);
  EXPECT_EQ(settings.leadInBeats, 2);

  dlg.OnInitDialog();
  dlg.volume.text = " 7 ";
  dlg.leadIn.text = "99999999999999999999";
  ASSERT_TRUE(dlg.OnOK());
  EXPECT_EQ(settings.volume, 7);
  EXPECT_EQ(settings.leadInBeats, 100);
}

TEST_F(ConfigDlgTest, ALinkTooLongForItsFieldIsRefusedAndNothingIsTaken) {
  settings.volume = 70;
  WriteFixedField(settings.mp3Link, "/old/enc");
  CConfigDlg dlg(settings);
  dlg.OnInitDialog();
  dlg.volume.text = "10";
  dlg.mp3Link = "/" + std::string(259, 'x');
  EXPECT_FALSE(dlg.OnOK());
  EXPECT_EQ(settings.volume, 70);
  EXPECT_EQ(ReadFixedField(settings.mp3Link), "/old/enc");
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(host.Messages()[0].rfind("パスが長すぎます。", 0), 0u);

  dlg.mp3Link = "/" + std::string(258, 'x');  // 259 bytes fit
  EXPECT_TRUE(dlg.OnOK());
  EXPECT_EQ(ReadFixedField(settings.mp3Link).size(), 259u);
}

}  // namespace
}  // namespace crx::renderer
