#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/AppSettings.h"
#include "foundation/FixedField.h"
#include "karaoke/XfKaraokeData.h"
#include "midi/MidiTrackData.h"
#include "support/audio/AudioSamples.h"
#include "support/karaoke/XfFileBuilder.h"
#include "support/platform/TempFolder.h"

namespace crx {
namespace {

namespace fs = std::filesystem;
constexpr int kRate = 44100;

// Both channels of a WAV's data chunk.
std::vector<int16_t> Samples(const std::string& path) {
  const std::string bytes = test::ReadFileBytes(path);
  const size_t data = bytes.find("data", 12);
  if (data == std::string::npos) return {};
  return test::SamplesOf(
      std::vector<uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(data + 8), bytes.end()));
}

double Db(double linear) { return 20 * std::log10(std::max(linear, 1e-12)); }

// The finished song at the default settings: the real singer, the real
// renderer, the mix. The intermediate WAVs are kept to be measured.
struct SongBalanceTest : ::testing::Test {
  void SetUp() override {
    const std::string bin = CRX_START_FOLDER;
    if (!fs::exists(bin + "/CantorixSinger") || !fs::exists("/usr/share/sounds/sf2/TimGM6mb.sf2")) {
      GTEST_SKIP() << "the singer or the SoundFont is missing";
    }
    AppSettings settings = AppSettings::Defaults(bin);
    settings.deleteVocalMidi = settings.deleteVocalWav = settings.deleteAccompanimentWav = 0;
    WriteFixedField(settings.voiceProgramPath, bin + "/CantorixSinger");
    fs::create_directories(config.File("CRXWAV"));
    test::WriteFileBytes(config.File("CRXWAV/crx_setup.ini"),
                         std::string(reinterpret_cast<const char*>(&settings), sizeof settings));
  }
  // Runs the automatic run on the song; false when it made no mix.
  bool Run(const std::string& karaoke) {
    const std::string command = "cd " + test::ShellQuote(songs.Path()) +
                                " && XDG_CONFIG_HOME=" + test::ShellQuote(config.Path()) + " " +
                                test::ShellQuote(std::string(CRX_START_FOLDER) + "/Cantorix") +
                                " auto --mode wav " + test::ShellQuote(karaoke) +
                                " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
  }
  // Voice against accompaniment over the sung parts (the voice is digital
  // silence elsewhere), the accompaniment taken where the mix lays it under
  // the voice: leadInFrames later in the vocal WAV's time.
  void ExpectBalanced(const std::string& name) {
    XfKaraokeData song(songs.File(name + ".mid"));
    int tempo = 500000;
    song.MainTrack().FirstTempo(tempo);
    const auto leadInFrames = static_cast<size_t>(16.0 * tempo / 1e6 * kRate + 0.5);
    const std::vector<int16_t> voice = Samples(songs.File("out.wav"));
    const std::vector<int16_t> acc = Samples(songs.File("acc.wav"));
    const std::vector<int16_t> mix = Samples(songs.File(name + ".wav"));
    ASSERT_FALSE(voice.empty() || acc.empty() || mix.empty()) << name;
    double v2 = 0, a2 = 0;
    size_t n = 0;
    for (size_t f = leadInFrames; 2 * f + 1 < voice.size(); ++f) {
      const size_t af = f - leadInFrames;
      if (voice[2 * f] == 0 && voice[2 * f + 1] == 0) continue;
      if (2 * af + 1 >= acc.size()) break;
      for (int c = 0; c < 2; ++c) {
        v2 += std::pow(voice[2 * f + c] / 32768.0, 2);
        a2 += std::pow(acc[2 * af + c] / 32768.0, 2);
      }
      n += 2;
    }
    ASSERT_GT(n, static_cast<size_t>(kRate)) << name;
    const double difference = Db(std::sqrt(v2 / n)) - Db(std::sqrt(a2 / n));
    EXPECT_GE(difference, 2.0) << name;
    EXPECT_LE(difference, 6.0) << name;
    int peak = 0;
    for (int16_t s : mix) peak = std::max(peak, std::abs(static_cast<int>(s)));
    EXPECT_LT(peak, 32767) << name << ": the mix saturates";
    // The voice's peaks stay below -7 dBFS and the accompaniment's below
    // -6 dBFS: the sum keeps a headroom of at least 1 dB, and the two
    // rarely peak together (about -9 to -11 dBFS here).
    EXPECT_GE(Db(peak / 32768.0), -12.0) << name;
    EXPECT_LE(Db(peak / 32768.0), -1.0) << name;
  }

  test::TempFolder songs, config;
};

TEST_F(SongBalanceTest, TheExampleSongsSoundBalanced) {
  for (const char* name : {"furusato", "candy-count"}) {
    const std::string source = std::string(CRX_SOURCE_DIR) + "/examples/" + name + ".mid";
    if (!fs::exists(source)) continue;
    fs::copy_file(source, songs.File(std::string(name) + ".mid"),
                  fs::copy_options::overwrite_existing);
    ASSERT_TRUE(Run(songs.File(std::string(name) + ".mid"))) << name;
    ExpectBalanced(name);
  }
}

TEST_F(SongBalanceTest, ADenseLoudArrangementDoesNotBuryTheVoice) {
  // Drums, bass, piano, strings, brass, guitar, organ and pads on nine
  // channels at high velocities under a melody of sixteen notes.
  test::XfFileBuilder song;
  song.GmReset().MasterVolume(0, 127).Tempo(0, 500000);
  const int programs[] = {0, 33, 0, 48, 61, 25, 16, 88, 89};
  const int channels[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  for (int i = 0; i < 9; ++i) {
    if (channels[i] != 9) song.Program(0, channels[i], programs[i]);
    song.Control(0, channels[i], 7, 110);
  }
  std::vector<std::string> lyrics;
  for (int bar = 0; bar < 8; ++bar) {
    const uint32_t t = static_cast<uint32_t>(bar) * 1920;
    const int root = 48 + (bar % 4) * 2;
    for (int beat = 0; beat < 4; ++beat) {
      const uint32_t b = t + static_cast<uint32_t>(beat) * 480;
      song.Note(b, 9, beat % 2 ? 38 : 36, 120, 120).Note(b, 9, 42, 110, 100);
      song.Note(b, 2, root - 12, 120, 460)
          .Note(b, 3, root, 115, 460)
          .Note(b, 3, root + 4, 115, 460);
    }
    for (int ch : {4, 5, 6, 7, 8}) song.Note(t, ch, root + 7 + ch, 112, 1900);
    song.Note(t, 1, root + 12, 120, 1900);
    song.Note(t, 0, 67, 100, 900).Note(t + 960, 0, 69, 100, 900);
    lyrics.push_back("ら");
    lyrics.push_back("ら");
  }
  for (size_t i = 0; i < lyrics.size(); ++i)
    song.LyricUtf8(static_cast<uint32_t>(i) * 960, lyrics[i]);
  song.WriteTo(songs.File("dense.mid"));
  ASSERT_TRUE(Run(songs.File("dense.mid")));
  ExpectBalanced("dense");
}

}  // namespace
}  // namespace crx
