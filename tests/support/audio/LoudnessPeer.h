#pragma once

#include <optional>
#include <string>

namespace crx::test {

// ffmpeg's own loudness meter (the ebur128 filter with true peaks) on any
// file it decodes: WAV, MP3, the sound of a video.
struct LoudnessReading {
  double integratedLufs = 0;
  double truePeakDbfs = 0;
};
bool FfmpegAvailable();
std::optional<LoudnessReading> FfmpegLoudness(const std::string& path);

}  // namespace crx::test
