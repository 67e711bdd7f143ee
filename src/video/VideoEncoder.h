#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "video/VideoFormat.h"

namespace crx {

// The encoder behind the video maker: ffmpeg, started with an argument
// vector. It burns the subtitle script into the looped background with the
// ass filter (libass) and muxes the mixed WAV beside it. ffmpeg runs in a
// scratch folder that holds the script, the font and the prepared background
// under plain names, so that no user path ever sits inside a filter graph.
class VideoEncoder {
 public:
  static constexpr std::string_view kDefaultProgram = "ffmpeg";
  static constexpr int kFramesPerSecond = 30;
  static constexpr std::string_view kScriptName = "lyrics.ass";
  static constexpr std::string_view kFontFolderName = "fonts";
  static constexpr std::string_view kFontFileName = "ipag.ttf";
  static constexpr std::string_view kBackgroundName = "background.bmp";
  static constexpr std::string_view kSourceImageStem = "source";

  struct Job {
    std::string wavPath;        // absolute
    std::string outputPath;     // absolute
    std::string scratchFolder;  // the script, the font folder, the background
    bool whiteBackground = false;
    int width = 0;
    int height = 0;
    double durationSeconds = 0;
  };

  explicit VideoEncoder(VideoFormat format, std::string program = std::string(kDefaultProgram));

  // ffmpeg answers, has both encoders of the format and the ass filter.
  // False after a message naming what is missing.
  bool CheckTools() const;
  // The Japanese font files looked for, in this order: one in the start
  // folder, then the system's IPA Gothic.
  static std::vector<std::string> FontCandidates(const std::string& startFolder);
  // The first candidate that exists; empty after a message when none does.
  static std::string FindFont(const std::vector<std::string>& candidates);
  // Puts the font where the script's font folder is looked for. False when
  // the folder or its link cannot be made.
  static bool LinkFont(const std::string& fontFile, const std::string& scratchFolder);

  // Scales the image into the frame, keeping its proportions, pads it with
  // white and stores it as the scratch folder's background. False when ffmpeg
  // cannot read the image.
  bool PrepareBackground(const std::string& imagePath, const std::string& scratchFolder, int width,
                         int height) const;

  // ffmpeg's arguments for the job (run in the scratch folder).
  std::vector<std::string> EncodeArguments(const Job& job) const;
  // Encodes, calling progress with 0 to 100 as ffmpeg reports its position;
  // stop is asked now and then and ends the encode when it answers true.
  // False on failure, with ffmpeg's last words in error.
  bool Encode(const Job& job, const std::function<void(int percent)>& progress,
              const std::function<bool()>& stop, std::string& error) const;

  // Percent done for a line of ffmpeg's progress report, or -1 when the line
  // tells no position.
  static int ProgressPercent(std::string_view line, double durationSeconds);

  const VideoFormat& Format() const { return format_; }

 private:
  // Standard output of ffmpeg with the arguments; false when it did not start
  // or failed.
  bool Query(const std::vector<std::string>& args, std::string& output) const;

  VideoFormat format_;
  std::string program_;
};

}  // namespace crx
