#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace crx {

// The chunks of a MIDI file as found from its bytes alone, before any track
// is read: the header's fields and each chunk's id and place. Nothing is
// reported; the list ends where the bytes stop looking like chunks (trailing
// padding, a length running past the file), so such bytes are left aside.
class MidiChunkList {
 public:
  static constexpr std::string_view kXfInfoId = "XFIH";
  static constexpr std::string_view kXfLyricId = "XFKM";

  struct Chunk {
    std::string id;
    size_t offset = 0;    // of the chunk header
    size_t bodySize = 0;  // bytes of the body present in the file
    bool cut = false;     // the declared length runs past the file
  };

  // The list, or nothing when the bytes hold no header chunk (at the start
  // or after a 128-byte Mac binary header).
  static std::optional<MidiChunkList> Scan(std::span<const uint8_t> bytes);

  int Format() const { return format_; }
  int DeclaredTracks() const { return declaredTracks_; }
  int Division() const { return division_; }
  // 6 in a well-formed file.
  uint32_t HeaderLength() const { return headerLength_; }
  const std::vector<Chunk>& Chunks() const { return chunks_; }
  // The chunk's bytes from its header to the end of its body as present.
  std::span<const uint8_t> ChunkBytes(std::span<const uint8_t> bytes, const Chunk& chunk) const;
  // True when the first chunks are "MTrk", "XFIH" and "XFKM", whole, in a
  // format 0 file of one track: the layout the XF reader takes.
  bool IsXfLayout() const;

 private:
  int format_ = 0;
  int declaredTracks_ = 0;
  int division_ = 0;
  uint32_t headerLength_ = 0;
  std::vector<Chunk> chunks_;
};

}  // namespace crx
