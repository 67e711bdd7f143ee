#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "karaoke/KaraokeKind.h"
#include "karaoke/XfKaraokeData.h"

namespace crx {

// Loads the karaoke MIDI files users have into the one song model: XF files
// (lyrics in "XFKM"), XF data kept inside the track, .kar files and plain
// files with one lyric event per note. The bytes are looked at first (chunk
// list, kinds of events) and then read the one way that fits, so no message
// comes from trying a kind that does not.
//
// What the song holds afterwards, whatever the kind:
// - MainTrack(): every channel event, tempo and other event of every track,
//   merged in time order into one track (form 2, notes paired), without the
//   events that went to the lyric track.
// - LyricTrack(): the lyric events (Meta 0x05, CP932) at their ticks and the
//   cue points (Meta 0x07) of the lyrics' track, in the XF convention: a "/"
//   event ends a line, a "<" at the start of a text begins a page. Line and
//   page ends written otherwise are turned into these: CR and LF in a text,
//   a .kar text's "/" and "\" prefixes. The "@" header lines of a .kar file
//   are no lyrics (the "@T" lines become TitleLines()). A plain lyric that
//   only holds a continuation mark ("+", "-", "_", "...", "…", "ー", "ｰ")
//   becomes "ー".
class KaraokeFileLoader {
 public:
  // Reads the file and loads it. Null after a message when the file cannot
  // be read, is no MIDI file of format 0 or 1, or has no lyrics; null
  // without one when no path was chosen (empty).
  static std::unique_ptr<XfKaraokeData> Load(const std::string& path);
  // The same from bytes; the path is remembered by the song, and a path
  // ending in ".kar" marks the bytes as a .kar file.
  static std::unique_ptr<XfKaraokeData> LoadBytes(std::span<const uint8_t> bytes,
                                                  const std::string& path = {});
};

}  // namespace crx
