#pragma once

#include <string>

namespace crx {

// The tests' reference lead-in, kept beside the product's one to check it.
// Writes the source WAV file to the destination with milliseconds of
// silence in front, in the source's own format. The whole work is done by
// the constructor.
class CWaveInsert {
 public:
  CWaveInsert(const std::string& sourcePath, const std::string& destinationPath, int milliseconds);
  ~CWaveInsert() = default;

  // True when the destination was written whole.
  bool Written() const { return written_; }

 private:
  bool written_ = false;
};

}  // namespace crx
