#pragma once

#include <cstdint>
#include <mutex>
#include <set>
#include <span>
#include <string>
#include <string_view>

namespace crx {

// One row of a module's message table.
struct ErrorEntry {
  uint32_t code;
  const char* message;
};

// Formats "TAG%08X %s": tag, the code in eight upper-case hexadecimal digits,
// a blank and the message.
std::string FormatTagged(std::string_view tag, uint32_t code, std::string_view message);

// The reporter of one tagged module: looks a code up in the module's table
// (the default message for codes it lacks), formats it with the tag and
// reports it as a module error diagnostic.
class ModuleReporter {
 public:
  ModuleReporter(std::string_view tag, std::span<const ErrorEntry> table,
                 std::string_view defaultMessage);

  std::string_view Tag() const { return tag_; }
  std::string_view MessageFor(uint32_t code) const;
  std::string Format(uint32_t code) const;

  // Shows the code's message. Returns the box's result (1, OK).
  int Report(uint32_t code) const;
  // Shows the code's message unless it was shown since the last re-arm.
  // Code 0 shows nothing and re-arms every flag.
  int ReportOnce(uint32_t code);
  void Rearm();

 private:
  std::string tag_;
  std::span<const ErrorEntry> table_;
  std::string defaultMessage_;
  std::mutex mutex_;
  std::set<uint32_t> shown_;
};

// Reports are formatted into a buffer of 2048 bytes: a longer text is cut
// to 2047 bytes, at the start of a UTF-8 character.
inline constexpr size_t kReportBufferSize = 2048;
void CutToReportBuffer(std::string& text);

// Reports an already formatted text as a module error and returns 1.
int ShowModuleError(std::string_view text);

}  // namespace crx
