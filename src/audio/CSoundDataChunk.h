#pragma once

#include <cstdint>
#include <span>

#include "audio/CAiffChunk.h"

namespace crx {

// The AIFF sound-data chunk ("SSND"): an offset and a block size, then the
// interleaved big-endian sample frames, which start offset bytes later.
class CSoundDataChunk : public CAiffChunk {
 public:
  static constexpr size_t kFieldsSize = 8;  // offset, block size

  // Parses offset and block size and finds the sample bytes. False when the
  // fields are missing or the offset runs past the data (no samples then).
  bool ParseFields();

  uint32_t Offset() const { return offset_; }
  uint32_t BlockSize() const { return blockSize_; }
  std::span<const uint8_t> Samples() const { return samples_; }

 private:
  uint32_t offset_ = 0;
  uint32_t blockSize_ = 0;
  std::span<const uint8_t> samples_;
};

}  // namespace crx
