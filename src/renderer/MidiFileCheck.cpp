#include "renderer/MidiFileCheck.h"

#include <string>

#include "foundation/ByteReader.h"
#include "midi/MidiBytes.h"
#include "midi/MidiFormat0Data.h"

namespace crx::renderer {
namespace {

constexpr size_t kMaxVlqBytes = 4;
constexpr uint8_t kMetaStatus = 0xFF;
constexpr uint8_t kSysExStatus = 0xF0;
constexpr uint8_t kSysExEscapeStatus = 0xF7;
constexpr uint8_t kEndOfTrack = 0x2F;
constexpr uint16_t kHighestFormat = 2;
constexpr uint16_t kTimecodeDivision = 0x8000;

// A variable-length quantity of at most four bytes.
bool ReadShortVlq(ByteReader& r, uint32_t& out) {
  const size_t start = r.Position();
  return ReadVlq(r, out) && r.Position() - start <= kMaxVlqBytes;
}

// One track's events, up to its end-of-track event or the chunk's end. A
// channel's running status is kept across meta and exclusive events, as
// many files expect.
bool TrackPlayable(std::span<const uint8_t> body) {
  ByteReader r(body);
  uint8_t running = 0;
  while (!r.AtEnd()) {
    uint32_t delta = 0;
    if (!ReadShortVlq(r, delta)) return false;
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
      if (!r.U8(type) || !ReadShortVlq(r, length) || !r.Skip(length)) return false;
      if (type == kEndOfTrack) return true;
    } else if (status == kSysExStatus || status == kSysExEscapeStatus) {
      uint32_t length = 0;
      if (!ReadShortVlq(r, length) || !r.Skip(length)) return false;
    } else if (!IsChannelStatus(status)) {
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
  if (HasMidiHeaderAt(image, image.size(), 0)) return 0;
  if (HasMidiHeaderAt(image, image.size(), kMacBinaryHeaderSize)) return kMacBinaryHeaderSize;
  return std::nullopt;
}

bool MidiFileCheck::Playable(std::span<const uint8_t> midi) {
  ByteReader r(midi);
  std::string id;
  uint32_t length = 0;
  uint16_t format = 0, tracks = 0, division = 0;
  if (!ReadChunkHeader(r, id, length) || id != kHeaderChunkId || length < kHeaderChunkLength) {
    return false;
  }
  size_t headerEnd = r.Position() + length;
  if (!r.U16BE(format) || !r.U16BE(tracks) || !r.U16BE(division) || !r.Seek(headerEnd)) {
    return false;
  }
  if (format > kHighestFormat || tracks == 0 || division == 0 ||
      (division & kTimecodeDivision) != 0) {
    return false;
  }
  int found = 0;
  while (found < tracks) {
    uint32_t size = 0;
    std::span<const uint8_t> body;
    if (!ReadChunkHeader(r, id, size) || !r.Bytes(size, body)) return false;
    if (id != kTrackChunkId) continue;
    if (!TrackPlayable(body)) return false;
    ++found;
  }
  return true;
}

}  // namespace crx::renderer
