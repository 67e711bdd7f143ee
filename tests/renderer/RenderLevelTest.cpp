#include <gtest/gtest.h>

#include <string>

#include "foundation/FileHelpers.h"
#include "platform/ScriptedHost.h"
#include "renderer/TunepressDlg.h"
#include "support/platform/TempFolder.h"
#include "support/renderer/GmArrangement.h"
#include "support/renderer/RenderProbe.h"

namespace crx::tp {
namespace {

// What the renderer makes of a song with the given volume setting.
test::WavProbe RenderWithVolume(const std::string& midi, int32_t volume,
                                const test::TempFolder& dir) {
  test::ScopedCurrentFolder cwd(dir.Path());
  TunepressSettings s;
  s.volume = volume;
  test::WriteFileBytes(dir.File("fc_setup.ini"),
                       std::string(reinterpret_cast<const char*>(&s), sizeof s));
  const std::string wav = dir.File("level.wav");
  CTunepressDlg dlg({midi, wav, "crx"});
  dlg.SetSaveSettingsOnExit(false);
  dlg.OnInitDialog();
  dlg.OnStartMessage();
  return test::WavProbe::Read(wav).value_or(test::WavProbe{});
}

class RenderLevelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (FileExists(test::kTestSoundFont) == 0) GTEST_SKIP() << "timgm6mb-soundfont is missing";
  }
  test::TempFolder dir;
  test::ScopedSoundFont soundFont{test::kTestSoundFont};
  ScriptedHost host;
  ScopedUi scope{host};
};

TEST_F(RenderLevelTest, TheExampleSongsAreAudibleAndBelowFullScaleAtEveryVolume) {
  int found = 0;
  for (const char* name : {"furusato.mid", "candy-count.mid"}) {
    const std::string midi = std::string(CRX_SOURCE_DIR) + "/examples/" + name;
    if (FileExists(midi) == 0) continue;
    ++found;
    for (int32_t volume : {70, 100}) {
      test::WavProbe wav = RenderWithVolume(midi, volume, dir);
      EXPECT_GT(wav.Seconds(), 10.0) << name;
      EXPECT_GT(wav.Peak(), 0.02) << name << " volume " << volume;
      EXPECT_LT(wav.Peak(), 0.5) << name << " volume " << volume;
    }
  }
  if (found == 0) GTEST_SKIP() << "no example songs";
}

TEST_F(RenderLevelTest, ADenseSixteenChannelArrangementStaysBelowFullScale) {
  const std::string usual = dir.File("dense100.mid");
  test::SmfBuilder::WriteFile(usual, test::GmArrangement(12, 100));
  test::WavProbe atFull = RenderWithVolume(usual, 100, dir);
  EXPECT_GT(atFull.Peak(), 0.3);
  EXPECT_LT(atFull.Peak(), 0.9);

  // Every Channel Volume at its maximum, with the default volume setting.
  const std::string loud = dir.File("dense127.mid");
  test::SmfBuilder::WriteFile(loud, test::GmArrangement(12, 127));
  EXPECT_LT(RenderWithVolume(loud, TunepressSettings::kDefaultVolume, dir).Peak(), 0.9);
  EXPECT_TRUE(host.Messages().empty()) << host.Messages()[0];
}

}  // namespace
}  // namespace crx::tp
