#include "midi/MidiChunkReader.h"

#include "midi/MidiBytes.h"

namespace crx {

size_t MidiChunkReader::Chunk::Size() const { return kChunkHeaderSize + body.size(); }

MidiChunkReader::MidiChunkReader(std::span<const uint8_t> bytes, uint64_t position) : in_(bytes) {
  ended_ = position > bytes.size() || !in_.Seek(static_cast<size_t>(position));
}

std::optional<MidiChunkReader::Chunk> MidiChunkReader::Next() {
  if (ended_ || in_.Remaining() < kChunkHeaderSize) return std::nullopt;
  Chunk chunk;
  chunk.offset = in_.Position();
  ReadChunkHeader(in_, chunk.id, chunk.length);
  if (chunk.length > in_.Remaining()) {
    chunk.body = in_.Rest();
    ended_ = true;
    return chunk;
  }
  in_.Bytes(chunk.length, chunk.body);
  return chunk;
}

}  // namespace crx
