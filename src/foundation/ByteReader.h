#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace crx {

// Reads numbers and bytes from a memory image with explicit bounds. A read
// past the end fails (returns false) and leaves the position unchanged;
// nothing is ever read outside the image.
class ByteReader {
 public:
  ByteReader() = default;
  explicit ByteReader(std::span<const uint8_t> data) : data_(data) {}
  ByteReader(const void* data, size_t size) : data_(static_cast<const uint8_t*>(data), size) {}

  size_t Size() const { return data_.size(); }
  size_t Position() const { return pos_; }
  size_t Remaining() const { return data_.size() - pos_; }
  bool AtEnd() const { return pos_ >= data_.size(); }
  bool Seek(size_t position);
  bool Skip(size_t count);

  bool U8(uint8_t& out);
  bool Peek(uint8_t& out) const;
  bool U16BE(uint16_t& out);
  bool U16LE(uint16_t& out);
  bool U32BE(uint32_t& out);
  bool U32LE(uint32_t& out);
  bool I16LE(int16_t& out);
  bool I16BE(int16_t& out);
  // count bytes as a view into the image.
  bool Bytes(size_t count, std::span<const uint8_t>& out);
  bool Text(size_t count, std::string& out);
  // The bytes from the position to the end.
  std::span<const uint8_t> Rest() const { return data_.subspan(pos_); }
  std::span<const uint8_t> Data() const { return data_; }

 private:
  std::span<const uint8_t> data_;
  size_t pos_ = 0;
};

}  // namespace crx
