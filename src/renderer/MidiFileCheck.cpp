#include "renderer/MidiFileCheck.h"

#include "foundation/ByteReader.h"
#include "midi/MidiBytes.h"
#include "midi/MidiChunkReader.h"
#include "midi/MidiHeader.h"

namespace crx::renderer {
namespace {

constexpr size_t kMaxVlqBytes = 4;
constexpr uint8_t kMetaStatus = 0xFF;
constexpr uint8_t kSysExStatus = 0xF0;
constexpr uint8_t kSysExEscapeStatus = 0xF7;
constexpr uint8_t kEndOfTrack = 0x2F;
constexpr uint16_t kHighestFormat = 2;

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
  return MidiHeader::Locate(image);
}

bool MidiFileCheck::Playable(std::span<const uint8_t> midi) {
  const std::optional<MidiHeader> header = MidiHeader::Read(midi);
  if (!header || header->Offset() != 0 || !header->Complete() || header->End() > midi.size()) {
    return false;
  }
  if (*header->Format() > kHighestFormat || header->Tracks() == 0 ||
      !header->HasMetricalDivision()) {
    return false;
  }
  MidiChunkReader chunks(midi, header->End());
  int found = 0;
  while (found < *header->Tracks()) {
    const std::optional<MidiChunkReader::Chunk> chunk = chunks.Next();
    if (!chunk || chunk->Cut()) return false;
    if (chunk->id != kTrackChunkId) continue;
    if (!TrackPlayable(chunk->body)) return false;
    ++found;
  }
  return true;
}

}  // namespace crx::renderer
