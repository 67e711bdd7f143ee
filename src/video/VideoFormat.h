#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace crx {

// The kinds of video the maker writes, chosen by the file's extension:
// ".wmv" (ASF with Windows Media Video 8 and Windows Media Audio 2) and ".mp4"
// (H.264 and AAC, its index at the front for playing while loading).
class VideoFormat {
 public:
  static constexpr std::string_view kWmvExtension = ".wmv";
  static constexpr std::string_view kMp4Extension = ".mp4";

  // The format for the video path's extension (letter case aside), or none.
  static std::optional<VideoFormat> ForPath(std::string_view path);

  std::string_view Extension() const { return extension_; }
  // ffmpeg's names: the muxer and the two encoders.
  std::string_view Muxer() const { return muxer_; }
  std::string_view VideoEncoder() const { return videoEncoder_; }
  std::string_view AudioEncoder() const { return audioEncoder_; }
  // The codec options of ffmpeg's command line for a frame size.
  std::vector<std::string> CodecArguments(int width, int height) const;

 private:
  VideoFormat(std::string_view extension, std::string_view muxer, std::string_view video,
              std::string_view audio)
      : extension_(extension), muxer_(muxer), videoEncoder_(video), audioEncoder_(audio) {}

  std::string_view extension_;
  std::string_view muxer_;
  std::string_view videoEncoder_;
  std::string_view audioEncoder_;
};

}  // namespace crx
