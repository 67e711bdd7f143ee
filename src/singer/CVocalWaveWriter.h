#pragma once

#include <span>
#include <string>

namespace crx {

// Writes a mono voice as the vocal WAV (44100 Hz, 2 channels, 16 bits):
// first to a temporary file beside the target, renamed over it once whole,
// so that a failed write never leaves half a WAV under the target's name.
class CVocalWaveWriter {
 public:
  static constexpr int kChannels = 2;
  static constexpr int kBitsPerSample = 16;

  // False (with the reason shown) when the file could not be written.
  static bool Write(const std::string& path, std::span<const float> samples, int sampleRate);
};

}  // namespace crx
