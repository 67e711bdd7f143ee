#include "video/ScratchSpace.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "foundation/FileHelpers.h"

namespace crx {
namespace {
constexpr const char* kFolderTemplate = "lyricreel-XXXXXX";
constexpr const char* kUniqueSuffix = ".XXXXXX";
constexpr const char* kDefaultTemporaryRoot = "/tmp";
constexpr mode_t kFileMode = 0666;
}  // namespace

ScratchSpace::~ScratchSpace() {
  for (const std::string& f : files_) unlink(f.c_str());
  if (!folder_.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
}

bool ScratchSpace::MakeFolder() {
  const char* root = std::getenv("TMPDIR");
  std::string pattern =
      JoinPath(root != nullptr && *root != '\0' ? root : kDefaultTemporaryRoot, kFolderTemplate);
  if (mkdtemp(pattern.data()) == nullptr) return false;
  folder_ = pattern;
  return true;
}

bool ScratchSpace::MakeFileBeside(const std::string& target, std::string& out) {
  const size_t slash = target.find_last_of('/');
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  const std::string folder = slash == std::string::npos ? std::string(".")
                             : slash == 0               ? std::string("/")
                                                        : target.substr(0, slash);
  std::string pattern = JoinPath(folder, "." + name + kUniqueSuffix);
  const int fd = mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) return false;
  // The file becomes the user's file: the usual permissions, not 0600.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, kFileMode & ~mask);
  close(fd);
  files_.push_back(pattern);
  out = pattern;
  return true;
}

void ScratchSpace::Keep(const std::string& file) {
  files_.erase(std::remove(files_.begin(), files_.end(), file), files_.end());
}

}  // namespace crx
