#include "lyrics/CVocaloidConvertPhonetic.h"

#include "karaoke/XfKaraokeData.h"
#include "lyrics/CImeLanguage.h"
#include "lyrics/LyricEvent.h"

namespace crx {
namespace {

void ReadLyrics(XfKaraokeData& song, CImeLanguage& ime) {
  MidiTrackData* lyrics = song.LyricTrack();
  if (lyrics == nullptr || !ime.Available()) return;
  for (MidiEvent& event : lyrics->Events()) {
    if (!LyricEvent::IsLyric(event)) continue;
    std::string text = LyricEvent::Text(event);
    if (text.empty()) continue;
    std::string reading = ime.GetPhonetic(text);
    if (!reading.empty() && reading != text) LyricEvent::Rewrite(event, reading);
  }
}

}  // namespace

CVocaloidConvertPhonetic::CVocaloidConvertPhonetic(XfKaraokeData& song) {
  CImeLanguage ime;
  ReadLyrics(song, ime);
}

CVocaloidConvertPhonetic::CVocaloidConvertPhonetic(XfKaraokeData& song,
                                                   std::unique_ptr<ReadingService> service) {
  CImeLanguage ime(std::move(service));
  ReadLyrics(song, ime);
}

}  // namespace crx
