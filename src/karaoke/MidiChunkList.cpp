#include "karaoke/MidiChunkList.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "foundation/ByteReader.h"
#include "midi/MidiBytes.h"
#include "midi/MidiFormat0Data.h"

namespace crx {
namespace {

constexpr uint32_t kMinHeaderLength = 6;
constexpr char kFirstIdCharacter = 0x20;
constexpr char kLastIdCharacter = 0x7E;
// More track chunks than this are no song; the rest of the file is left.
constexpr size_t kMaxChunks = 256;

// Chunk ids are four printable ASCII characters; anything else is padding
// or garbage after the last chunk.
bool IsChunkId(std::string_view id) {
  return id.size() == 4 && std::all_of(id.begin(), id.end(), [](char c) {
           return c >= kFirstIdCharacter && c <= kLastIdCharacter;
         });
}

}  // namespace

std::optional<MidiChunkList> MidiChunkList::Scan(std::span<const uint8_t> bytes) {
  size_t start = 0;
  if (!HasMidiHeaderAt(bytes, bytes.size(), 0)) {
    if (!HasMidiHeaderAt(bytes, bytes.size(), kMacBinaryHeaderSize)) return std::nullopt;
    start = kMacBinaryHeaderSize;
  }
  ByteReader in(bytes);
  MidiChunkList list;
  std::string id;
  uint16_t format = 0;
  uint16_t tracks = 0;
  uint16_t division = 0;
  if (!in.Seek(start) || !ReadChunkHeader(in, id, list.headerLength_) ||
      list.headerLength_ < kMinHeaderLength || !in.U16BE(format) || !in.U16BE(tracks) ||
      !in.U16BE(division)) {
    return std::nullopt;
  }
  list.format_ = format;
  list.declaredTracks_ = tracks;
  list.division_ = division;
  if (!in.Seek(start + kChunkHeaderSize) || !in.Skip(list.headerLength_)) return list;

  while (in.Remaining() >= kChunkHeaderSize && list.chunks_.size() < kMaxChunks) {
    Chunk chunk;
    chunk.offset = in.Position();
    uint32_t length = 0;
    if (!ReadChunkHeader(in, chunk.id, length) || !IsChunkId(chunk.id)) break;
    if (length > in.Remaining()) {
      // Only a track cut short is worth its remaining bytes; a huge length
      // from anything else is padding taken for a chunk.
      if (chunk.id != kTrackChunkId && chunk.id != kXfLyricId) break;
      chunk.cut = true;
      chunk.bodySize = in.Remaining();
      list.chunks_.push_back(std::move(chunk));
      break;
    }
    chunk.bodySize = length;
    in.Skip(length);
    list.chunks_.push_back(std::move(chunk));
  }
  return list;
}

std::span<const uint8_t> MidiChunkList::ChunkBytes(std::span<const uint8_t> bytes,
                                                   const Chunk& chunk) const {
  if (chunk.offset > bytes.size()) return {};
  const size_t size = std::min(kChunkHeaderSize + chunk.bodySize, bytes.size() - chunk.offset);
  return bytes.subspan(chunk.offset, size);
}

bool MidiChunkList::IsXfLayout() const {
  constexpr std::array<std::string_view, 3> kOrder = {kTrackChunkId, kXfInfoId, kXfLyricId};
  if (format_ != 0 || declaredTracks_ != 1 || headerLength_ != kMinHeaderLength ||
      chunks_.size() < kOrder.size()) {
    return false;
  }
  for (size_t i = 0; i < kOrder.size(); ++i) {
    if (chunks_[i].id != kOrder[i] || chunks_[i].cut) return false;
  }
  return true;
}

}  // namespace crx
