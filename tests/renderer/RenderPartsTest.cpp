#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "audio/CWaveImage.h"
#include "foundation/FileHelpers.h"
#include "midi/renderer/PrepareMidi.h"
#include "renderer/AccompanimentRenderer.h"
#include "renderer/LoudnessNormalizer.h"
#include "renderer/SampleSpool.h"
#include "renderer/WavFileWriter.h"
#include "support/platform/TempFolder.h"
#include "support/renderer/GmArrangement.h"
#include "support/renderer/RenderProbe.h"

namespace crx::renderer {
namespace {

TEST(SampleSpool, WhatDoesNotFitInMemoryIsReadBackFromTheFileAcrossTheBorder) {
  SampleSpool spool(10);
  std::vector<float> written;
  for (int block = 0; block < 3; ++block) {
    std::vector<float> samples(7);
    for (float& s : samples) s = static_cast<float>(written.size() + (&s - samples.data()));
    ASSERT_TRUE(spool.Append(samples));
    written.insert(written.end(), samples.begin(), samples.end());
  }
  EXPECT_TRUE(spool.Spilled());
  EXPECT_EQ(spool.Size(), 21u);
  std::vector<float> out(21);
  ASSERT_TRUE(spool.Read(0, out));
  EXPECT_EQ(out, written);
  out.assign(8, 0);
  ASSERT_TRUE(spool.Read(6, out));
  EXPECT_EQ(out, std::vector<float>(written.begin() + 6, written.begin() + 14));
  EXPECT_FALSE(spool.Read(15, out));  // past the end

  SampleSpool small;
  ASSERT_TRUE(small.Append(written));
  EXPECT_FALSE(small.Spilled());
}

TEST(LoudnessNormalizer, ASpoolThatSpillsToDiskGivesTheSameSamples) {
  auto level = [](size_t memorySamples) {
    LoudnessNormalizer::OverrideMemorySamples(memorySamples);
    LoudnessNormalizer n(44100, 70);
    EXPECT_TRUE(n.Open());
    std::vector<float> left(4096), right(4096);
    for (int block = 0; block < 40; ++block) {
      for (size_t i = 0; i < left.size(); ++i) {
        const double t = static_cast<double>(block * 4096 + static_cast<int>(i)) / 44100;
        left[i] = static_cast<float>(0.1 * std::sin(2 * M_PI * 440 * t));
        right[i] = static_cast<float>((i == 100 && block == 20) ? 0.9 : 0.05 * std::sin(t));
      }
      EXPECT_TRUE(n.Append(left, right));
    }
    std::vector<int16_t> out;
    EXPECT_TRUE(n.Finish([&out](std::span<const int16_t> b) {
      out.insert(out.end(), b.begin(), b.end());
      return true;
    }));
    LoudnessNormalizer::OverrideMemorySamples(0);
    return out;
  };
  const std::vector<int16_t> inMemory = level(0);
  EXPECT_EQ(inMemory.size(), 40u * 4096 * 2);
  EXPECT_EQ(level(5000), inMemory);
}

class WavFileWriterTest : public ::testing::Test {
 protected:
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path())) {
      names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  test::TempFolder dir;
};

TEST_F(WavFileWriterTest, WritesTheBytesOfAWavImageAndReplacesAFileOnlyWhenWhole) {
  const std::string path = dir.File("a.wav");
  test::WriteFileBytes(path, "an old render");
  std::vector<int16_t> samples = {0, 1, -1, 32767, -32768, 256, -256, 12345};
  {
    WavFileWriter writer(2, 44100);
    ASSERT_TRUE(writer.Open(path));
    ASSERT_TRUE(writer.Append(std::span(samples).first(4)));
    ASSERT_TRUE(writer.Append(std::span(samples).subspan(4)));
    // Until it is finished the old file stands.
    EXPECT_EQ(test::ReadFileBytes(path), "an old render");
    ASSERT_TRUE(writer.Finish());
  }
  CWaveImage image;
  image.SetFormat(2, 44100, 44100 * 4, 4, 16);
  std::vector<uint8_t> bytes;
  for (int16_t s : samples) {
    bytes.push_back(static_cast<uint8_t>(static_cast<uint16_t>(s)));
    bytes.push_back(static_cast<uint8_t>(static_cast<uint16_t>(s) >> 8));
  }
  image.TakeSamples(bytes, 4);
  std::vector<uint8_t> expected(image.FileLength());
  ASSERT_TRUE(image.Build(expected));
  EXPECT_EQ(test::ReadFileBytes(path), std::string(expected.begin(), expected.end()));

  // A writer given up before it finishes leaves the old file and nothing else.
  {
    WavFileWriter abandoned(2, 44100);
    ASSERT_TRUE(abandoned.Open(path));
    ASSERT_TRUE(abandoned.Append(samples));
  }
  EXPECT_EQ(test::ReadFileBytes(path), std::string(expected.begin(), expected.end()));
  EXPECT_EQ(Names(), std::vector<std::string>{"a.wav"});

  WavFileWriter nowhere(2, 44100);
  EXPECT_FALSE(nowhere.Open(dir.File("missing/a.wav")));
  EXPECT_EQ(nowhere.Error(), ENOENT);
}

// The synthesizer rendering its voices on threads of its own sounds as it
// does on one.
class ThreadedRenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (FileExists(test::kTestSoundFont) == 0) GTEST_SKIP() << "timgm6mb-soundfont is missing";
  }
  void TearDown() override { AccompanimentRenderer::SetSynthesizerThreads(0); }

  std::unique_ptr<AccompanimentRenderer> Load(int threads) {
    AccompanimentRenderer::SetSynthesizerThreads(threads);
    MidiSynthesizer::LoadResult result{};
    std::vector<std::string> tried;
    std::unique_ptr<AccompanimentRenderer> renderer = AccompanimentRenderer::Load(result, tried);
    EXPECT_TRUE(renderer);
    EXPECT_EQ(result, MidiSynthesizer::LoadResult::Loaded);
    return renderer;
  }
  test::WavProbe Render(const std::vector<uint8_t>& song, int threads) {
    std::unique_ptr<AccompanimentRenderer> renderer = Load(threads);
    if (!renderer) return {};
    const std::string wav = dir.File("t" + std::to_string(threads) + ".wav");
    int calls = 0;
    EXPECT_EQ(renderer->Render(song, wav, 70,
                               [&calls](AccompanimentRenderer::Phase, double) {
                                 ++calls;
                                 return true;
                               }),
              AccompanimentRenderer::Result::Done);
    EXPECT_GT(calls, 2);
    return test::WavProbe::Read(wav).value_or(test::WavProbe{});
  }

  test::TempFolder dir;
  test::ScopedSoundFont soundFont{test::kTestSoundFont};
};

