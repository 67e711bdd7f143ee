#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "singer/SingerSequence.h"

namespace crx {

// Reads a vocal MIDI file: the tempo map of its conductor track and the
// sequence text that its voice track carries as "DM:%04d:" text events,
// joined in the order of their numbers. Built on the MIDI library's track
// parser; every read is bounds-checked.
class CVocalMidiReader {
 public:
  // Files larger than this are no vocal MIDI of ours.
  static constexpr size_t kMaxFileSize = 8 * 1024 * 1024;

  struct Result {
    SingerSequence sequence;
    std::string error;  // empty when read; otherwise the reason in plain words
  };

  static Result FromBytes(std::span<const uint8_t> bytes);
  static Result FromFile(const std::string& path);

  // The sequence text of the voice track's "DM:" events (exposed for tests):
  // empty with a reason when the numbering has a gap or none is present.
  static std::string JoinText(std::span<const std::string> payloads, std::string& error);
};

}  // namespace crx
