#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace crx {

class MidiEvent;

// Reading and rewriting the text of the lyric events (Meta 0x05) that the
// kana passes change in place.
class LyricEvent {
 public:
  static bool IsLyric(const MidiEvent& event);
  // The text: the data up to its first zero byte.
  static std::string Text(const MidiEvent& event);
  // Replaces the data with the text; an empty text is stored as one zero byte.
  static void Rewrite(MidiEvent& event, std::string_view text);
  // Replaces the data with a text of up to maxBytes (cut after its last whole
  // character), without the warning for texts over 256 bytes.
  static void RewriteLong(MidiEvent& event, std::string_view text, size_t maxBytes);
};

}  // namespace crx
