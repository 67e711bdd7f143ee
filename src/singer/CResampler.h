#pragma once

#include <span>
#include <string>
#include <vector>

namespace crx {

// Band-limited sample-rate conversion of a whole mono signal (libsoxr, high
// quality): the result holds round(size * outRate / inRate) samples.
class CResampler {
 public:
  static bool Resample(std::span<const float> in, double inRate, double outRate,
                       std::vector<float>& out, std::string& error);
};

}  // namespace crx
