#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace crx::renderer {

// Writes a 16-bit PCM AIFF file as it is rendered: "FORM"/"AIFF", an 18-byte
// "COMM" chunk, then "SSND" with offset 0 and block size 0 and the
// interleaved big-endian samples. The sizes and the frame count are filled in
// by Finish.
class AiffFileWriter {
 public:
  static constexpr uint16_t kBitsPerSample = 16;
  static constexpr uint32_t kCommonChunkSize = 18;
  // "FORM" header, form type, "COMM" chunk, "SSND" header with offset and
  // block size: the sample bytes start here.
  static constexpr uint32_t kHeaderSize = 12 + 8 + kCommonChunkSize + 16;
  // The largest sample byte count whose sizes still fit the 32-bit fields.
  static constexpr uint64_t kMaxSampleBytes = 0xFFFFFFFFull - (kHeaderSize - 8);

  AiffFileWriter(uint16_t channels, uint32_t sampleRate);
  ~AiffFileWriter();
  AiffFileWriter(const AiffFileWriter&) = delete;
  AiffFileWriter& operator=(const AiffFileWriter&) = delete;

  // Creates or truncates the file and writes a provisional header.
  bool Open(const std::string& path);
  // Appends interleaved native 16-bit samples, stored big-endian.
  bool Append(std::span<const int16_t> samples);
  // Writes the final sizes and closes the file.
  bool Finish();
  // Closes and deletes an unfinished file.
  void Abandon();

  uint64_t SampleBytes() const { return sampleBytes_; }

  // The header for a given sample byte count (also used by tests).
  static std::vector<uint8_t> Header(uint16_t channels, uint32_t sampleRate, uint32_t frames,
                                     uint32_t sampleBytes);
  // An integral rate as the 80-bit IEEE extended number of the common chunk.
  static void EncodeExtended(uint32_t rate, uint8_t out[10]);

 private:
  struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };

  uint16_t channels_;
  uint32_t sampleRate_;
  std::string path_;
  std::unique_ptr<std::FILE, FileCloser> file_;
  std::vector<uint8_t> buffer_;
  uint64_t sampleBytes_ = 0;
  bool failed_ = false;
};

}  // namespace crx::renderer
