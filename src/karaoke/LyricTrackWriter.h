#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "karaoke/KaraokeKind.h"
#include "karaoke/LyricTextDecoder.h"
#include "midi/MidiTrackData.h"

namespace crx {

// Builds a lyric track in the convention of the lyric pipeline from the
// lyric texts of another kind of file, given in time order: CP932 text, a
// "/" event for a line end (at the tick of the text that ends the line, or
// of the text that a .kar "/" prefix starts), a "<" in front of the first
// text of a new page.
//
// - CR in a text ends the line there, LF the page (RP-017 style).
// - SoftKaraoke: a leading "\" starts a page, a leading "/" a line.
// - LyricMidi: a text that is only a continuation mark ("+", "-", "_",
//   "...", "…", "ー", "ｰ", blanks around it allowed) becomes "ー".
// Texts that end up empty are left out.
class LyricTrackWriter {
 public:
  LyricTrackWriter(KaraokeKind kind, LyricEncoding encoding);

  void Lyric(int64_t tick, std::string_view raw);
  // A cue point (Meta 0x07), text converted, otherwise as it is.
  void Cue(int64_t tick, std::string_view raw);
  // A text in the writer's encoding as CP932, without any control handling.
  std::string Convert(std::string_view raw) const;

  // The track (form 1) with an end of track after the last event.
  std::unique_ptr<MidiTrackData> TakeTrack();

 private:
  struct Item {
    int64_t tick;
    int type;
    std::string text;
  };
  void Segment(int64_t tick, std::string text);
  void Put(int64_t tick, int type, std::string text);

  KaraokeKind kind_;
  LyricEncoding encoding_;
  bool pendingPage_ = false;
  std::vector<Item> items_;
};

}  // namespace crx
