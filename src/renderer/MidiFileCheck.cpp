#include "renderer/MidiFileCheck.h"

#include <cstring>
#include <string>

#include "foundation/ByteReader.h"

namespace crx::tp {
namespace {

constexpr size_t kMinHeaderLength = 6;
constexpr int kMaxVlqBytes = 4;
constexpr uint8_t kMetaStatus = 0xFF;
constexpr uint8_t kSysExStatus = 0xF0;
constexpr uint8_t kSysExEscapeStatus = 0xF7;
constexpr uint8_t kEndOfTrack = 0x2F;

bool StartsWithHeader(std::span<const uint8_t> image, size_t at) {
  return image.size() >= at + 4 && std::memcmp(image.data() + at, "MThd", 4) == 0;
}

bool ReadVlq(ByteReader& r, uint32_t& out) {
  out = 0;
  for (int i = 0; i < kMaxVlqBytes; ++i) {
    uint8_t b = 0;
    if (!r.U8(b)) return false;
    out = (out << 7) | (b & 0x7Fu);
    if ((b & 0x80u) == 0) return true;
  }
  return false;
}

// Data bytes of a channel message by its status.
int ChannelDataBytes(uint8_t status) {
  uint8_t kind = status & 0xF0u;
  return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
}

// One track's events, up to its end-of-track event or the chunk's end. A
// channel's running status is kept across meta and exclusive events, as
// many files expect.
bool TrackPlayable(std::span<const uint8_t> body) {
  ByteReader r(body);
  uint8_t running = 0;
  while (!r.AtEnd()) {
    uint32_t delta = 0;
    if (!ReadVlq(r, delta)) return false;
    uint8_t status = 0;
    if (!r.Peek(status)) return false;
    if (status & 0x80u) {
      r.Skip(1);
    } else if (running != 0) {
      status = running;  // running status: the byte read is data
    } else {
      return false;
    }
    if (status == kMetaStatus) {
      uint8_t type = 0;
      uint32_t length = 0;
      if (!r.U8(type) || !ReadVlq(r, length) || !r.Skip(length)) return false;
      if (type == kEndOfTrack) return true;
    } else if (status == kSysExStatus || status == kSysExEscapeStatus) {
      uint32_t length = 0;
      if (!ReadVlq(r, length) || !r.Skip(length)) return false;
    } else if (status >= 0xF0) {
      return false;  // system common and real-time messages do not belong in a file
    } else {
      if (!r.Skip(static_cast<size_t>(ChannelDataBytes(status)))) return false;
      running = status;
    }
  }
  return true;
}

}  // namespace

std::optional<size_t> MidiFileCheck::HeaderOffset(std::span<const uint8_t> image) {
  if (StartsWithHeader(image, 0)) return 0;
  if (StartsWithHeader(image, kMacBinaryHeaderSize)) return kMacBinaryHeaderSize;
  return std::nullopt;
}

bool MidiFileCheck::Playable(std::span<const uint8_t> midi) {
  ByteReader r(midi);
  std::string id;
  uint32_t length = 0;
  uint16_t format = 0, tracks = 0, division = 0;
  if (!r.Text(4, id) || id != "MThd" || !r.U32BE(length) || length < kMinHeaderLength) {
    return false;
  }
  size_t headerEnd = r.Position() + length;
  if (!r.U16BE(format) || !r.U16BE(tracks) || !r.U16BE(division) || !r.Seek(headerEnd)) {
    return false;
  }
  if (format > 2 || tracks == 0 || division == 0 || (division & 0x8000u) != 0) return false;
  int found = 0;
  while (found < tracks) {
    uint32_t size = 0;
    std::span<const uint8_t> body;
    if (!r.Text(4, id) || !r.U32BE(size) || !r.Bytes(size, body)) return false;
    if (id != "MTrk") continue;
    if (!TrackPlayable(body)) return false;
    ++found;
  }
  return true;
}

}  // namespace crx::tp
