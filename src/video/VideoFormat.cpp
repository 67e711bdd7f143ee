#include "video/VideoFormat.h"

#include <algorithm>
#include <cmath>

#include "video/VideoText.h"

namespace crx {
namespace {

// Windows Media Video 8 gets 2,000 kbit/s at 640 x 480, and the same bits per
// pixel at other sizes.
constexpr double kWmvKbpsPerPixel = 2000.0 / (640 * 480);
constexpr int kMinWmvKbps = 500;
constexpr const char* kAudioKbps = "192k";
constexpr const char* kSampleRate = "44100";
constexpr const char* kAudioChannels = "2";

}  // namespace

std::optional<VideoFormat> VideoFormat::ForPath(std::string_view path) {
  const std::string ext = VideoText::LowerExtension(path);
  if (ext == kWmvExtension) return VideoFormat(kWmvExtension, "asf", "wmv2", "wmav2");
  if (ext == kMp4Extension) return VideoFormat(kMp4Extension, "mp4", "libx264", "aac");
  return std::nullopt;
}

std::vector<std::string> VideoFormat::CodecArguments(int width, int height) const {
  std::vector<std::string> args{"-c:v", std::string(videoEncoder_)};
  if (extension_ == kWmvExtension) {
    const long kbps = std::max<long>(
        kMinWmvKbps, std::lround(kWmvKbpsPerPixel * static_cast<double>(width) * height));
    args.insert(args.end(), {"-b:v", std::to_string(kbps) + "k"});
  } else {
    args.insert(args.end(), {"-preset", "superfast", "-crf", "20", "-tune", "stillimage"});
  }
  args.insert(args.end(), {"-c:a", std::string(audioEncoder_), "-b:a", kAudioKbps, "-ar",
                           kSampleRate, "-ac", kAudioChannels});
  if (extension_ == kMp4Extension) args.insert(args.end(), {"-movflags", "+faststart"});
  return args;
}

}  // namespace crx
