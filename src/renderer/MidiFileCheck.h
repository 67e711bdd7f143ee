#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace crx::renderer {

// Checks a file image before the synthesizer plays it. A Standard MIDI File
// starts with "MThd" (or has it behind a 128-byte Mac binary header).
class MidiFileCheck {
 public:
  // The offset of "MThd" (0 or 128), or nothing when the image is no MIDI file.
  static std::optional<size_t> HeaderOffset(std::span<const uint8_t> image);

  // True when the file from that offset is playable: a header of at least six
  // bytes, format 0 to 2, at least one track, a metrical division that is not
  // 0, and every announced "MTrk" chunk inside the image with events that
  // keep to their chunk (chunks of other kinds are skipped).
  static bool Playable(std::span<const uint8_t> midi);
};

}  // namespace crx::renderer
