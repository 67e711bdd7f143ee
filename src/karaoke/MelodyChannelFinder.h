#pragma once

#include <optional>
#include <string_view>

#include "karaoke/XfKaraokeData.h"

namespace crx {

// Where the melody channel of a song was found.
enum class MelodySource {
  LyrcCue,      // the first field of a "$Lyrc:" cue
  GuideTrack,   // the right-hand part of the XF guide-track flag
  LyricsTrack,  // the notes that shared the lyrics' track in a format 1 file
  Default,      // MIDI channel 1
};

// Finds the channel (0-15) that carries the melody of a loaded song, in this
// order: a "$Lyrc:" cue of the lyric track, then of the main track (the
// first channel of its list; 0, 17 and above, or no number do not count);
// the first guide-track flag (FF 7F 05 43 7B 0C rr ll) of the main track
// whose rr names a channel 1-16; the channel of the notes in the lyrics'
// own track; channel 0.
class MelodyChannelFinder {
 public:
  // The cue point that begins XF lyrics and names their channels.
  static constexpr std::string_view kLyrcCue = "$Lyrc:";

  explicit MelodyChannelFinder(const XfKaraokeData& song);

  int Channel() const { return channel_; }
  MelodySource Source() const { return source_; }
  // A short Japanese text of the source, for messages.
  std::string_view Reason() const { return ReasonFor(source_); }
  static std::string_view ReasonFor(MelodySource source);

  // The 0-based channel a "$Lyrc:" cue text names, if it names one.
  static std::optional<int> ChannelOfLyrcCue(std::string_view text);
  // The 0-based right-hand channel of a guide-track flag's data
  // (43 7B 0C rr ll), if the data is one and names a channel.
  static std::optional<int> ChannelOfGuideFlag(const MidiEvent& event);

 private:
  static std::optional<int> FromCues(const MidiTrackData* track);

  int channel_ = 0;
  MelodySource source_ = MelodySource::Default;
};

}  // namespace crx
