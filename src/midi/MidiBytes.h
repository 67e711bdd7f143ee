#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "foundation/ByteReader.h"
#include "foundation/ByteWriter.h"

namespace crx {

// The largest value a variable-length quantity holds (four bytes).
inline constexpr uint32_t kMaxVlq = 0x0FFFFFFF;

// A 64-bit tick count or delta held within int.
inline int ClampToInt(int64_t v) {
  return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// Chunk identifiers of a Standard MIDI file.
inline constexpr std::string_view kHeaderChunkId = "MThd";
inline constexpr std::string_view kTrackChunkId = "MTrk";
// The length of a header chunk's body (format, tracks, division).
inline constexpr uint32_t kHeaderChunkLength = 6;
// Size of a chunk header: identifier and 32-bit length.
inline constexpr size_t kChunkHeaderSize = 8;

// Writes a variable-length quantity (values below 0 as 0, above 0x0FFFFFFF as
// 0x0FFFFFFF); returns the bytes written (1 to 4).
int WriteVlq(int64_t value, ByteWriter& out);
// The number of bytes WriteVlq writes for the value.
int VlqSize(int64_t value);
// Writes a 32-bit big-endian number.
void WriteBigEndian32(uint32_t value, ByteWriter& out);
// Stores a 32-bit big-endian number at offset; false when it does not fit.
bool WriteBigEndian32(uint32_t value, std::span<uint8_t> out, size_t offset);

// Reads a variable-length quantity. False when the bytes end inside it (the
// reader then stands at the end). A quantity longer than four bytes is read
// to its end and held at 0x0FFFFFFF.
bool ReadVlq(ByteReader& in, uint32_t& value);

// Reads a chunk header: the four-character identifier and the 32-bit length.
// False when the bytes end inside it.
bool ReadChunkHeader(ByteReader& in, std::string& id, uint32_t& length);

// The number of data bytes after a channel status byte (1 or 2).
int ChannelDataBytes(int status);
// A status byte of a channel message (0x80-0xEF).
inline bool IsChannelStatus(int status) { return status >= 0x80 && status <= 0xEF; }

}  // namespace crx
