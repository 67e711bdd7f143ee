#include "video/VideoEncoder.h"
#include "foundation/Diagnostics.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <sstream>

#include "foundation/FileHelpers.h"
#include "platform/Process.h"
#include "video/VideoMessages.h"
#include "video/VideoText.h"

namespace crx {
namespace {

constexpr std::string_view kSubtitleFilter = "ass";
constexpr std::string_view kFilePrefix = "file:";  // a path, never a protocol
constexpr std::string_view kProgressKey = "out_time_us=";
constexpr std::string_view kProgressEnd = "progress=end";
constexpr const char* kSystemFonts[] = {
    "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf",
    "/usr/share/fonts/truetype/fonts-japanese-gothic.ttf",
};
constexpr mode_t kFolderMode = 0700;

std::vector<std::string> Quiet(std::vector<std::string> args) {
  args.insert(args.begin(), {"-nostdin", "-hide_banner", "-v", "error"});
  return args;
}

std::string Seconds(double s) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.6f", s);
  return buf;
}

// The second word of each line of ffmpeg's tables ("-encoders", "-filters").
bool ListsName(const std::string& table, std::string_view name) {
  std::istringstream lines(table);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string flags;
    std::string word;
    if (words >> flags >> word && word == name) return true;
  }
  return false;
}

std::string LastLine(const std::string& text) {
  std::istringstream lines(text);
  std::string line;
  std::string last;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.find_first_not_of(" \t\r") != std::string::npos) last = line;
  }
  return last;
}

// A file name extension of letters and digits only, or none.
std::string PlainExtension(std::string_view path) {
  std::string ext = VideoText::LowerExtension(path);
  const bool plain = ext.size() > 1 && std::all_of(ext.begin() + 1, ext.end(), [](char c) {
                       return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
                     });
  return plain ? ext : std::string();
}

std::string Absolute(const std::string& path) {
  if (!path.empty() && path.front() == '/') return path;
  std::string here;
  if (!GetCurrentFolder(here)) return path;
  return JoinPath(here, path);
}

}  // namespace

VideoEncoder::VideoEncoder(VideoFormat format, std::string program)
    : format_(format), program_(std::move(program)) {}

bool VideoEncoder::Query(const std::vector<std::string>& args, std::string& output) const {
  Process::CaptureOptions options;
  options.onOutputLine = [&output](std::string_view line) {
    output.append(line);
    output.push_back('\n');
  };
  return Process::StartAndCapture(program_, args, options).status == 0;
}

bool VideoEncoder::CheckTools() const {
  std::string encoders;
  if (!Query({"-hide_banner", "-encoders"}, encoders)) {
    ReportPlain(kMsgFfmpegMissing);
    return false;
  }
  for (std::string_view name : {format_.VideoEncoder(), format_.AudioEncoder()}) {
    if (!ListsName(encoders, name)) {
      ReportPlain(VideoText::WithArgument(kMsgEncoderMissing, name));
      return false;
    }
  }
  std::string filters;
  if (!Query({"-hide_banner", "-filters"}, filters) || !ListsName(filters, kSubtitleFilter)) {
    ReportPlain(kMsgSubtitleFilterMissing);
    return false;
  }
  return true;
}

std::vector<std::string> VideoEncoder::FontCandidates(const std::string& startFolder) {
  std::vector<std::string> out;
  if (!startFolder.empty()) out.push_back(JoinPath(startFolder, kFontFileName));
  out.insert(out.end(), std::begin(kSystemFonts), std::end(kSystemFonts));
  return out;
}

std::string VideoEncoder::FindFont(const std::vector<std::string>& candidates) {
  for (const std::string& f : candidates) {
    if (FileExists(f)) return f;
  }
  ReportPlain(kMsgFontMissing);
  return {};
}

bool VideoEncoder::LinkFont(const std::string& fontFile, const std::string& scratchFolder) {
  const std::string folder = JoinPath(scratchFolder, kFontFolderName);
  if (mkdir(folder.c_str(), kFolderMode) != 0) return false;
  return symlink(Absolute(fontFile).c_str(), JoinPath(folder, kFontFileName).c_str()) == 0;
}

