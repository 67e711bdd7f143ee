#include "lyrics/CVocaloidConvertEnglish.h"

#include "karaoke/XfKaraokeData.h"
#include "lyrics/CEnglishToKana.h"
#include "lyrics/LyricEvent.h"

namespace crx {

CVocaloidConvertEnglish::CVocaloidConvertEnglish(XfKaraokeData& song,
                                                 const std::string& dictionaryFolder) {
  CEnglishToKana english(dictionaryFolder);
  MidiTrackData* lyrics = song.LyricTrack();
  if (lyrics == nullptr) return;
  for (MidiEvent& event : lyrics->Events()) {
    if (!LyricEvent::IsLyric(event)) continue;
    std::string text = LyricEvent::Text(event);
    if (text.empty()) continue;
    std::string converted = english.ConvertText(text);
    if (!converted.empty() && converted != text) LyricEvent::Rewrite(event, converted);
  }
}

}  // namespace crx
