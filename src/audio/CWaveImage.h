#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "audio/WaveFormat.h"

namespace crx {

// A whole WAV file built in memory (16-byte format chunk, 44-byte header)
// and written at once. The renderer writes its converted AIFF through it.
class CWaveImage {
 public:
  // The format as four values of the format record plus bits per sample.
  void SetFormat(uint16_t channels, uint32_t sampleRate, uint32_t avgBytesPerSec,
                 uint16_t blockAlign, uint16_t bitsPerSample);
  // Copies the samples of frames frames. False (after "ファイルが見つかりませんでした。")
  // when no buffer can be had.
  bool SetSamples(std::span<const uint8_t> samples, uint32_t frames);
  // Takes over a buffer without copying it.
  void TakeSamples(std::vector<uint8_t> samples, uint32_t frames);
  // Uses the caller's bytes, which must outlive the image.
  void BorrowSamples(std::span<const uint8_t> samples, uint32_t frames);

  // channels x bits per sample x frames / 8, never more than the bytes held.
  uint32_t DataLength() const;
  // Data length + 44.
  uint64_t FileLength() const { return uint64_t{DataLength()} + wav::kImageHeaderSize; }
  // Builds the whole file into image, which must hold FileLength() bytes.
  bool Build(std::span<uint8_t> image) const;
  // Writes the file in one write. False after "ファイルが開けませんでした。"
  // when no image buffer can be had or the file cannot be written.
  bool Write(const std::string& path) const;

  const WaveFormatRecord& Format() const { return format_; }

 private:
  std::span<const uint8_t> Samples() const;

  WaveFormatRecord format_;
  std::vector<uint8_t> owned_;
  std::span<const uint8_t> borrowed_;
  bool ownsSamples_ = true;
  uint32_t frames_ = 0;
};

}  // namespace crx
