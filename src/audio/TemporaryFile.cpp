#include "audio/TemporaryFile.h"

#include <sys/stat.h>
#include <unistd.h>

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
  if (fd < 0) return;
  const bool ok = fchmod(fd, kFileMode) == 0;
  if (close(fd) != 0 || !ok) {
    unlink(pattern.c_str());
    return;
  }
  path_ = std::move(pattern);
}

TemporaryFile::~TemporaryFile() {
  if (!path_.empty()) unlink(path_.c_str());
}

bool TemporaryFile::Commit() {
  if (path_.empty() || std::rename(path_.c_str(), target_.c_str()) != 0) return false;
  path_.clear();
  return true;
}

}  // namespace crx
