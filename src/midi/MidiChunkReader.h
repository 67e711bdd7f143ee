#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "foundation/ByteReader.h"

namespace crx {

// Walks the chunks of a MIDI file one after the other from a position in its
// bytes (usually the end of the header), reading each chunk header through
// the byte reader. Nothing outside the bytes is ever read.
class MidiChunkReader {
 public:
  struct Chunk {
    std::string id;
    size_t offset = 0;              // of the chunk header
    uint32_t length = 0;            // the declared length of the body
    std::span<const uint8_t> body;  // the body as far as the bytes hold it
    bool Cut() const { return body.size() < length; }
    // The chunk from its header to the end of its body as present.
    size_t Size() const;
  };

  // A position past the end reads no chunk.
  MidiChunkReader(std::span<const uint8_t> bytes, uint64_t position);

  // The next chunk, or nothing when fewer than eight bytes (a chunk header)
  // remain. A chunk whose declared length runs past the bytes comes with the
  // body that is present and is the last one.
  std::optional<Chunk> Next();

 private:
  ByteReader in_;
  bool ended_ = false;
};

}  // namespace crx
