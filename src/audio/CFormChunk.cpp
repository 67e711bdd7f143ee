#include "audio/CFormChunk.h"

namespace crx {

bool CFormChunk::ParseInner() {
  common_.reset();
  soundData_.reset();
  ByteReader r(Data());
  bool ok = true;
  parsePosition_ = kFormTypeSize;
  if (!r.Seek(kFormTypeSize)) {
    parsePosition_ = r.Size();
    return false;
  }
  while (r.Remaining() >= CAiffChunk::kHeaderSize) {
    CAiffChunk chunk;
    const size_t start = r.Position();
    chunk.Read(r);
    if (chunk.Truncated()) ok = false;
    if (chunk.Is(kCommonId) && !common_) {
      r.Seek(start);
      common_.emplace();
      common_->Read(r);
      if (!common_->ParseFields()) ok = false;
    } else if (chunk.Is(kSoundDataId) && !soundData_) {
      r.Seek(start);
      soundData_.emplace();
      soundData_->Read(r);
      if (!soundData_->ParseFields()) ok = false;
    }
    // Chunks are padded to an even length.
    if ((chunk.Size() & 1u) != 0 && !r.AtEnd()) r.Skip(1);
    parsePosition_ = r.Position();
  }
  if (!common_ || !soundData_) ok = false;
  return ok;
}

}  // namespace crx
