#include "midi/MidiHeader.h"

#include <string>

#include "foundation/ByteReader.h"
#include "midi/MidiBytes.h"
#include "midi/MidiFormat0Data.h"

namespace crx {

namespace {
constexpr uint16_t kTimecodeDivision = 0x8000;
}  // namespace

std::optional<size_t> MidiHeader::Locate(std::span<const uint8_t> bytes) {
  if (HasMidiHeaderAt(bytes, bytes.size(), 0)) return 0;
  if (HasMidiHeaderAt(bytes, bytes.size(), kMacBinaryHeaderSize)) return kMacBinaryHeaderSize;
  return std::nullopt;
}

std::optional<MidiHeader> MidiHeader::Read(std::span<const uint8_t> bytes) {
  const std::optional<size_t> offset = Locate(bytes);
  if (!offset) return std::nullopt;
  ByteReader in(bytes);
  MidiHeader header;
  header.offset_ = *offset;
  std::string id;
  if (!in.Seek(*offset) || !ReadChunkHeader(in, id, header.length_)) return std::nullopt;
  uint16_t value = 0;
  if (in.U16BE(value)) header.format_ = value;
  if (header.format_ && in.U16BE(value)) header.tracks_ = value;
  if (header.tracks_ && in.U16BE(value)) header.division_ = value;
  return header;
}

bool MidiHeader::Complete() const { return division_.has_value() && length_ >= kHeaderChunkLength; }

bool MidiHeader::HasMetricalDivision() const {
  return division_ && *division_ != 0 && (*division_ & kTimecodeDivision) == 0;
}

uint64_t MidiHeader::End() const { return uint64_t{offset_} + kChunkHeaderSize + length_; }

}  // namespace crx
