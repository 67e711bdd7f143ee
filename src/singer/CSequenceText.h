#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "singer/SingerSequence.h"

namespace crx {

// Reads the vocal sequence text (the joined payloads of the "DM:" text
// events, CP932 with LF line ends): the event list, the note groups and the
// handles they name. A text that cannot be sung gives no notes and the reason
// in plain words.
class CSequenceText {
 public:
  static constexpr int64_t kMaxTick = 0x7FFFFFFF;
  static constexpr int32_t kMaxLength = 0x0FFFFFFF;

  struct Result {
    std::vector<SungNote> notes;
    int64_t endTick = -1;  // the "EOS" entry, -1 without one
    std::string error;     // empty when the text was read
  };

  static Result Parse(std::string_view text);
};

}  // namespace crx
