#include "karaoke/MidiChunkList.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "midi/MidiBytes.h"
#include "midi/MidiChunkReader.h"
#include "midi/MidiHeader.h"

namespace crx {
namespace {

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
  const std::optional<MidiHeader> header = MidiHeader::Read(bytes);
  if (!header || !header->Complete()) return std::nullopt;
  MidiChunkList list;
  list.format_ = *header->Format();
  list.declaredTracks_ = *header->Tracks();
  list.division_ = *header->Division();
  list.headerLength_ = header->Length();

  MidiChunkReader chunks(bytes, header->End());
  while (list.chunks_.size() < kMaxChunks) {
    std::optional<MidiChunkReader::Chunk> next = chunks.Next();
    if (!next || !IsChunkId(next->id)) break;
    Chunk chunk;
    chunk.id = std::move(next->id);
    chunk.offset = next->offset;
    chunk.bodySize = next->body.size();
    chunk.cut = next->Cut();
    // Only a track cut short is worth its remaining bytes; a huge length
    // from anything else is padding taken for a chunk.
    if (chunk.cut && chunk.id != kTrackChunkId && chunk.id != kXfLyricId) break;
    list.chunks_.push_back(std::move(chunk));
    if (list.chunks_.back().cut) break;
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
  if (format_ != 0 || declaredTracks_ != 1 || headerLength_ != kHeaderChunkLength ||
      chunks_.size() < kOrder.size()) {
    return false;
  }
  for (size_t i = 0; i < kOrder.size(); ++i) {
    if (chunks_[i].id != kOrder[i] || chunks_[i].cut) return false;
  }
  return true;
}

}  // namespace crx
