#include "audio/CAiffChunk.h"

#include <algorithm>

namespace crx {

bool CAiffChunk::Read(ByteReader& reader) {
  std::span<const uint8_t> id;
  if (reader.Remaining() < kHeaderSize) return false;
  reader.Bytes(identifier_.size(), id);
  std::copy(id.begin(), id.end(), identifier_.begin());
  reader.U32BE(size_);
  const size_t available = std::min<size_t>(size_, reader.Remaining());
  truncated_ = available < size_;
  reader.Bytes(available, data_);
  return true;
}

}  // namespace crx
