#include "support/audio/AnnotatedBytes.h"

#include <cstdio>

namespace crx::test {

AnnotatedBytes& AnnotatedBytes::Add(std::string_view label, std::span<const uint8_t> bytes) {
  fields_.push_back({data_.size(), bytes.size(), std::string(label)});
  data_.insert(data_.end(), bytes.begin(), bytes.end());
  return *this;
}

AnnotatedBytes& AnnotatedBytes::Text(std::string_view label, std::string_view text) {
  return Add(label, {reinterpret_cast<const uint8_t*>(text.data()), text.size()});
}

AnnotatedBytes& AnnotatedBytes::U16LE(std::string_view label, uint16_t v) {
  const uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
  return Add(label, b);
}

AnnotatedBytes& AnnotatedBytes::U32LE(std::string_view label, uint32_t v) {
  const uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                        static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
  return Add(label, b);
}

AnnotatedBytes& AnnotatedBytes::U16BE(std::string_view label, uint16_t v) {
  const uint8_t b[2] = {static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
  return Add(label, b);
}

AnnotatedBytes& AnnotatedBytes::U32BE(std::string_view label, uint32_t v) {
  const uint8_t b[4] = {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16),
                        static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
  return Add(label, b);
}

AnnotatedBytes& AnnotatedBytes::Bytes(std::string_view label, std::span<const uint8_t> bytes) {
  return Add(label, bytes);
}

AnnotatedBytes& AnnotatedBytes::Append(const AnnotatedBytes& other) {
  for (const Field& f : other.fields_) {
    fields_.push_back({data_.size() + f.offset, f.size, f.label});
  }
  data_.insert(data_.end(), other.data_.begin(), other.data_.end());
  return *this;
}

size_t AnnotatedBytes::OffsetOf(std::string_view label) const {
  for (const Field& f : fields_) {
    if (f.label == label) return f.offset;
  }
  return std::string::npos;
}

void AnnotatedBytes::PatchU32LE(std::string_view label, uint32_t v) {
  const size_t at = OffsetOf(label);
  if (at == std::string::npos || at + 4 > data_.size()) return;
  for (int i = 0; i < 4; ++i) data_[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

void AnnotatedBytes::PatchU32BE(std::string_view label, uint32_t v) {
  const size_t at = OffsetOf(label);
  if (at == std::string::npos || at + 4 > data_.size()) return;
  for (int i = 0; i < 4; ++i) data_[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

std::string AnnotatedBytes::Describe() const {
  std::string out;
  char line[160];
  for (const Field& f : fields_) {
    std::snprintf(line, sizeof line, "%8zu %8zu %s\n", f.offset, f.size, f.label.c_str());
    out += line;
  }
  return out;
}

}  // namespace crx::test
