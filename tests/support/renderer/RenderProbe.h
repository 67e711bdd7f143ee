#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace crx::test {

// The small default SoundFont the rendering tests use.
inline constexpr const char* kTestSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

// A 16-bit PCM WAV file as the renderer writes it (44-byte header).
struct WavProbe {
  uint16_t formatTag = 0;
  uint16_t channels = 0;
  uint32_t sampleRate = 0;
  uint16_t bitsPerSample = 0;
  std::vector<int16_t> samples;  // interleaved

  static std::optional<WavProbe> Read(const std::string& path);
  double Seconds() const;
  // The largest absolute sample as a fraction of full scale.
  double Peak() const;
  double Rms() const;
  // Seconds until the first sample whose magnitude reaches the threshold
  // (a fraction of full scale); nothing when none does.
  std::optional<double> FirstSound(double threshold = 0.01) const;
};

// Points $CANTORIX_SOUNDFONT at a path (or removes it) for a scope.
class ScopedSoundFont {
 public:
  explicit ScopedSoundFont(const char* path);
  ~ScopedSoundFont();
  ScopedSoundFont(const ScopedSoundFont&) = delete;
  ScopedSoundFont& operator=(const ScopedSoundFont&) = delete;

 private:
  std::optional<std::string> previous_;
};

// Makes a folder the current folder for a scope.
class ScopedCurrentFolder {
 public:
  explicit ScopedCurrentFolder(const std::string& folder);
  ~ScopedCurrentFolder();
  ScopedCurrentFolder(const ScopedCurrentFolder&) = delete;
  ScopedCurrentFolder& operator=(const ScopedCurrentFolder&) = delete;

 private:
  std::string previous_;
};

// Runs a shell command and returns what it printed on standard output (and
// standard error when asked), with its exit status.
struct CommandOutput {
  int status = -1;
  std::string text;
};
CommandOutput RunShell(const std::string& command);

// The integrated loudness (LUFS) of a sound file as ffmpeg's EBU R128 meter
// measures it; nothing when ffmpeg is missing or says nothing.
std::optional<double> IntegratedLoudness(const std::string& path);

}  // namespace crx::test
