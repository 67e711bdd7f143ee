#include "foundation/ByteWriter.h"

namespace crx {

void ByteWriter::U16BE(uint16_t v) {
  data_.push_back(static_cast<uint8_t>(v >> 8));
  data_.push_back(static_cast<uint8_t>(v));
}

void ByteWriter::U16LE(uint16_t v) {
  data_.push_back(static_cast<uint8_t>(v));
  data_.push_back(static_cast<uint8_t>(v >> 8));
}

void ByteWriter::U32BE(uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) data_.push_back(static_cast<uint8_t>(v >> shift));
}

void ByteWriter::U32LE(uint32_t v) {
  for (int shift = 0; shift <= 24; shift += 8) data_.push_back(static_cast<uint8_t>(v >> shift));
}

void ByteWriter::Bytes(std::span<const uint8_t> bytes) {
  data_.insert(data_.end(), bytes.begin(), bytes.end());
}

void ByteWriter::Text(std::string_view text) {
  data_.insert(data_.end(), text.begin(), text.end());
}

void ByteWriter::Fill(size_t count, uint8_t value) { data_.insert(data_.end(), count, value); }

bool ByteWriter::PatchU32BE(size_t offset, uint32_t v) {
  if (offset > data_.size() || data_.size() - offset < 4) return false;
  for (int i = 0; i < 4; ++i) data_[offset + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
  return true;
}

bool ByteWriter::PatchU32LE(size_t offset, uint32_t v) {
  if (offset > data_.size() || data_.size() - offset < 4) return false;
  for (int i = 0; i < 4; ++i) data_[offset + i] = static_cast<uint8_t>(v >> (8 * i));
  return true;
}

bool ByteWriter::PatchU16LE(size_t offset, uint16_t v) {
  if (offset > data_.size() || data_.size() - offset < 2) return false;
  data_[offset] = static_cast<uint8_t>(v);
  data_[offset + 1] = static_cast<uint8_t>(v >> 8);
  return true;
}

}  // namespace crx
