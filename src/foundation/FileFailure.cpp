#include "foundation/FileFailure.h"

#include <cerrno>
#include <string>

#include "foundation/Diagnostics.h"

namespace crx {

uint32_t FileFailure::OfWriting(int errorNumber) {
  switch (errorNumber) {
    case ENOENT:
    case ENOTDIR:
      return kNoFolder;
    case EACCES:
    case EPERM:
    case EROFS:
      return kWriteDenied;
    case ENOSPC:
    case EFBIG:
    case EDQUOT:
      return kDiskFull;
    default:
      return 0;
  }
}

uint32_t FileFailure::OfReading(int errorNumber) {
  switch (errorNumber) {
    case ENOENT:
    case ENOTDIR:
      return kNotFound;
    case EACCES:
    case EPERM:
      return kReadDenied;
    default:
      return 0;
  }
}

void FileFailure::Report(std::string_view text, uint32_t code) {
  if (code == 0) {
    ReportPlain(text);
    return;
  }
  crx::Report({DiagnosticKind::Plain, std::string(text), std::string(kTag), code});
}

}  // namespace crx
