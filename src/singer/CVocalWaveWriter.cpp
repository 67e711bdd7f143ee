#include "singer/CVocalWaveWriter.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <vector>

#include "audio/CWaveFile.h"
#include "foundation/FileFailure.h"
#include "foundation/SystemReason.h"

namespace crx {
namespace {
constexpr size_t kFramesPerWrite = 16384;
constexpr float kFullScale = 32767.0f;
}  // namespace

bool CVocalWaveWriter::Write(const std::string& path, std::span<const float> samples,
                             int sampleRate) {
  const std::string temporary = path + ".part" + std::to_string(getpid());
  bool written = false;
  int failure = 0;
  {
    CWaveFile wave(kChannels, sampleRate, kBitsPerSample);
    written = wave.Open(CWaveFile::kModeWrite, temporary) == 0;
    std::vector<uint8_t> bytes;
    for (size_t from = 0; from < samples.size() && written; from += kFramesPerWrite) {
      const size_t to = std::min(samples.size(), from + kFramesPerWrite);
      bytes.clear();
      for (size_t n = from; n < to; ++n) {
        const float v = std::clamp(samples[n], -1.0f, 1.0f) * kFullScale;
        const auto s = static_cast<int16_t>(std::lround(v));
        for (int c = 0; c < kChannels; ++c) {
          bytes.push_back(static_cast<uint8_t>(s & 0xFF));
          bytes.push_back(static_cast<uint8_t>((s >> 8) & 0xFF));
        }
      }
      written = wave.Write(bytes) == bytes.size();
    }
    if (!wave.Close()) written = false;
    failure = wave.LastError();
  }
  if (written) {
    if (std::rename(temporary.c_str(), path.c_str()) == 0) return true;
    failure = errno;
  }
  std::remove(temporary.c_str());
  FileFailure::Report(WithSystemReason("CantorixSinger: cannot write " + path, failure),
                      FileFailure::OfWriting(failure));
  return false;
}

}  // namespace crx
