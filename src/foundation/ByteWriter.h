#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace crx {

// Appends numbers and bytes to a growing image, and patches numbers at
// earlier offsets (sizes known only at the end). A patch outside the image
// fails and changes nothing.
class ByteWriter {
 public:
  void U8(uint8_t v) { data_.push_back(v); }
  void U16BE(uint16_t v);
  void U16LE(uint16_t v);
  void U32BE(uint32_t v);
  void U32LE(uint32_t v);
  void I16LE(int16_t v) { U16LE(static_cast<uint16_t>(v)); }
  void Bytes(std::span<const uint8_t> bytes);
  void Text(std::string_view text);
  void Fill(size_t count, uint8_t value);

  bool PatchU32BE(size_t offset, uint32_t v);
  bool PatchU32LE(size_t offset, uint32_t v);
  bool PatchU16LE(size_t offset, uint16_t v);

  size_t Size() const { return data_.size(); }
  const std::vector<uint8_t>& Data() const { return data_; }
  std::vector<uint8_t>& Data() { return data_; }
  std::vector<uint8_t> Take() { return std::move(data_); }

 private:
  std::vector<uint8_t> data_;
};

}  // namespace crx
