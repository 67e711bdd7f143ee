#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace crx {

// Whole reads and writes on an open file descriptor, across short transfers
// and interrupted calls.
class FileDescriptor {
 public:
  // The bytes read before the end of the file or an error.
  static size_t ReadFully(int fd, std::span<uint8_t> out);
  static size_t ReadFullyAt(int fd, uint64_t offset, std::span<uint8_t> out);
  // The bytes written before an error; errno then tells why.
  static size_t WriteFullyAt(int fd, uint64_t offset, std::span<const uint8_t> data);
  // True when every byte was written; errno tells why not.
  static bool WriteFully(int fd, std::span<const uint8_t> data);
};

}  // namespace crx
