#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "audio/TemporaryFile.h"
#include "audio/WaveFormat.h"

namespace crx::renderer {

// Writes a 16-bit PCM WAV file as it is rendered: the 44-byte header of a
// WAV image (a 16-byte format chunk), then the interleaved little-endian
// samples. The file is written under a temporary name beside the target and
// takes the target's name only when it is whole, so a failed render never
// leaves a file cut short, nor touches the file it was to replace.
class WavFileWriter {
 public:
  static constexpr uint16_t kBitsPerSample = 16;
  // The largest sample byte count whose sizes still fit the 32-bit fields.
  static constexpr uint64_t kMaxSampleBytes =
      wav::kMaxChunkSize - (wav::kImageHeaderSize - wav::kRiffSizeBias);

  WavFileWriter(uint16_t channels, uint32_t sampleRate);
  // An unfinished file is removed.
  ~WavFileWriter();
  WavFileWriter(const WavFileWriter&) = delete;
  WavFileWriter& operator=(const WavFileWriter&) = delete;

  // Creates the temporary file and writes a provisional header.
  bool Open(const std::string& path);
  // Appends interleaved native 16-bit samples.
  bool Append(std::span<const int16_t> samples);
  // Writes the final sizes, closes the file and gives it the target's name.
  bool Finish();

  // After a failure: the system's reason (errno), 0 when there is none
  // (too much sound for one file).
  int Error() const { return error_; }
  uint64_t SampleBytes() const { return sampleBytes_; }

  // The header for a given sample byte count.
  static std::vector<uint8_t> Header(uint16_t channels, uint32_t sampleRate, uint32_t sampleBytes);

 private:
  struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  bool Fail(int error);

  uint16_t channels_;
  uint32_t sampleRate_;
  std::unique_ptr<TemporaryFile> temporary_;
  std::unique_ptr<std::FILE, FileCloser> file_;
  std::vector<uint8_t> buffer_;
  uint64_t sampleBytes_ = 0;
  bool failed_ = false;
  int error_ = 0;
};

}  // namespace crx::renderer
