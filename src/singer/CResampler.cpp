#include "singer/CResampler.h"

#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace crx {
namespace {

// Input is fed in pieces of this many samples, so that the resampler's own
// buffers stay small however long the signal (one whole song in one piece
// makes it grow its buffers over and over).
constexpr size_t kPieceSamples = 1 << 16;

struct SoxrDelete {
  void operator()(soxr_t s) const { soxr_delete(s); }
};

}  // namespace

bool CResampler::Resample(std::span<const float> in, double inRate, double outRate,
                          std::vector<float>& out, std::string& error) {
  const size_t want =
      static_cast<size_t>(std::llround(static_cast<double>(in.size()) * outRate / inRate));
  out.assign(want, 0.0f);
  if (in.empty() || want == 0) return true;
  const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
  const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
  soxr_error_t e = nullptr;
  const std::unique_ptr<struct soxr, SoxrDelete> resampler(
      soxr_create(inRate, outRate, 1, &e, &io, &quality, nullptr));
  if (e != nullptr || !resampler) {
    error = std::string("resampling failed: ") + (e != nullptr ? e : "no resampler");
    return false;
  }
  size_t used = 0, made = 0;
  while (made < out.size()) {
    // After the last piece, no input: the resampler gives what it holds.
    const bool flushing = used >= in.size();
    const size_t piece = flushing ? 0 : std::min(kPieceSamples, in.size() - used);
    size_t taken = 0, given = 0;
    e = soxr_process(resampler.get(), flushing ? nullptr : in.data() + used, piece, &taken,
                     out.data() + made, out.size() - made, &given);
    if (e != nullptr) {
      error = std::string("resampling failed: ") + e;
      return false;
    }
    used += taken;
    made += given;
    if (given == 0 && (flushing || taken == 0)) break;
  }
  return true;
}

}  // namespace crx
