#pragma once

#include <string>

namespace crx {

// Moves an earlier file of a name out of the way while a program makes a new
// one, so that only the new file can count as the program's work. Unless
// kept, whatever now stands under the name goes and the earlier file comes
// back when the object ends; kept, the earlier file is removed.
class SetAsideFile {
 public:
  explicit SetAsideFile(std::string path);
  ~SetAsideFile();
  SetAsideFile(const SetAsideFile&) = delete;
  SetAsideFile& operator=(const SetAsideFile&) = delete;

  void Keep() { kept_ = true; }
  // Where the earlier file waits (empty when there was none).
  const std::string& AsidePath() const { return aside_; }

 private:
  std::string path_;
  std::string aside_;
  bool kept_ = false;
};

}  // namespace crx
