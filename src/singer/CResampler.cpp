#include "singer/CResampler.h"

#include <soxr.h>

#include <cmath>

namespace crx {

bool CResampler::Resample(std::span<const float> in, double inRate, double outRate,
                          std::vector<float>& out, std::string& error) {
  const size_t want =
      static_cast<size_t>(std::llround(static_cast<double>(in.size()) * outRate / inRate));
  out.assign(want, 0.0f);
  if (in.empty() || want == 0) return true;
  const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
  const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
  size_t used = 0, made = 0;
  const soxr_error_t e = soxr_oneshot(inRate, outRate, 1, in.data(), in.size(), &used, out.data(),
                                      out.size(), &made, &io, &quality, nullptr);
  if (e != nullptr) {
    error = std::string("resampling failed: ") + e;
    return false;
  }
  return true;
}

}  // namespace crx
