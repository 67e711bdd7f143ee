#include <cstdlib>

#include "audio/CWaveFile.h"
#include "audio/MixCommand.h"
#include "foundation/AppSettings.h"
#include "foundation/FileHelpers.h"
#include "foundation/FixedField.h"
#include "support/audio/AudioTestFixture.h"
#include "support/audio/WavBuilder.h"

namespace crx::test {
namespace {

using Strings = std::vector<std::string>;

// Points the working folder at the test's folder for the test's duration.
class MixCommand : public AudioTest {
 protected:
  void SetUp() override {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    if (old != nullptr) oldConfig_ = old;
    setenv("XDG_CONFIG_HOME", folder_.Path().c_str(), 1);
    vocal_ = File("vocal.wav");
    acc_ = File("acc.wav");
    out_ = File("out.wav");
    WriteInputs();
  }
  void TearDown() override {
    if (oldConfig_) {
      setenv("XDG_CONFIG_HOME", oldConfig_->c_str(), 1);
    } else {
      unsetenv("XDG_CONFIG_HOME");
    }
  }
  void WriteInputs() {
    WavBuilder().Data(SampleBytes(TestSignal(4410, 5, 10000))).WriteTo(vocal_);
    WavBuilder().Data(SampleBytes(TestSignal(4410, 6, 10000))).WriteTo(acc_);
  }
  std::string SettingsPath() const { return File("CRXWAV/crx_setup.ini"); }
  void StoreSettings(const AppSettings& s) {
    MakeFolders(File("CRXWAV"));
    WriteFileBytes(SettingsPath(), std::string(s.Bytes().begin(), s.Bytes().end()));
  }
  size_t OutputFrames() {
    CWaveFile f;
    if (f.Open(0, out_) != 0) return 0;
    return f.DataSize() / 4;
  }
  std::vector<int16_t> OutputSamples() {
    CWaveFile f;
    if (f.Open(0, out_) != 0) return {};
    return SamplesOf(f.ReadData());
  }
  int16_t FirstVocalSample() {
    CWaveFile f;
    f.Open(0, vocal_);
    return SamplesOf(f.ReadData())[100];
  }

  std::optional<std::string> oldConfig_;
  std::string vocal_, acc_, out_;
};

TEST_F(MixCommand, MixesWithTheDefaultsAndWritesNoSettings) {
  const int16_t before = FirstVocalSample();
  EXPECT_EQ(RunMixCommand({"--tempo", "62500", vocal_, acc_, out_}), 0);
  // The accompaniment ends 1 s + 0.1 s in; the trimmed start is short.
  EXPECT_GT(OutputFrames(), 44100u + 4410u - 50u);
  EXPECT_LE(OutputFrames(), 44100u + 4410u);
  EXPECT_EQ(FirstVocalSample(), before);  // the inputs are only read
  EXPECT_FALSE(FileExists(SettingsPath()));
  EXPECT_EQ(Messages(), Strings{});

  WriteInputs();
  EXPECT_EQ(RunMixCommand({vocal_, acc_, out_}), 0);  // tempo 500000: 8 s lead-in
  EXPECT_GT(OutputFrames(), 352800u + 4410u - 50u);
}

TEST_F(MixCommand, StoredSettingsGiveTheDefaultsAndStayUnchanged) {
  AppSettings s;
  s.vocalVolume = 50;
  WriteFixedField(s.voiceProgramPath, "/opt/Lumivoce/LumivoceConv");
  StoreSettings(s);
  const std::string stored = ReadFileBytes(SettingsPath());
  const std::string vocalBefore = ReadFileBytes(vocal_);
  EXPECT_EQ(RunMixCommand({vocal_, acc_, out_}), 0);
  EXPECT_LE(OutputFrames(), 4410u);  // no lead-in for the maker's converter
  EXPECT_EQ(ReadFileBytes(SettingsPath()), stored);
  const std::vector<int16_t> halved = OutputSamples();

  EXPECT_EQ(RunMixCommand({"--volumes", "100,100,100", vocal_, acc_, out_}), 0);
  const std::vector<int16_t> full = OutputSamples();
  ASSERT_EQ(full.size(), halved.size());
  EXPECT_NE(full, halved);  // the stored vocal share of 50 was taken, and --volumes overrides it

  EXPECT_EQ(RunMixCommand({"--volumes", "100,100,100", "--reverbs", "1,0,0", vocal_, acc_, out_}),
            0);
  EXPECT_NE(OutputSamples(), full);               // the vocal's reverb
  EXPECT_EQ(ReadFileBytes(vocal_), vocalBefore);  // the inputs are only read
  EXPECT_EQ(ReadFileBytes(SettingsPath()), stored);
}

TEST_F(MixCommand, TheSameNameIsRefusedBeforeAnythingChanges) {
  const std::string vocalBefore = ReadFileBytes(vocal_);
  EXPECT_EQ(RunMixCommand({"--volumes", "10,10,10", vocal_, acc_, vocal_}), 1);
  EXPECT_EQ(RunMixCommand({vocal_, acc_, acc_}), 1);
  EXPECT_EQ(ReadFileBytes(vocal_), vocalBefore);
  EXPECT_EQ(Messages(),
            (Strings{"同じファイル名は使用できません。", "同じファイル名は使用できません。"}));
}

TEST_F(MixCommand, BadArgumentsChangeNothing) {
  const std::string vocalBefore = ReadFileBytes(vocal_);
  const std::vector<std::vector<std::string>> cases = {
      {vocal_, acc_},
      {vocal_, acc_, out_, File("x.wav")},
      {"--volumes", "1,2", vocal_, acc_, out_},
      {"--volumes", "1,2,201", vocal_, acc_, out_},
      {"--reverbs", "0,0,33", vocal_, acc_, out_},
      {"--reverbs", "0,,0", vocal_, acc_, out_},
      {"--tempo", "x", vocal_, acc_, out_},
      {"--tempo", "16777216", vocal_, acc_, out_},
      {"--tempo"},
      {"--fast", vocal_, acc_, out_},
      {vocal_, acc_, std::string(300, 'a')},
  };
  for (const auto& args : cases) EXPECT_EQ(RunMixCommand(args), 1) << args[0];
  EXPECT_EQ(ReadFileBytes(vocal_), vocalBefore);
  EXPECT_FALSE(FileExists(out_));
  EXPECT_EQ(RunMixCommand({"--help"}), 0);
}

TEST_F(MixCommand, ARefusedMixExitsWith1) {
  WavBuilder().Format(48000, 2, 16).Data({1, 2, 3, 4}).WriteTo(vocal_);
  EXPECT_EQ(RunMixCommand({vocal_, acc_, out_}), 1);
  EXPECT_FALSE(FileExists(out_));
  EXPECT_EQ(Messages(), (Strings{"このサンプリングレートに対応していません。", "CWaveMix"}));
}

}  // namespace
}  // namespace crx::test
