#include "foundation/ByteReader.h"

namespace crx {

bool ByteReader::Seek(size_t position) {
  if (position > data_.size()) return false;
  pos_ = position;
  return true;
}

bool ByteReader::Skip(size_t count) {
  if (count > Remaining()) return false;
  pos_ += count;
  return true;
}

bool ByteReader::U8(uint8_t& out) {
  if (Remaining() < 1) return false;
  out = data_[pos_++];
  return true;
}

bool ByteReader::Peek(uint8_t& out) const {
  if (Remaining() < 1) return false;
  out = data_[pos_];
  return true;
}

bool ByteReader::U16BE(uint16_t& out) {
  if (Remaining() < 2) return false;
  out = static_cast<uint16_t>((data_[pos_] << 8) | data_[pos_ + 1]);
  pos_ += 2;
  return true;
}

bool ByteReader::U16LE(uint16_t& out) {
  if (Remaining() < 2) return false;
  out = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
  pos_ += 2;
  return true;
}

bool ByteReader::U32BE(uint32_t& out) {
  if (Remaining() < 4) return false;
  out = (uint32_t{data_[pos_]} << 24) | (uint32_t{data_[pos_ + 1]} << 16) |
        (uint32_t{data_[pos_ + 2]} << 8) | uint32_t{data_[pos_ + 3]};
  pos_ += 4;
  return true;
}

bool ByteReader::U32LE(uint32_t& out) {
  if (Remaining() < 4) return false;
  out = uint32_t{data_[pos_]} | (uint32_t{data_[pos_ + 1]} << 8) |
        (uint32_t{data_[pos_ + 2]} << 16) | (uint32_t{data_[pos_ + 3]} << 24);
  pos_ += 4;
  return true;
}

bool ByteReader::I16LE(int16_t& out) {
  uint16_t u;
  if (!U16LE(u)) return false;
  out = static_cast<int16_t>(u);
  return true;
}

bool ByteReader::I16BE(int16_t& out) {
  uint16_t u;
  if (!U16BE(u)) return false;
  out = static_cast<int16_t>(u);
  return true;
}

bool ByteReader::Bytes(size_t count, std::span<const uint8_t>& out) {
  if (count > Remaining()) return false;
  out = data_.subspan(pos_, count);
  pos_ += count;
  return true;
}

bool ByteReader::Text(size_t count, std::string& out) {
  std::span<const uint8_t> b;
  if (!Bytes(count, b)) return false;
  out.assign(reinterpret_cast<const char*>(b.data()), b.size());
  return true;
}

}  // namespace crx
