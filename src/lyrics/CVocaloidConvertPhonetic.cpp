#include "lyrics/CVocaloidConvertPhonetic.h"

#include "karaoke/XfKaraokeData.h"
#include "lyrics/CImeLanguage.h"
#include "lyrics/CSyllableTable.h"
#include "lyrics/LineReading.h"
#include "lyrics/LyricEvent.h"
#include "lyrics/LyricLines.h"

namespace crx {
namespace {

void ReadLyrics(XfKaraokeData& song, CImeLanguage& ime, const PhoneticOptions& options) {
  MidiTrackData* lyrics = song.LyricTrack();
  if (lyrics == nullptr || !ime.Available()) return;
  const LyricLines lines(*lyrics, ime, options.pageTicks, options.particlesAsSung,
                         options.dictionaryReadings, options.melody);
  for (int i = 0; i < lyrics->Count(); ++i) {
    MidiEvent& event = lyrics->Event(i);
    if (!LyricEvent::IsLyric(event)) continue;
    std::string text = LyricEvent::Text(event);
    if (text.empty()) continue;
    // The line's reading where the event needs one and the line has it, or
    // where a particle is sung as it sounds; else the event alone. From the
    // line an event may come out empty: its word's reading went to the
    // events before it.
    if (lines.NeedsReading(i) || (options.particlesAsSung && lines.HasParticle(i))) {
      if (std::optional<std::string> reading = lines.ReadText(i)) {
        if (*reading != text) LyricEvent::Rewrite(event, *reading);
        continue;
      }
    }
    const std::string reading = ime.GetPhonetic(text);
    if (!reading.empty() && reading != text) LyricEvent::Rewrite(event, reading);
  }
}

// Marks of the lyric that the syllable split never sings.
bool IsMark(std::string_view ch) { return ch == "/" || ch == "<" || ch == ">" || ch == "^"; }

bool Singable(std::string_view ch) {
  if (IsMark(ch)) return true;
  return LineReading::IsKana(ch) || CSyllableTable::IsSingable(ch);
}

}  // namespace

CVocaloidConvertPhonetic::CVocaloidConvertPhonetic(XfKaraokeData& song,
                                                   const PhoneticOptions& options) {
  CImeLanguage ime;
  ReadLyrics(song, ime, options);
}

CVocaloidConvertPhonetic::CVocaloidConvertPhonetic(XfKaraokeData& song,
                                                   std::unique_ptr<ReadingService> service,
                                                   const PhoneticOptions& options) {
  CImeLanguage ime(std::move(service));
  ReadLyrics(song, ime, options);
}

bool CVocaloidConvertPhonetic::HasUnsingable(const XfKaraokeData& song) {
  const MidiTrackData* lyrics = song.LyricTrack();
  if (lyrics == nullptr || song.IsSingleByteLyrics() == 1) return false;
  for (const MidiEvent& event : lyrics->Events()) {
    if (!LyricEvent::IsLyric(event)) continue;
    for (const std::string& ch : LineReading::Characters(LyricEvent::Text(event)))
      if (!Singable(ch)) return true;
  }
  return false;
}

void CVocaloidConvertPhonetic::ReadLoneWords(XfKaraokeData& song, CImeLanguage& ime) {
  MidiTrackData* lyrics = song.LyricTrack();
  if (lyrics == nullptr || !ime.Available() || song.IsSingleByteLyrics() == 1) return;
  for (MidiEvent& event : lyrics->Events()) {
    if (!LyricEvent::IsLyric(event)) continue;
    const std::string text = LyricEvent::Text(event);
    const std::vector<std::string> chars = LineReading::Characters(text);
    std::string fresh;
    bool changed = false;
    for (size_t k = 0; k < chars.size();) {
      if (Singable(chars[k])) {
        fresh += chars[k++];
        continue;
      }
      std::string run;
      while (k < chars.size() && !Singable(chars[k])) run += chars[k++];
      const std::string reading = ime.GetPhonetic(run);
      bool kana = !reading.empty();
      for (const std::string& ch : LineReading::Characters(reading))
        kana = kana && LineReading::IsKana(ch);
      if (kana) {
        fresh += reading;
        changed = true;
      } else {
        fresh += run;
      }
    }
    if (changed) LyricEvent::Rewrite(event, fresh);
  }
}

}  // namespace crx
