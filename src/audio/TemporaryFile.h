#pragma once

#include <string>

namespace crx {

// A new file with a name of its own in the folder of a target path, for
// writing what is to replace the target: Commit renames it over the target
// in one step, so the target is either the old file or the whole new one.
// A file that was not committed is removed with the object.
class TemporaryFile {
 public:
  // Creates the empty file (mode 0644). Created() tells whether it could be.
  explicit TemporaryFile(std::string target);
  ~TemporaryFile();
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  bool Created() const { return !path_.empty(); }
  const std::string& Path() const { return path_; }
  // Renames the file over the target. False when that failed; the file is
  // then removed with the object.
  bool Commit();
  // The system's error number (errno) of a failed creation or renaming, 0
  // when none failed; for the reason in a caller's message.
  int LastError() const { return lastError_; }

 private:
  std::string target_;
  std::string path_;  // empty when nothing was created, or once committed
  int lastError_ = 0;
};

}  // namespace crx
