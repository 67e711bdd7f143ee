#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "foundation/ByteReader.h"
#include "foundation/ByteWriter.h"

namespace crx {

// The largest value a variable-length quantity holds (four bytes).
inline constexpr uint32_t kMaxVlq = 0x0FFFFFFF;

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

}  // namespace crx
