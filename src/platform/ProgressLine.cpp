#include "platform/ProgressLine.h"

#include <unistd.h>

#include <algorithm>
#include <utility>

namespace crx {

ProgressLine::ProgressLine(std::string programName, std::FILE* out)
    : name_(std::move(programName)), out_(out), terminal_(isatty(fileno(out)) == 1) {}

ProgressLine::~ProgressLine() {
  if (terminal_ && shown_) {
    std::fputc('\n', out_);
    std::fflush(out_);
  }
}

void ProgressLine::Show(int percent) {
  percent = std::clamp(percent, 0, kFullPercent);
  if (terminal_) {
    std::fprintf(out_, "\r%s: %3d%%", name_.c_str(), percent);
  } else if (percent >= last_ + kPercentStep || (percent == kFullPercent && last_ < kFullPercent)) {
    std::fprintf(out_, "%s: %d%%\n", name_.c_str(), percent);
    last_ = percent;
  } else {
    return;
  }
  shown_ = true;
  std::fflush(out_);
}

int ProgressLine::PercentOf(std::string_view programName, std::string_view line) {
  if (programName.empty() || !line.starts_with(programName)) return kNotProgress;
  line.remove_prefix(programName.size());
  if (!line.starts_with(':')) return kNotProgress;
  line.remove_prefix(1);
  const size_t digits = line.find_first_not_of(' ');
  if (digits == 0 || digits == std::string_view::npos) return kNotProgress;
  line.remove_prefix(digits);
  if (line.size() < 2 || line.size() > 4 || line.back() != '%') return kNotProgress;
  line.remove_suffix(1);
  int percent = 0;
  for (char c : line) {
    if (c < '0' || c > '9') return kNotProgress;
    percent = percent * 10 + (c - '0');
  }
  return percent <= kFullPercent ? percent : kNotProgress;
}

}  // namespace crx
