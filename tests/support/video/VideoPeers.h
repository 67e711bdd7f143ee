#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace crx::test {

// The real peers that check the videos: ffprobe, ffmpeg's decoder, and
// tesseract's Japanese OCR on frames.
bool ProgramAvailable(std::string_view name);  // on the PATH

struct VideoProbe {
  std::string format;
  std::string videoCodec;
  std::string audioCodec;
  int width = 0;
  int height = 0;
  double duration = 0;
};
VideoProbe ProbeVideo(const std::string& path);
// What ffmpeg says on standard error while decoding the whole file.
std::string DecodeErrors(const std::string& path);
// The frame at the time as 24-bit RGB pixels, row by row.
std::vector<unsigned char> FramePixels(const std::string& path, double seconds);
// The text tesseract (jpn) reads on the frame at the time, after the frame is
// turned grey, doubled and thresholded; blanks and line breaks removed.
// Nothing when tesseract or convert is missing.
std::optional<std::string> FrameText(const std::string& path, double seconds);
// The share of the expected text's characters found in the read text.
double ShareRead(std::string_view expected, std::string_view read);
// A silent 44,100 Hz 16-bit stereo WAV of the length.
void WriteSilentWav(const std::string& path, double seconds);

}  // namespace crx::test
