#pragma once

#include <string>
#include <vector>

namespace crx {

// The temporary files of one run, all removed when it ends, whatever the
// outcome: a private folder under $TMPDIR (or /tmp), and files made beside
// the files they will replace.
class ScratchSpace {
 public:
  ScratchSpace() = default;
  ~ScratchSpace();
  ScratchSpace(const ScratchSpace&) = delete;
  ScratchSpace& operator=(const ScratchSpace&) = delete;

  // Makes the private folder; false when it cannot be made.
  bool MakeFolder();
  const std::string& Folder() const { return folder_; }
  // Makes an empty file with a fresh hidden name in the folder of target
  // (".NAME.XXXXXX"); false when that folder cannot be written.
  bool MakeFileBeside(const std::string& target, std::string& out);
  // The file is no longer temporary (it was renamed into place).
  void Keep(const std::string& file);

 private:
  std::string folder_;
  std::vector<std::string> files_;
};

}  // namespace crx
