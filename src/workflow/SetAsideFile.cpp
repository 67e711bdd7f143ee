#include "workflow/SetAsideFile.h"

#include <unistd.h>

#include <cstdio>

namespace crx {
namespace {

constexpr const char* kAsideEnding = ".crx-earlier";

}  // namespace

SetAsideFile::SetAsideFile(std::string path) : path_(std::move(path)) {
  if (path_.empty() || access(path_.c_str(), F_OK) != 0) return;
  const size_t slash = path_.find_last_of('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::string aside =
      path_.substr(0, nameStart) + "." + path_.substr(nameStart) + kAsideEnding;
  if (std::rename(path_.c_str(), aside.c_str()) == 0) aside_ = aside;
}

SetAsideFile::~SetAsideFile() {
  if (kept_) {
    if (!aside_.empty()) std::remove(aside_.c_str());
    return;
  }
  std::remove(path_.c_str());
  if (!aside_.empty()) std::rename(aside_.c_str(), path_.c_str());
}

}  // namespace crx