bool VideoEncoder::PrepareBackground(const std::string& imagePath, const std::string& scratchFolder,
                                     int width, int height) const {
  if (imagePath.empty() || !FileExists(imagePath)) return false;
  // The image under a plain name, so that no "%" in its path reads as a
  // numbered sequence.
  const std::string source = std::string(kSourceImageStem) + PlainExtension(imagePath);
  if (symlink(Absolute(imagePath).c_str(), JoinPath(scratchFolder, source).c_str()) != 0) {
    return false;
  }
  const std::string w = std::to_string(width);
  const std::string h = std::to_string(height);
  const std::string fit = "scale=" + w + ":" + h + ":force_original_aspect_ratio=decrease," +
                          "pad=" + w + ":" + h + ":(ow-iw)/2:(oh-ih)/2:color=white,setsar=1";
  Process::CaptureOptions options;
  options.workingFolder = scratchFolder;
  const auto result =
      Process::StartAndCapture(program_,
                               Quiet({"-y", "-i", source, "-frames:v", "1", "-vf", fit, "-pix_fmt",
                                      "bgr24", std::string(kBackgroundName)}),
                               options);
  return result.status == 0 && FileExists(JoinPath(scratchFolder, kBackgroundName));
}

std::vector<std::string> VideoEncoder::EncodeArguments(const Job& job) const {
  const std::string duration = Seconds(job.durationSeconds);
  const std::string fps = std::to_string(kFramesPerSecond);
  std::vector<std::string> args{"-y", "-nostats", "-progress", "pipe:1"};
  std::string frames;
  if (job.whiteBackground) {
    args.insert(args.end(), {"-f", "lavfi", "-i",
                             "color=c=white:s=" + std::to_string(job.width) + "x" +
                                 std::to_string(job.height) + ":r=" + fps + ":d=" + duration});
    frames = "[0:v]format=yuv420p";
  } else {
    // The background is read and converted once, then repeated, cut at the
    // WAV's length (-shortest alone runs over).
    args.insert(args.end(), {"-framerate", fps, "-i", std::string(kBackgroundName)});
    frames = "[0:v]format=yuv420p,loop=loop=-1:size=1:start=0,trim=duration=" + duration;
  }
  args.insert(args.end(), {"-i", std::string(kFilePrefix) + job.wavPath});
  args.insert(args.end(), {"-filter_complex",
                           frames + ",ass=" + std::string(kScriptName) +
                               ":fontsdir=" + std::string(kFontFolderName) + "[v]",
                           "-map", "[v]", "-map", "1:a"});
  const std::vector<std::string> codec = format_.CodecArguments(job.width, job.height);
  args.insert(args.end(), codec.begin(), codec.end());
  args.insert(args.end(), {"-t", duration, "-f", std::string(format_.Muxer()),
                           std::string(kFilePrefix) + job.outputPath});
  return Quiet(args);
}

int VideoEncoder::ProgressPercent(std::string_view line, double durationSeconds) {
  if (line == kProgressEnd) return 100;
  if (!line.starts_with(kProgressKey) || durationSeconds <= 0) return -1;
  line.remove_prefix(kProgressKey.size());
  long long us = 0;
  const auto [ptr, ec] = std::from_chars(line.data(), line.data() + line.size(), us);
  if (ec != std::errc() || ptr != line.data() + line.size() || us < 0) return -1;
  const double done = static_cast<double>(us) / 1e6 / durationSeconds;
  return static_cast<int>(std::clamp(done * 100, 0.0, 100.0));
}

bool VideoEncoder::Encode(const Job& job, const std::function<void(int)>& progress,
                          const std::function<bool()>& stop, std::string& error) const {
  Process::CaptureOptions options;
  options.workingFolder = job.scratchFolder;
  int shown = -1;
  options.onOutputLine = [&](std::string_view line) {
    const int percent = ProgressPercent(line, job.durationSeconds);
    if (percent > shown) {
      shown = percent;
      if (progress) progress(percent);
    }
  };
  options.shouldStop = stop;
  const auto result = Process::StartAndCapture(program_, EncodeArguments(job), options);
  if (result.status == Process::kStartFailed && result.errorOutput.empty()) {
    error = std::string(kMsgFfmpegMissing);
    return false;
  }
  error = LastLine(result.errorOutput);
  return result.status == 0 && FileExists(job.outputPath);
}

}  // namespace crx
