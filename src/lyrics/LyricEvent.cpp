#include "lyrics/LyricEvent.h"

#include <algorithm>

#include "lyrics/Cp932Text.h"
#include "midi/MidiEvent.h"

namespace crx {

bool LyricEvent::IsLyric(const MidiEvent& event) { return event.IsMeta(kMetaLyric); }

std::string LyricEvent::Text(const MidiEvent& event) {
  std::string data = event.Text();
  return std::string(Cp932Text::UpToZero(data));
}

void LyricEvent::Rewrite(MidiEvent& event, std::string_view text) {
  if (text.empty()) {
    static constexpr char kZero[1] = {0};
    event.SetData(std::string_view(kZero, 1));
  } else {
    event.SetData(text);
  }
}

void LyricEvent::RewriteLong(MidiEvent& event, std::string_view text, size_t maxBytes) {
  size_t length = 0;
  while (length < text.size()) {
    size_t n = Cp932Text::CharLength(text, length);
    if (length + n > maxBytes) break;
    length += n;
  }
  text = text.substr(0, length);
  if (text.size() <= static_cast<size_t>(kMaxEventData)) {
    Rewrite(event, text);
    return;
  }
  event.ResizeData(static_cast<int>(text.size()));
  event.SetDataLength(static_cast<int>(text.size()));
  std::copy(text.begin(), text.end(), event.DataAt(0));
}

}  // namespace crx
