#include <gtest/gtest.h>

#include "audio/SampleSteps.h"
#include "support/audio/AudioSamples.h"

namespace crx::test {
namespace {

std::vector<std::pair<size_t, int32_t>> NonZero(const std::vector<int32_t>& y) {
  std::vector<std::pair<size_t, int32_t>> out;
  for (size_t i = 0; i < y.size(); ++i) {
    if (y[i] != 0) out.emplace_back(i, y[i]);
  }
  return out;
}

std::vector<int32_t> Impulse(size_t count, size_t at, int32_t value) {
  std::vector<int32_t> x(count, 0);
  x[at] = value;
  return x;
}

using Hits = std::vector<std::pair<size_t, int32_t>>;

TEST(ScaleSamples, TruncatesTowardZeroAndSaturates) {
  std::vector<uint8_t> b = SampleBytes({-3, 3, 1001, -1001, 7, 8});
  b.push_back(0xAB);  // a partial frame stays as it is
  ScaleSamples(b, 0.5);
  EXPECT_EQ(SamplesOf(b), (std::vector<int16_t>{-1, 1, 500, -500, 3, 4}));
  EXPECT_EQ(b.back(), 0xAB);

  std::vector<uint8_t> loud = SampleBytes({20000, -20000, 16383, -16384});
  ScaleSamples(loud, 2.0);
  EXPECT_EQ(SamplesOf(loud), (std::vector<int16_t>{32767, -32768, 32766, -32768}));

  const std::vector<uint8_t> original = SampleBytes({-32768, 32767, -1, 1});
  std::vector<uint8_t> same = original;
  ScaleSamples(same, 1.0);
  EXPECT_EQ(same, original);
  ScaleSamples(same, 0.0);
  EXPECT_EQ(SamplesOf(same), (std::vector<int16_t>{0, 0, 0, 0}));
}

TEST(ApplyReverb, ImpulseAnswersOfOneTwoAndThreeTaps) {
  EXPECT_EQ(NonZero(ApplyReverb(Impulse(200, 0, 1000), 1)), (Hits{{0, 1000}, {40, 600}}));
  EXPECT_EQ(NonZero(ApplyReverb(Impulse(200, 0, 1000), 2)),
            (Hits{{0, 1000}, {80, 600}, {128, 480}}));
  EXPECT_EQ(NonZero(ApplyReverb(Impulse(300, 0, 1000), 3)),
            (Hits{{0, 1000}, {120, 600}, {192, 480}, {228, 384}}));
  EXPECT_EQ(NonZero(ApplyReverb(Impulse(100, 10, -1000), 1)), (Hits{{10, -1000}, {50, -600}}));
  EXPECT_EQ(ApplyReverb(Impulse(100, 10, 5), 0), Impulse(100, 10, 5));
}

TEST(ApplyReverb, ThirtyTwoTapsShrinkTheirDelaysToZero) {
  const std::vector<int32_t> y = ApplyReverb(Impulse(3000, 0, 1000), 32);
  // The first delays 1280, 2048, 2457, 2620 (twice: 552 = 307 + 245), 2514.
  EXPECT_EQ(y[1280], 600);
  EXPECT_EQ(y[2048], 480);
  EXPECT_EQ(y[2457], 384);
  EXPECT_EQ(y[2620], 552);
  EXPECT_EQ(y[2514], 196);
  // Taps whose delay has reached 0 add to the sample itself.
  EXPECT_EQ(y[0], 1001);
  EXPECT_EQ(y[28], 1);
  // More than 32 taps count as 32.
  EXPECT_EQ(ApplyReverb(Impulse(3000, 0, 1000), 99), y);
}

TEST(ApplyReverb, EchoesPastTheEndAreLost) {
  EXPECT_EQ(NonZero(ApplyReverb(Impulse(100, 60, 1000), 1)), (Hits{{60, 1000}}));
  EXPECT_EQ(NonZero(ApplyReverb(Impulse(100, 59, 1000), 1)), (Hits{{59, 1000}, {99, 600}}));
  EXPECT_EQ(ApplyReverb(std::vector<int32_t>{}, 32), std::vector<int32_t>{});
}

std::vector<StereoFrame> Trimmed(const std::vector<StereoFrame>& frames) {
  std::vector<uint8_t> bytes = FrameBytes(frames);
  TrimSilence(bytes);
  const std::vector<int16_t> s = SamplesOf(bytes);
  std::vector<StereoFrame> out;
  for (size_t i = 0; i + 1 < s.size(); i += 2) out.emplace_back(s[i], s[i + 1]);
  return out;
}

TEST(TrimSilence, SoftStartAndTrailingSilence) {
  const auto frames =
      Join({Repeat({0, 0}, 10), {{-4, 0}, {3, 0}}, Repeat({100, 100}, 100), Repeat({0, 0}, 200)});
  const auto kept = Trimmed(frames);
  ASSERT_EQ(kept.size(), 166u);
  EXPECT_EQ(kept.front(), StereoFrame(3, 0));
  EXPECT_EQ(kept[100], StereoFrame(100, 100));
  EXPECT_EQ(kept[101], StereoFrame(0, 0));
}

TEST(TrimSilence, AStartBeyondTheQuietRangeIsNeverCutAtTheEnd) {
  const auto kept = Trimmed(Join({Repeat({0, 0}, 10), {{50, 50}}, Repeat({0, 0}, 100)}));
  ASSERT_EQ(kept.size(), 101u);
  EXPECT_EQ(kept.front(), StereoFrame(50, 50));
}

TEST(TrimSilence, AllSilentAndEmptyDataBecomeEmpty) {
  EXPECT_TRUE(Trimmed(Repeat({2, -2}, 500)).empty());
  EXPECT_TRUE(Trimmed({}).empty());
  std::vector<uint8_t> partial = {1, 2, 3};
  TrimSilence(partial);
  EXPECT_TRUE(partial.empty());
}

TEST(TrimSilence, APauseInTheMiddleKeepsWhatFollowsIt) {
  // 100 near-silent frames (2.3 ms) between two loud passages.
  const auto frames = Join({Repeat({0, 0}, 10),
                            {{-4, 0}, {3, 0}},
                            Repeat({100, 100}, 100),
                            Repeat({0, 0}, 100),
                            Repeat({-200, 200}, 50),
                            Repeat({0, 0}, 300)});
  const auto kept = Trimmed(frames);
  ASSERT_EQ(kept.size(), 1u + 100 + 100 + 50 + 65);
  EXPECT_EQ(kept[201], StereoFrame(-200, 200));
}

TEST(TrimSilence, ATrailingRunOf64QuietFramesIsKept) {
  const auto head = Join({{{-4, 0}, {3, 0}}, Repeat({100, 100}, 10), {{0, 0}}});
  EXPECT_EQ(Trimmed(Join({head, Repeat({1, 1}, 64)})).size(), 1u + 10 + 1 + 64);
  EXPECT_EQ(Trimmed(Join({head, Repeat({1, 1}, 65)})).size(), 1u + 10 + 1 + 64);
  EXPECT_EQ(Trimmed(Join({head, Repeat({1, 1}, 66)})).size(), 1u + 10 + 1 + 64);
}

}  // namespace
}  // namespace crx::test

