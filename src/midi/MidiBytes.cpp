#include "midi/MidiBytes.h"

#include <algorithm>

namespace crx {

namespace {
constexpr int kVlqBits = 7;
constexpr uint8_t kVlqMore = 0x80;
constexpr uint8_t kVlqMask = 0x7F;
constexpr int kMaxVlqBytes = 4;

uint32_t ClampVlq(int64_t value) {
  return static_cast<uint32_t>(std::clamp<int64_t>(value, 0, kMaxVlq));
}
}  // namespace

int VlqSize(int64_t value) {
  uint32_t v = ClampVlq(value);
  int n = 1;
  while (v >>= kVlqBits) ++n;
  return n;
}

int WriteVlq(int64_t value, ByteWriter& out) {
  uint32_t v = ClampVlq(value);
  int n = VlqSize(v);
  for (int i = n - 1; i >= 0; --i) {
    uint8_t b = static_cast<uint8_t>((v >> (kVlqBits * i)) & kVlqMask);
    if (i > 0) b |= kVlqMore;
    out.U8(b);
  }
  return n;
}

void WriteBigEndian32(uint32_t value, ByteWriter& out) { out.U32BE(value); }

bool WriteBigEndian32(uint32_t value, std::span<uint8_t> out, size_t offset) {
  if (offset > out.size() || out.size() - offset < 4) return false;
  for (int i = 0; i < 4; ++i) out[offset + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
  return true;
}

bool ReadVlq(ByteReader& in, uint32_t& value) {
  uint64_t v = 0;
  int bytes = 0;
  for (;;) {
    uint8_t b;
    if (!in.U8(b)) {
      value = static_cast<uint32_t>(std::min<uint64_t>(v, kMaxVlq));
      return false;
    }
    if (++bytes <= kMaxVlqBytes)
      v = (v << kVlqBits) | (b & kVlqMask);
    else
      v = kMaxVlq;
    if ((b & kVlqMore) == 0) break;
  }
  value = static_cast<uint32_t>(std::min<uint64_t>(v, kMaxVlq));
  return true;
}

bool ReadChunkHeader(ByteReader& in, std::string& id, uint32_t& length) {
  constexpr size_t kIdSize = 4;
  return in.Text(kIdSize, id) && in.U32BE(length);
}

int ChannelDataBytes(int status) {
  constexpr int kProgramChange = 0xC0;
  constexpr int kChannelPressure = 0xD0;
  const int type = status & 0xF0;
  return (type == kProgramChange || type == kChannelPressure) ? 1 : 2;
}

}  // namespace crx
