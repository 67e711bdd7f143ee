#pragma once

#include <string>

namespace crx {

// The tests' reference mix, kept beside the product's one to check it.
// Writes the sample-wise sum of two 44100 Hz, 2-channel, 16-bit WAV files,
// as long as the longer one; any other format is refused with "CWaveMix" and
// nothing is written. The whole work is done by the constructor.
class CWaveMix {
 public:
  static constexpr int kRate = 44100;
  static constexpr int kChannels = 2;
  static constexpr int kBits = 16;

  CWaveMix(const std::string& firstPath, const std::string& secondPath,
           const std::string& outputPath);
  ~CWaveMix() = default;

  // True when the output was written whole.
  bool Written() const { return written_; }

 private:
  bool written_ = false;
};

}  // namespace crx