namespace crx::test {
namespace {

// The reverb as first formulated: N + 1 arrays of F + N x D values, summed.
std::vector<int32_t> ReferenceReverb(const std::vector<int32_t>& x, int taps) {
  const size_t f = x.size();
  int d = 40 * taps;
  std::vector<int32_t> y(f + static_cast<size_t>(taps) * d, 0);
  std::copy(x.begin(), x.end(), y.begin());
  double g = 0.6;
  for (int k = 1; k <= taps; ++k) {
    for (size_t i = 0; i < f; ++i)
      y[static_cast<size_t>(k) * d + i] += static_cast<int32_t>(g * x[i]);
    g *= 0.8;
    d = static_cast<int>(d * 0.8);
  }
  y.resize(f);
  return y;
}

TEST(ApplyReverb, BlocksAndBothChannelsGiveTheFormulatedResult) {
  const std::vector<int16_t> signal = TestSignal(30000, 9, 30000);  // crosses blocks
  std::vector<int32_t> left, right;
  for (size_t i = 0; i < signal.size(); i += 2) {
    left.push_back(signal[i]);
    right.push_back(signal[i + 1]);
  }
  for (int taps : {1, 5, 17, 32}) {
    SCOPED_TRACE(taps);
    const std::vector<int32_t> l = ReferenceReverb(left, taps);
    const std::vector<int32_t> r = ReferenceReverb(right, taps);
    EXPECT_EQ(ApplyReverb(left, taps), l);
    std::vector<uint8_t> frames = SampleBytes(signal);
    ApplyReverbToFrames(frames, taps);
    const std::vector<int16_t> got = SamplesOf(frames);
    size_t mismatches = 0;
    bool saturated = false;
    for (size_t i = 0; i < l.size(); ++i) {
      saturated = saturated || l[i] > 32767 || l[i] < -32768;
      if (got[2 * i] != std::clamp(l[i], -32768, 32767)) ++mismatches;
      if (got[2 * i + 1] != std::clamp(r[i], -32768, 32767)) ++mismatches;
    }
    EXPECT_EQ(mismatches, 0u);
    if (taps == 32) {
      EXPECT_TRUE(saturated);  // the loud signal reaches the limits
    }
  }
}

}  // namespace
}  // namespace crx::test
