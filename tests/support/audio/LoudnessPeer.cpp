#include "support/audio/LoudnessPeer.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "support/platform/TempFolder.h"

namespace crx::test {
namespace {

constexpr const char* kFfmpeg = "/usr/bin/ffmpeg";

// The number after the last "key" of the summary.
std::optional<double> After(const std::string& text, const std::string& key) {
  const size_t at = text.rfind(key);
  if (at == std::string::npos) return std::nullopt;
  char* end = nullptr;
  const char* start = text.c_str() + at + key.size();
  const double v = std::strtod(start, &end);
  if (end == start) return std::nullopt;
  return v;
}

}  // namespace

bool FfmpegAvailable() { return access(kFfmpeg, X_OK) == 0; }

std::optional<LoudnessReading> FfmpegLoudness(const std::string& path) {
  const std::string cmd = std::string(kFfmpeg) + " -nostdin -hide_banner -nostats -i " +
                          ShellQuote(path) + " -af ebur128=peak=true -f null - 2>&1";
  FILE* p = popen(cmd.c_str(), "r");
  if (p == nullptr) return std::nullopt;
  std::string out;
  char buf[512];
  while (std::fgets(buf, sizeof buf, p) != nullptr) out += buf;
  if (pclose(p) != 0) return std::nullopt;
  const size_t summary = out.rfind("Summary:");
  if (summary == std::string::npos) return std::nullopt;
  const std::string tail = out.substr(summary);
  const auto lufs = After(tail, "I:");
  const auto peak = After(tail, "Peak:");
  if (!lufs || !peak) return std::nullopt;
  return LoudnessReading{*lufs, *peak};
}

}  // namespace crx::test
