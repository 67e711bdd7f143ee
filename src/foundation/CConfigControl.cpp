#include "foundation/CConfigControl.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "foundation/FileDescriptor.h"
#include "foundation/FileHelpers.h"
#include "foundation/GeneralError.h"

namespace crx {

CConfigControl::CConfigControl(std::string path, std::span<uint8_t> record,
                               std::span<const uint8_t> defaults, bool withDetail,
                               std::span<const size_t> earlierSizes)
    : path_(std::move(path)), record_(record), withDetail_(withDetail) {
  if (FileExists(path_)) {
    int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      GeneralErrorMsg(kGeneOpenFailed, withDetail_ ? path_.c_str() : nullptr);
      return;
    }
    size_t done = FileDescriptor::ReadFully(fd, record_);
    close(fd);
    bytesLoaded_ = done;
    if (done != record_.size()) {
      // A short file: its bytes are used as far as they go, the defaults
      // fill the rest.
      size_t n = std::min(record_.size(), defaults.size());
      if (done < n)
        std::copy(defaults.begin() + done, defaults.begin() + n, record_.begin() + done);
      const bool earlier =
          std::find(earlierSizes.begin(), earlierSizes.end(), done) != earlierSizes.end();
      if (!earlier) GeneralErrorMsg(kGeneTooLarge);
    }
    return;
  }
  size_t n = std::min(record_.size(), defaults.size());
  std::copy(defaults.begin(), defaults.begin() + n, record_.begin());
}

CConfigControl::~CConfigControl() {
  if (saveOnDestroy_) Save();
}

bool CConfigControl::Save() {
  const char* detail = withDetail_ ? path_.c_str() : nullptr;
  if (path_.empty()) {
    GeneralErrorMsg(kGeneOpenFailed, detail);
    return false;
  }
  std::string temp = path_ + ".tmp";
  int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    GeneralErrorMsgWithReason(kGeneOpenFailed, detail, errno);
    return false;
  }
  int failure = 0;
  if (!FileDescriptor::WriteFully(fd, record_) || fsync(fd) != 0) failure = errno;
  if (close(fd) != 0 && failure == 0) failure = errno;
  if (failure == 0 && std::rename(temp.c_str(), path_.c_str()) != 0) failure = errno;
  const bool ok = failure == 0;
  if (!ok) {
    unlink(temp.c_str());
    GeneralErrorMsgWithReason(kGeneOpenFailed, detail, failure);
  }
  return ok;
}

}  // namespace crx
