#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace crx {

// The header chunk of a MIDI file as its bytes hold it: "MThd" at the start
// or behind a 128-byte Mac binary header, the declared length of its body and
// as many of its three fields (format, track count, division) as the bytes
// hold. The fields are read from the start of the body whatever the length
// says; each reader decides what it requires.
class MidiHeader {
 public:
  // The offset of "MThd" (0, else 128), or nothing when neither holds it.
  static std::optional<size_t> Locate(std::span<const uint8_t> bytes);
  // Nothing when "MThd" is at neither offset or the bytes end inside its
  // chunk header (identifier and length).
  static std::optional<MidiHeader> Read(std::span<const uint8_t> bytes);

  size_t Offset() const { return offset_; }
  // The declared length of the body: 6 in a well-formed file.
  uint32_t Length() const { return length_; }
  std::optional<uint16_t> Format() const { return format_; }
  std::optional<uint16_t> Tracks() const { return tracks_; }
  std::optional<uint16_t> Division() const { return division_; }
  // All three fields are present and the length covers them.
  bool Complete() const;
  // Ticks per quarter note: a division that is not 0 and not frames per
  // second (top bit set).
  bool HasMetricalDivision() const;
  // Where the chunk after the header begins by its declared length (possibly
  // past the end of the bytes).
  uint64_t End() const;

 private:
  size_t offset_ = 0;
  uint32_t length_ = 0;
  std::optional<uint16_t> format_;
  std::optional<uint16_t> tracks_;
  std::optional<uint16_t> division_;
};

}  // namespace crx
