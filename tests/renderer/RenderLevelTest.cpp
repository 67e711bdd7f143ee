#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "foundation/FileHelpers.h"
#include "renderer/CTunepressDlg.h"
#include "renderer/LoudnessNormalizer.h"
#include "support/platform/ScriptedHost.h"
#include "support/platform/TempFolder.h"
#include "support/renderer/GmArrangement.h"
#include "support/renderer/RenderProbe.h"

namespace crx::renderer {
namespace {

const double kCeiling = std::pow(10.0, LoudnessNormalizer::kCeilingDbfs / 20) + 1.0 / 32767;

// What the renderer makes of a song with the given volume setting.
test::WavProbe RenderWithVolume(const std::string& midi, int32_t volume,
                                const test::TempFolder& dir, const std::string& name = "level") {
  test::ScopedCurrentFolder cwd(dir.Path());
  TunepressSettings s;
  s.volume = volume;
  test::WriteFileBytes(dir.File("fc_setup.ini"),
                       std::string(reinterpret_cast<const char*>(&s), sizeof s));
  const std::string wav = dir.File(name + ".wav");
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
  // The loudness of a render, by an independent meter.
  std::optional<double> Loudness(const std::string& midi, int32_t volume, double* peak = nullptr) {
    const test::WavProbe wav = RenderWithVolume(midi, volume, dir, "v" + std::to_string(volume));
    if (peak) *peak = wav.Peak();
    return test::IntegratedLoudness(dir.File("v" + std::to_string(volume) + ".wav"));
  }
  std::vector<std::string> Songs() {
    std::vector<std::string> songs;
    for (const char* name : {"furusato.mid", "candy-count.mid"}) {
      const std::string midi = std::string(CRX_SOURCE_DIR) + "/examples/" + name;
      if (FileExists(midi) != 0) songs.push_back(midi);
    }
    // Sixteen channels at Channel Volume 127: it would clip at the
    // synthesizer's gain.
    songs.push_back(dir.File("dense.mid"));
    test::SmfBuilder::WriteFile(songs.back(), test::GmArrangement(12, 127));
    return songs;
  }
  test::TempFolder dir;
  test::ScopedSoundFont soundFont{test::kTestSoundFont};
  ScriptedHost host;
  ScopedUi scope{host};
};

TEST_F(RenderLevelTest, EverySongLandsOnTheTargetWithItsPeaksBelowTheCeiling) {
  for (const std::string& midi : Songs()) {
    double peak = 0;
    const std::optional<double> lufs = Loudness(midi, TunepressSettings::kDefaultVolume, &peak);
    if (!lufs) GTEST_SKIP() << "ffmpeg cannot measure loudness here";
    EXPECT_NEAR(*lufs, LoudnessNormalizer::kTargetLufs, 1.0) << midi;
    EXPECT_GT(peak, 0.05) << midi;
    EXPECT_LE(peak, kCeiling) << midi;
  }
  EXPECT_TRUE(host.Messages().empty()) << host.Messages()[0];
}

TEST_F(RenderLevelTest, TheVolumeSettingMovesTheLevelAsItsChannelVolumeScalingDoes) {
  const std::string midi = std::string(CRX_SOURCE_DIR) + "/examples/furusato.mid";
  if (FileExists(midi) == 0) GTEST_SKIP() << "no example song";
  // What the scaling alone does: the prepared files rendered by the
  // synthesizer's own command line at one fixed gain.
  auto plain = [&](int volume) -> std::optional<double> {
    const std::string prepared = dir.File("p" + std::to_string(volume) + ".mid");
    const std::string wav = dir.File("plain" + std::to_string(volume) + ".wav");
    const std::string bin = std::string(CRX_START_FOLDER) + "/TunepressCRX";
    if (test::RunShell(test::ShellQuote(bin) + " --prepare --volume " + std::to_string(volume) +
                       " " + test::ShellQuote(midi) + " " + test::ShellQuote(prepared))
                .status != 0 ||
        test::RunShell("fluidsynth -q -ni -g 0.2 -r 44100 -F " + test::ShellQuote(wav) + " " +
                       test::ShellQuote(test::kTestSoundFont) + " " + test::ShellQuote(prepared) +
                       " >/dev/null 2>&1")
                .status != 0) {
      return std::nullopt;
    }
    return test::IntegratedLoudness(wav);
  };
  const std::optional<double> plain70 = plain(70), plain50 = plain(50), plain100 = plain(100);
  if (!plain70 || !plain50 || !plain100) GTEST_SKIP() << "fluidsynth or ffmpeg is missing";
  const double at70 = Loudness(midi, 70).value();
  EXPECT_NEAR(Loudness(midi, 50).value() - at70, *plain50 - *plain70, 0.5);
  EXPECT_NEAR(Loudness(midi, 100).value() - at70, *plain100 - *plain70, 0.5);
}

// The normalizer on its own: a quiet tone with one loud click.
TEST(LoudnessNormalizer, ScalesToTheTargetAndLimitsOnlyThePeak) {
  constexpr uint32_t kRate = 44100;
  LoudnessNormalizer level(kRate, LoudnessNormalizer::kReferenceVolumePercent);
  ASSERT_TRUE(level.Open());
  std::vector<float> tone(kRate * 3);
  for (size_t i = 0; i < tone.size(); ++i) tone[i] = 0.01f * std::sin(2 * M_PI * 1000 * i / kRate);
  tone[kRate] = 0.9f;  // would be far beyond the ceiling once scaled
  ASSERT_TRUE(level.Append(tone, tone));
  std::vector<int16_t> out;
  ASSERT_TRUE(level.Finish([&](std::span<const int16_t> b) {
    out.insert(out.end(), b.begin(), b.end());
    return true;
  }));
  ASSERT_EQ(out.size(), tone.size() * 2);
  // 1 kHz at -40 dBFS peak in two channels reads -40 LUFS; the click adds
  // a little.
  EXPECT_NEAR(level.MeasuredLufs(), -40.0, 1.5);
  EXPECT_DOUBLE_EQ(level.GainDb(), LoudnessNormalizer::kTargetLufs - level.MeasuredLufs());
  int16_t peak = 0;
  for (int16_t s : out) peak = std::max<int16_t>(peak, static_cast<int16_t>(std::abs(s)));
  EXPECT_LE(peak / 32767.0, kCeiling);
  // Half a second after the click the tone has its full gain again.
  const double expected = 0.01 * std::pow(10.0, level.GainDb() / 20);
  double later = 0;
  for (size_t i = 2 * (kRate + kRate / 2); i < 2 * (kRate + kRate / 2 + 200); ++i) {
    later = std::max(later, std::abs(out[i]) / 32767.0);
  }
  EXPECT_NEAR(later, expected, expected * 0.02);
}

TEST(LoudnessNormalizer, SilenceStaysSilentAndABlipIsNoDivisionByZero) {
  for (size_t frames : {size_t{0}, size_t{20}, size_t{44100}}) {
    for (float value : {0.0f, 0.8f}) {
      LoudnessNormalizer level(44100, 50);
      ASSERT_TRUE(level.Open());
      std::vector<float> samples(frames, 0.0f);
      if (frames > 0) samples[frames / 2] = value;
      ASSERT_TRUE(level.Append(samples, samples));
      std::vector<int16_t> out;
      ASSERT_TRUE(level.Finish([&](std::span<const int16_t> b) {
        out.insert(out.end(), b.begin(), b.end());
        return true;
      }));
      ASSERT_EQ(out.size(), frames * 2);
      EXPECT_TRUE(std::isfinite(level.GainDb()));
      for (int16_t s : out) {
        if (value == 0.0f) {
          ASSERT_EQ(s, 0);
        }
        ASSERT_LE(std::abs(s) / 32767.0, kCeiling);
      }
    }
  }
}

}  // namespace
}  // namespace crx::renderer
