#include "foundation/FileDescriptor.h"

#include <sys/types.h>
#include <unistd.h>

#include <cerrno>

namespace crx {

size_t FileDescriptor::ReadFully(int fd, std::span<uint8_t> out) {
  size_t done = 0;
  while (done < out.size()) {
    ssize_t r = read(fd, out.data() + done, out.size() - done);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    done += static_cast<size_t>(r);
  }
  return done;
}

size_t FileDescriptor::ReadFullyAt(int fd, uint64_t offset, std::span<uint8_t> out) {
  size_t done = 0;
  while (done < out.size()) {
    ssize_t r = pread(fd, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    done += static_cast<size_t>(r);
  }
  return done;
}

size_t FileDescriptor::WriteFullyAt(int fd, uint64_t offset, std::span<const uint8_t> data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t w =
        pwrite(fd, data.data() + done, data.size() - done, static_cast<off_t>(offset + done));
    if (w < 0 && errno == EINTR) continue;
    if (w == 0) errno = EIO;  // no progress and no reason given
    if (w <= 0) break;
    done += static_cast<size_t>(w);
  }
  return done;
}

bool FileDescriptor::WriteFully(int fd, std::span<const uint8_t> data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t w = write(fd, data.data() + done, data.size() - done);
    if (w < 0 && errno == EINTR) continue;
    if (w == 0) errno = EIO;  // no progress and no reason given
    if (w <= 0) return false;
    done += static_cast<size_t>(w);
  }
  return true;
}

}  // namespace crx
