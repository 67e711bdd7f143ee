#include "audio/TemporaryFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace crx {
namespace {

// The name is hidden and keeps the start of the target's name; the rest
// stays within the file system's limit of 255 bytes a name.
constexpr size_t kMaxNameKept = 200;
constexpr const char* kUniqueSuffix = ".XXXXXX";
constexpr mode_t kFileMode = 0644;

}  // namespace

TemporaryFile::TemporaryFile(std::string target) : target_(std::move(target)) {
  const size_t slash = target_.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  std::string name = target_.substr(nameStart, kMaxNameKept);
  std::string pattern = target_.substr(0, nameStart) + "." + name + kUniqueSuffix;
  const int fd = mkstemp(pattern.data());
  if (fd < 0) {
    lastError_ = errno;
    return;
  }
  const bool ok = fchmod(fd, kFileMode) == 0;
  if (!ok) lastError_ = errno;
  if (close(fd) != 0 && ok) lastError_ = errno;
  if (lastError_ != 0) {
    unlink(pattern.c_str());
    return;
  }
  path_ = std::move(pattern);
}

TemporaryFile::~TemporaryFile() {
  if (!path_.empty()) unlink(path_.c_str());
}

bool TemporaryFile::Commit() {
  if (path_.empty()) return false;
  if (std::rename(path_.c_str(), target_.c_str()) != 0) {
    lastError_ = errno;
    return false;
  }
  path_.clear();
  return true;
}

}  // namespace crx
