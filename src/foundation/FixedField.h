#pragma once

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <string_view>

#include "foundation/FileHelpers.h"

namespace crx {

// A NUL-terminated text inside a fixed record field. Reading stops at the
// terminator or the field's end; writing refuses a text that does not fit
// with its terminator and then leaves the field unchanged.
template <size_t N>
std::string ReadFixedField(const std::array<char, N>& field) {
  const char* end = std::find(field.begin(), field.end(), '\0');
  return std::string(field.data(), static_cast<size_t>(end - field.data()));
}

template <size_t N>
bool WriteFixedField(std::array<char, N>& field, std::string_view text) {
  if (text.size() >= N) return false;
  std::memcpy(field.data(), text.data(), text.size());
  field[text.size()] = '\0';
  return true;
}

// Stores a chosen path in a 260-byte field; a longer path is refused with a
// message and the field keeps its old value.
template <size_t N>
bool StorePathField(std::array<char, N>& field, std::string_view path) {
  if (WriteFixedField(field, path)) return true;
  ReportPathTooLong(path);
  return false;
}

}  // namespace crx
