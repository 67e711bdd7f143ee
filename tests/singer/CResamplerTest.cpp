#include <gtest/gtest.h>

#include <soxr.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "singer/CResampler.h"

namespace crx {
namespace {

// A signal longer than the pieces it is fed in (a tone, silence, a chirp)
// comes out exactly twice as long, sample for sample what the resampler
// gives in one piece, without delay: every second output sample is the
// input sample.
TEST(ResamplerTest, ALongSignalIsResampledInPiecesAsInOneWithoutDelay) {
  const double rate = 22050;
  std::vector<float> in(static_cast<size_t>(7.3 * rate), 0.0f);
  for (size_t n = 0; n < in.size(); ++n) {
    const double t = static_cast<double>(n) / rate;
    if (t < 3) in[n] = static_cast<float>(0.5 * std::sin(2 * std::numbers::pi * 440 * t));
    if (t > 4)
      in[n] = static_cast<float>(0.3 * std::sin(2 * std::numbers::pi * (200 + 300 * t) * t));
  }
  std::vector<float> out;
  std::string error;
  ASSERT_TRUE(CResampler::Resample(in, rate, 2 * rate, out, error)) << error;
  ASSERT_EQ(out.size(), 2 * in.size());

  std::vector<float> whole(out.size(), 0.0f);
  const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
  const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
  size_t used = 0, made = 0;
  ASSERT_EQ(soxr_oneshot(rate, 2 * rate, 1, in.data(), in.size(), &used, whole.data(), whole.size(),
                         &made, &io, &quality, nullptr),
            nullptr);
  double worst = 0;
  for (size_t n = 0; n < out.size(); ++n)
    worst = std::max(worst, double{std::fabs(out[n] - whole[n])});
  EXPECT_LT(worst, 1e-5);
  // Away from where the tone and the chirp start and stop abruptly.
  worst = 0;
  for (size_t n = 1000; n + 1000 < in.size(); ++n) {
    const double t = static_cast<double>(n) / rate;
    if (std::fabs(t - 3) < 0.1 || std::fabs(t - 4) < 0.1) continue;
    worst = std::max(worst, double{std::fabs(out[2 * n] - in[n])});
  }
  EXPECT_LT(worst, 1e-3);
}

}  // namespace
}  // namespace crx
