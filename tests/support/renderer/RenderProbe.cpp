#include "support/renderer/RenderProbe.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "foundation/ByteReader.h"
#include "support/platform/TempFolder.h"

namespace crx::test {

std::optional<WavProbe> WavProbe::Read(const std::string& path) {
  std::string bytes = ReadFileBytes(path);
  ByteReader r(bytes.data(), bytes.size());
  std::string riff, wave, fmt, data;
  uint32_t riffSize = 0, fmtSize = 0, byteRate = 0, dataSize = 0;
  uint16_t blockAlign = 0;
  WavProbe w;
  if (!r.Text(4, riff) || !r.U32LE(riffSize) || !r.Text(4, wave) || !r.Text(4, fmt) ||
      !r.U32LE(fmtSize) || !r.U16LE(w.formatTag) || !r.U16LE(w.channels) ||
      !r.U32LE(w.sampleRate) || !r.U32LE(byteRate) || !r.U16LE(blockAlign) ||
      !r.U16LE(w.bitsPerSample) || !r.Text(4, data) || !r.U32LE(dataSize)) {
    return std::nullopt;
  }
  if (riff != "RIFF" || wave != "WAVE" || fmt != "fmt " || data != "data") return std::nullopt;
  if (dataSize > r.Remaining()) return std::nullopt;
  w.samples.resize(dataSize / 2);
  for (int16_t& s : w.samples) r.I16LE(s);
  return w;
}

double WavProbe::Seconds() const {
  if (channels == 0 || sampleRate == 0) return 0;
  return static_cast<double>(samples.size()) / channels / sampleRate;
}

double WavProbe::Peak() const {
  int peak = 0;
  for (int16_t s : samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
  return peak / 32768.0;
}

double WavProbe::Rms() const {
  if (samples.empty()) return 0;
  double sum = 0;
  for (int16_t s : samples) sum += static_cast<double>(s) * s;
  return std::sqrt(sum / static_cast<double>(samples.size())) / 32768.0;
}

std::optional<double> WavProbe::FirstSound(double threshold) const {
  const int limit = static_cast<int>(threshold * 32768);
  for (size_t i = 0; i < samples.size(); ++i) {
    if (std::abs(static_cast<int>(samples[i])) >= limit) {
      return static_cast<double>(i / channels) / sampleRate;
    }
  }
  return std::nullopt;
}

ScopedSoundFont::ScopedSoundFont(const char* path) {
  const char* old = std::getenv("CANTORIX_SOUNDFONT");
  if (old != nullptr) previous_ = old;
  if (path != nullptr) {
    setenv("CANTORIX_SOUNDFONT", path, 1);
  } else {
    unsetenv("CANTORIX_SOUNDFONT");
  }
}

ScopedSoundFont::~ScopedSoundFont() {
  if (previous_) {
    setenv("CANTORIX_SOUNDFONT", previous_->c_str(), 1);
  } else {
    unsetenv("CANTORIX_SOUNDFONT");
  }
}

ScopedCurrentFolder::ScopedCurrentFolder(const std::string& folder) {
  char buf[4096];
  if (getcwd(buf, sizeof buf) != nullptr) previous_ = buf;
  if (chdir(folder.c_str()) != 0) std::perror("chdir");
}

ScopedCurrentFolder::~ScopedCurrentFolder() {
  if (!previous_.empty() && chdir(previous_.c_str()) != 0) std::perror("chdir");
}

CommandOutput RunShell(const std::string& command) {
  CommandOutput out;
  std::FILE* p = popen(command.c_str(), "r");
  if (p == nullptr) return out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.text.append(buf, n);
  int status = pclose(p);
  out.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return out;
}

}  // namespace crx::test

namespace crx::test {

std::optional<double> IntegratedLoudness(const std::string& path) {
  const CommandOutput out = RunShell("ffmpeg -nostdin -nostats -hide_banner -i " +
                                     ShellQuote(path) + " -af ebur128 -f null - 2>&1");
  // The summary comes last: its "I:" line holds the integrated loudness.
  const size_t summary = out.text.rfind("Integrated loudness:");
  if (out.status != 0 || summary == std::string::npos) return std::nullopt;
  const size_t at = out.text.find("I:", summary);
  if (at == std::string::npos) return std::nullopt;
  return std::strtod(out.text.c_str() + at + 2, nullptr);
}

}  // namespace crx::test
