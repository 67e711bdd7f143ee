#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "foundation/ByteReader.h"

namespace crx {

// One chunk of an AIFF file: its identifier, its declared size and a view of
// its data inside the file image (the image is owned by CAiffData and
// outlives every chunk).
class CAiffChunk {
 public:
  static constexpr size_t kHeaderSize = 8;

  CAiffChunk() = default;
  virtual ~CAiffChunk() = default;

  // Reads the header at the reader's position and takes the data behind it.
  // False when not even the header is there. A size running past the image
  // is cut to the image; Truncated() then says so.
  bool Read(ByteReader& reader);

  std::string_view Identifier() const { return {identifier_.data(), identifier_.size()}; }
  bool Is(std::string_view id) const { return Identifier() == id; }
  // The size as declared in the big-endian header word.
  uint32_t Size() const { return size_; }
  std::span<const uint8_t> Data() const { return data_; }
  bool Truncated() const { return truncated_; }

 private:
  std::array<char, 4> identifier_{};
  uint32_t size_ = 0;
  std::span<const uint8_t> data_;
  bool truncated_ = false;
};

}  // namespace crx
