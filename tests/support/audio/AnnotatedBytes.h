#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace crx::test {

// A byte array built field by field, each field labelled, so that a failing
// test can show which field stands at which offset.
class AnnotatedBytes {
 public:
  AnnotatedBytes& Text(std::string_view label, std::string_view text);
  AnnotatedBytes& U16LE(std::string_view label, uint16_t v);
  AnnotatedBytes& U32LE(std::string_view label, uint32_t v);
  AnnotatedBytes& U16BE(std::string_view label, uint16_t v);
  AnnotatedBytes& U32BE(std::string_view label, uint32_t v);
  AnnotatedBytes& Bytes(std::string_view label, std::span<const uint8_t> bytes);
  AnnotatedBytes& Append(const AnnotatedBytes& other);

  size_t Size() const { return data_.size(); }
  const std::vector<uint8_t>& Data() const { return data_; }
  std::string Str() const { return {data_.begin(), data_.end()}; }
  // Offset of the first field with this label (npos when none).
  size_t OffsetOf(std::string_view label) const;
  // Changes a 32-bit field that was added earlier.
  void PatchU32LE(std::string_view label, uint32_t v);
  void PatchU32BE(std::string_view label, uint32_t v);
  // "offset size label" per field.
  std::string Describe() const;

 private:
  struct Field {
    size_t offset;
    size_t size;
    std::string label;
  };
  AnnotatedBytes& Add(std::string_view label, std::span<const uint8_t> bytes);

  std::vector<uint8_t> data_;
  std::vector<Field> fields_;
};

}  // namespace crx::test