TEST_F(ThreadedRenderTest, TwoOrFourThreadsRenderTheSameSoundAsOne) {
  std::optional<std::vector<uint8_t>> song =
      PrepareMidiBytes(test::GmArrangement(8, 100), 70, kAllChannelsOn, 0);
  ASSERT_TRUE(song);
  const test::WavProbe one = Render(*song, 1);
  ASSERT_GT(one.Seconds(), 8.0);
  ASSERT_GT(one.Peak(), 0.05);
  for (int threads : {2, 4}) {
    const test::WavProbe other = Render(*song, threads);
    ASSERT_EQ(other.samples.size(), one.samples.size()) << threads;
    int worst = 0;
    for (size_t i = 0; i < one.samples.size(); ++i) {
      worst = std::max(worst, std::abs(int{one.samples[i]} - int{other.samples[i]}));
    }
    // Rounding in another order at most.
    EXPECT_LE(worst, 2) << threads;
  }
}

TEST_F(ThreadedRenderTest, ACancelledRenderLeavesNoFile) {
  std::optional<std::vector<uint8_t>> song =
      PrepareMidiBytes(test::GmArrangement(4, 100), 70, kAllChannelsOn, 0);
  ASSERT_TRUE(song);
  std::unique_ptr<AccompanimentRenderer> renderer = Load(0);
  ASSERT_TRUE(renderer);
  EXPECT_EQ(renderer->Render(*song, dir.File("c.wav"), 70,
                             [](AccompanimentRenderer::Phase phase, double) {
                               return phase == AccompanimentRenderer::Phase::Open;
                             }),
            AccompanimentRenderer::Result::Cancelled);
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

}  // namespace
}  // namespace crx::renderer
