#include "lyrics/CVocaloidConvertRemoveChar.h"

#include "karaoke/XfKaraokeData.h"
#include "lyrics/Cp932Text.h"
#include "lyrics/LyricEvent.h"

namespace crx {

CVocaloidConvertRemoveChar::CVocaloidConvertRemoveChar(XfKaraokeData& song, char singleByte,
                                                       std::string_view doubleByte) {
  MidiTrackData* lyrics = song.LyricTrack();
  if (lyrics == nullptr) return;
  for (MidiEvent& event : lyrics->Events()) {
    if (!LyricEvent::IsLyric(event)) continue;
    std::string text = LyricEvent::Text(event);
    std::string removed = Remove(text, singleByte, doubleByte);
    if (removed != text) LyricEvent::Rewrite(event, removed);
  }
}

std::string CVocaloidConvertRemoveChar::Remove(std::string_view text, char singleByte,
                                               std::string_view doubleByte) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    size_t n = Cp932Text::CharLength(text, i);
    std::string_view ch = text.substr(i, n);
    bool drop = n == 1 ? ch[0] == singleByte : (doubleByte.size() == 2 && ch == doubleByte);
    if (!drop) out.append(ch);
    i += n;
  }
  return out;
}

}  // namespace crx
