#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "lyrics/VocalNote.h"

namespace crx {

// One control change of the vocal control stream (controller, value).
struct VocalControl {
  uint8_t controller = 0;
  uint8_t value = 0;
  bool operator==(const VocalControl&) const = default;
};

// The control block of one record: the delta of its first control (ticks
// since the previous record's start) and its controls in order.
struct VocalControlBlock {
  int32_t delta = 0;
  std::vector<VocalControl> controls;
};

// The content of a vocal sequence, independent of the MIDI file that carries
// it: the sequence text in its groups of lines, the text events they are
// packed into, and the NRPN control stream.
class CVocalSequence {
 public:
  // Ticks before the first measure of the sequence: four 4/4 measures of
  // 1920 ticks ("PreMeasure=4").
  static constexpr int32_t kPreMeasureTicks = 7680;
  // A text event, its "DM:%04d:" prefix included, holds at most this many bytes.
  static constexpr size_t kMaxTextEventSize = 127;
  static constexpr int32_t kErrorNoteNumber = 72;
  static constexpr size_t kMaxSymbolLength = 9;
  static constexpr size_t kInitialControlCount = 12;
  static constexpr size_t kTrailingControlCount = 6;

  // A record's note number folded into the MIDI range once: minus 12 above
  // 127, plus 12 below 0.
  static int32_t FoldNote(int32_t note);

  // Each record but the last that lasts past the next record's start is cut
  // to end there.
  static void ShortenOverlaps(std::span<VocalNote> notes);

  // The sequence text: header, event list, one ID group per record but the
  // last, singer handle, then for every record its lyric-handle group and its
  // vibrato-handle group. Lines without their LF.
  static std::vector<std::vector<std::string>> TextGroups(std::span<const VocalNote> notes,
                                                          std::string_view singerName);
  // Packs the groups into text-event payloads "DM:%04d:..." numbered from 0,
  // each line followed by LF, never splitting a line nor mixing two groups.
  static std::vector<std::string> PackTextEvents(
      const std::vector<std::vector<std::string>>& groups);

  // The block that selects the singer's program, sent before the notes.
  static std::vector<VocalControl> InitialControls(int32_t program);
  // The phonetic characters sent for a record: the symbol of its lyric's
  // first syllable (the record's own symbol when the lyric yields none),
  // without blanks.
  static std::string SymbolCharacters(const VocalNote& note);
  // The note block of one record with a note number already in range.
  static std::vector<VocalControl> NoteControls(int32_t note, std::string_view symbol);
  // Controls that a note block holds for a symbol of m characters.
  static size_t NoteControlCount(size_t symbolLength);
  // The controls that close every note block.
  static std::vector<VocalControl> TrailingControls();

  // The whole control stream after the initial block: per record its note
  // block and the closing controls, up to the end record. Shows "note error"
  // for an end record before the last and "Error Num" for a block of the
  // wrong size.
  static std::vector<VocalControlBlock> ControlStream(std::span<const VocalNote> notes);
};

}  // namespace crx
