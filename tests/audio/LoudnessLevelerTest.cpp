#include "audio/LoudnessLeveler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "support/audio/AudioSamples.h"
#include "support/audio/LoudnessPeer.h"
#include "support/audio/WavBuilder.h"
#include "support/platform/ScriptedHost.h"
#include "support/platform/TempFolder.h"

namespace crx::test {
namespace {

constexpr int kRate = 44100;

// A song-like stereo signal: a chord whose notes change every half second
// under a noise bed, of the given peak amplitude.
std::vector<int16_t> Song(double seconds, double amplitude, uint32_t seed) {
  const auto frames = static_cast<size_t>(seconds * kRate);
  const std::vector<int16_t> noise = TestSignal(frames, seed, 1000);
  std::vector<int16_t> out(frames * 2);
  for (size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double root = 220.0 * std::pow(2.0, static_cast<double>((i / (kRate / 2)) % 5) / 12.0);
    const double chord =
        (std::sin(2 * M_PI * root * t) + 0.6 * std::sin(2 * M_PI * root * 1.5 * t) +
         0.4 * std::sin(2 * M_PI * root * 2.52 * t)) /
        2.0;
    for (size_t c = 0; c < 2; ++c) {
      const double v = amplitude * chord + amplitude / 20000.0 * noise[2 * i + c];
      out[2 * i + c] = static_cast<int16_t>(std::clamp(std::lround(v), -32768L, 32767L));
    }
  }
  return out;
}

// Loud and dense, with peaks between the samples: a tone at a quarter of the
// rate whose samples fall halfway between its crests, over full-scale noise.
std::vector<int16_t> LoudDense(double seconds) {
  const auto frames = static_cast<size_t>(seconds * kRate);
  const std::vector<int16_t> noise = TestSignal(frames, 7, 16000);
  std::vector<int16_t> out(frames * 2);
  for (size_t i = 0; i < frames; ++i) {
    const double tone = 20000.0 * std::sin(M_PI / 2 * static_cast<double>(i) + M_PI / 4);
    for (size_t c = 0; c < 2; ++c) {
      out[2 * i + c] =
          static_cast<int16_t>(std::clamp(std::lround(tone + noise[2 * i + c]), -32768L, 32767L));
    }
  }
  return out;
}

void WriteWav(const std::string& path, const std::vector<int16_t>& samples, uint16_t bits = 16) {
  WavBuilder().Format(kRate, 2, bits).Data(SampleBytes(samples)).WriteTo(path);
}

struct LoudnessLevelerTest : ::testing::Test {
  ScriptedHost host;
  ScopedUi scope{host};
  TempFolder tmp;
  std::string in = tmp.File("mix.wav");
  std::string out = tmp.File("level.wav");

  // Levels in to out and checks the result against the target with our
  // meter and, where it is installed, ffmpeg's.
  void ExpectLeveled(double target) {
    LoudnessLeveler leveler(target);
    ASSERT_TRUE(leveler.Level(in, out));
    LoudnessLeveler::Measure m;
    ASSERT_TRUE(LoudnessLeveler::MeasureFile(out, m));
    EXPECT_NEAR(m.lufs, target, 0.3);
    EXPECT_LE(m.truePeakDbtp, LoudnessLeveler::kTruePeakCeilingDbtp);
    EXPECT_NEAR(leveler.Result().output.lufs, m.lufs, 0.01);
    if (FfmpegAvailable()) {
      const auto peer = FfmpegLoudness(out);
      ASSERT_TRUE(peer);
      EXPECT_NEAR(peer->integratedLufs, target, 0.5);
      EXPECT_LE(peer->truePeakDbfs, LoudnessLeveler::kTruePeakCeilingDbtp);
    }
    EXPECT_TRUE(host.Messages().empty());
  }
};

TEST_F(LoudnessLevelerTest, AQuietSongIsRaisedToTheTargetAndTheMixStaysAsItWas) {
  WriteWav(in, Song(12, 1500, 1));
  const std::string before = ReadFileBytes(in);
  LoudnessLeveler::Measure m;
  ASSERT_TRUE(LoudnessLeveler::MeasureFile(in, m));
  ASSERT_LT(m.lufs, -28);
  ExpectLeveled(LoudnessLeveler::kDefaultTargetLufs);
  EXPECT_EQ(ReadFileBytes(in), before);
  // Another target, lower than the song, lowers it.
  WriteWav(in, Song(12, 30000, 2));
  ExpectLeveled(-23.0);
}

TEST_F(LoudnessLevelerTest, ALoudDenseSongWithPeaksBetweenSamplesIsLimitedUnderTheCeiling) {
  WriteWav(in, LoudDense(10));
  LoudnessLeveler::Measure m;
  ASSERT_TRUE(LoudnessLeveler::MeasureFile(in, m));
  ASSERT_GT(m.truePeakDbtp, 0.5);  // the tone's crests lie above full scale
  ASSERT_GT(m.lufs, -12);
  ExpectLeveled(LoudnessLeveler::kDefaultTargetLufs);
  // Raised hard, the limiter works on every beat and the loudness still
  // comes out right.
  WriteWav(in, Song(12, 9000, 3));
  ExpectLeveled(-9.0);
}

TEST_F(LoudnessLevelerTest, SilenceAndTooQuietSoundsGetNoEndlessGain) {
  WriteWav(in, std::vector<int16_t>(2 * kRate * 3, 0));
  LoudnessLeveler leveler;
  ASSERT_TRUE(leveler.Level(in, out));
  EXPECT_EQ(leveler.Result().gainDb, 0);
  // As many frames, all of them still silent.
  const std::string silent = ReadFileBytes(out);
  ASSERT_EQ(silent.size(), 46u + 2 * kRate * 3 * 2);
  EXPECT_EQ(silent.find_first_not_of('\0', 46), std::string::npos);
  EXPECT_TRUE(std::isinf(leveler.Result().output.lufs));

  // A whisper far under the target is raised by the most allowed, no more.
  WriteWav(in, Song(6, 12, 4));
  ASSERT_TRUE(leveler.Level(in, out));
  EXPECT_LE(leveler.Result().gainDb, LoudnessLeveler::kMaxGainDb);
  EXPECT_LT(leveler.Result().output.lufs, -20);
  // Shorter than one measuring block: nothing to measure, nothing raised.
  WriteWav(in, Song(0.1, 3000, 5));
  ASSERT_TRUE(leveler.Level(in, out));
  EXPECT_EQ(leveler.Result().gainDb, 0);
  EXPECT_TRUE(host.Messages().empty());
}

TEST_F(LoudnessLevelerTest, WhatItCannotReadIsRefusedWithAMessage) {
  WriteWav(in, std::vector<int16_t>(2000, 100), 8);
  LoudnessLeveler leveler;
  EXPECT_FALSE(leveler.Level(in, out));
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_NE(host.Messages()[0].find(in), std::string::npos);
  host.Clear();
  WriteFileBytes(in, "not a wave file at all");
  EXPECT_FALSE(leveler.Level(in, out));
  EXPECT_FALSE(host.Messages().empty());
}

}  // namespace
}  // namespace crx::test
