#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace crx {

// A command-line program's progress in percent on standard error, in the
// shape the main program reads back: "<name>: N%". On a terminal one line
// is rewritten in place ("\r"); otherwise a line is written every
// kPercentStep percent and at 100.
class ProgressLine {
 public:
  static constexpr int kPercentStep = 10;
  static constexpr int kFullPercent = 100;
  static constexpr int kNotProgress = -1;

  // out: where the lines go (standard error; a file in tests).
  explicit ProgressLine(std::string programName, std::FILE* out = stderr);
  // On a terminal, ends the rewritten line.
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // percent: 0 to 100; values outside are taken as the nearest end.
  void Show(int percent);

  // The percent a line of programName's error text reports (padding spaces
  // before the number allowed), or kNotProgress for any other line.
  static int PercentOf(std::string_view programName, std::string_view line);

 private:
  std::string name_;
  std::FILE* out_;
  bool terminal_;
  bool shown_ = false;
  int last_ = -kPercentStep;
};

}  // namespace crx
