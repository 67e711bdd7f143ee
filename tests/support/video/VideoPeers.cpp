#include "support/video/VideoPeers.h"

#include <unistd.h>

#include <cstdlib>
#include <sstream>

#include "platform/Process.h"
#include "support/audio/WavBuilder.h"
#include "support/platform/TempFolder.h"

namespace crx::test {
namespace {

std::string Output(const std::string& program, const std::vector<std::string>& args,
                   std::string* errors = nullptr) {
  std::string out;
  Process::CaptureOptions options;
  options.onOutputLine = [&out](std::string_view line) {
    out.append(line);
    out.push_back('\n');
  };
  const auto result = Process::StartAndCapture(program, args, options);
  if (errors != nullptr) *errors = result.errorOutput;
  return out;
}

std::string Entry(const std::string& text, const std::string& key) {
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.starts_with(key + "=")) return line.substr(key.size() + 1);
  }
  return {};
}

std::string Probe(const std::string& path, const std::vector<std::string>& what) {
  std::vector<std::string> args{"-v", "error"};
  args.insert(args.end(), what.begin(), what.end());
  args.insert(args.end(), {"-of", "default=nw=1", path});
  return Output("ffprobe", args);
}

std::vector<std::string> Utf8Characters(std::string_view text) {
  std::vector<std::string> out;
  for (size_t i = 0; i < text.size();) {
    size_t len = 1;
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0xF0)
      len = 4;
    else if (c >= 0xE0)
      len = 3;
    else if (c >= 0xC0)
      len = 2;
    out.emplace_back(text.substr(i, len));
    i += len;
  }
  return out;
}

}  // namespace

bool ProgramAvailable(std::string_view name) {
  const char* path = std::getenv("PATH");
  std::istringstream folders(path != nullptr ? path : "");
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    if (!folder.empty() && access((folder + "/" + std::string(name)).c_str(), X_OK) == 0) {
      return true;
    }
  }
  return false;
}

VideoProbe ProbeVideo(const std::string& path) {
  VideoProbe p;
  const std::string format = Probe(path, {"-show_entries", "format=format_name,duration"});
  p.format = Entry(format, "format_name");
  const std::string duration = Entry(format, "duration");
  p.duration = duration.empty() ? 0 : std::atof(duration.c_str());
  const std::string video =
      Probe(path, {"-select_streams", "v:0", "-show_entries", "stream=codec_name,width,height"});
  p.videoCodec = Entry(video, "codec_name");
  p.width = std::atoi(Entry(video, "width").c_str());
  p.height = std::atoi(Entry(video, "height").c_str());
  p.audioCodec = Entry(
      Probe(path, {"-select_streams", "a:0", "-show_entries", "stream=codec_name"}), "codec_name");
  return p;
}

std::string DecodeErrors(const std::string& path) {
  std::string errors;
  Output("ffmpeg", {"-nostdin", "-v", "error", "-i", path, "-f", "null", "-"}, &errors);
  return errors;
}

std::vector<unsigned char> FramePixels(const std::string& path, double seconds) {
  TempFolder tmp;
  const std::string raw = tmp.File("frame.rgb");
  Output("ffmpeg", {"-nostdin", "-v", "error", "-ss", std::to_string(seconds), "-i", path,
                    "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "rgb24", raw});
  const std::string bytes = ReadFileBytes(raw);
  return {bytes.begin(), bytes.end()};
}

std::optional<std::string> FrameText(const std::string& path, double seconds) {
  if (!ProgramAvailable("tesseract") || !ProgramAvailable("convert")) return std::nullopt;
  TempFolder tmp;
  const std::string frame = tmp.File("frame.png");
  const std::string clean = tmp.File("clean.png");
  Output("ffmpeg", {"-nostdin", "-v", "error", "-ss", std::to_string(seconds), "-i", path,
                    "-frames:v", "1", frame});
  Output("convert", {frame, "-colorspace", "gray", "-resize", "200%", "-threshold", "75%", clean});
  std::string text;
  for (char c : Output("tesseract", {clean, "-", "-l", "jpn", "--psm", "6"})) {
    if (c != ' ' && c != '\n' && c != '\r' && c != '\f') text.push_back(c);
  }
  return text;
}

double ShareRead(std::string_view expected, std::string_view read) {
  const auto chars = Utf8Characters(expected);
  if (chars.empty()) return 1;
  size_t found = 0;
  for (const std::string& c : chars) {
    if (read.find(c) != std::string_view::npos) ++found;
  }
  return static_cast<double>(found) / static_cast<double>(chars.size());
}

void WriteSilentWav(const std::string& path, double seconds) {
  const size_t frames = static_cast<size_t>(seconds * 44100);
  WavBuilder().Format(44100, 2, 16).Data(std::vector<uint8_t>(frames * 4, 0)).WriteTo(path);
}

}  // namespace crx::test
