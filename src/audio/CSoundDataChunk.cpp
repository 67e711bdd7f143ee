#include "audio/CSoundDataChunk.h"

namespace crx {

bool CSoundDataChunk::ParseFields() {
  ByteReader r(Data());
  offset_ = 0;
  blockSize_ = 0;
  samples_ = {};
  if (!r.U32BE(offset_) || !r.U32BE(blockSize_)) return false;
  // The samples begin offset bytes after the block size and run to the end
  // of the chunk's data.
  if (!r.Skip(offset_)) return false;
  samples_ = r.Rest();
  return true;
}

}  // namespace crx
