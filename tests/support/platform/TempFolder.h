#pragma once

#include <string>

namespace crx::test {

// A fresh folder under /tmp, removed with everything in it at the end.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Writes bytes to a file, creating or truncating it.
void WriteFileBytes(const std::string& path, const std::string& bytes);
// The whole file, or an empty text when it cannot be read.
std::string ReadFileBytes(const std::string& path);
// A text as one single-quoted word of a shell command line.
std::string ShellQuote(const std::string& text);

}  // namespace crx::test
