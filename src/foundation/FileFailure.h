#pragma once

#include <cstdint>
#include <string_view>

namespace crx {

// Why a file could not be read or written, in the terms a user can act on:
// the codes (tag FILE) of plain messages whose fixed text does not say it.
// The message keeps its text; the code only names the cause.
class FileFailure {
 public:
  static constexpr std::string_view kTag = "FILE";
  // Writing: the folder to write into is missing.
  static constexpr uint32_t kNoFolder = 0x10000001;
  // Writing: no permission, or a read-only medium.
  static constexpr uint32_t kWriteDenied = 0x10000002;
  // Writing: no space left, or the file grew past what the medium takes.
  static constexpr uint32_t kDiskFull = 0x10000003;
  // Reading: the file is not there.
  static constexpr uint32_t kNotFound = 0x10000004;
  // Reading: no permission.
  static constexpr uint32_t kReadDenied = 0x10000005;
  // Reading: the file is not of the kind expected, or is damaged.
  static constexpr uint32_t kUnusable = 0x10000006;
  // Reading: the file ends before the data it declares.
  static constexpr uint32_t kCutShort = 0x10000007;

  // The code for a failed write with the system's error number (errno); 0
  // when the cause is none of the above.
  static uint32_t OfWriting(int errorNumber);
  // The code for a failed open or read; 0 when none of the above.
  static uint32_t OfReading(int errorNumber);

  // Reports the text as a plain message carrying the code; without a code
  // (0) the message goes out untagged, as before.
  static void Report(std::string_view text, uint32_t code);
};

}  // namespace crx
