#pragma once

#include <string>
#include <string_view>

namespace crx {

class MidiTrackData;
class XfKaraokeData;

// The correction pass of step 2: walks the lyric events in order and opens
// CTextEditDlg for every lyric that is not plain kana or holds "は" or "へ",
// with the last 16 bytes of the lyrics before it as context; a lyric whose
// は or へ its line reads as a particle is offered with them as sung (わ,
// え). A corrected, non-empty lyric rewrites its event.
class CLyricCorrection {
 public:
  static constexpr size_t kContextBytes = 16;

  // Returns the number of dialogs shown.
  // particlesAsSung: offer the particles of the line as sung (without it,
  // every lyric is offered as written).
  static int Run(MidiTrackData& lyricTrack, bool particlesAsSung = true);
  // The same over the song's lyric track (none: nothing to correct).
  static int Run(XfKaraokeData& song, bool particlesAsSung = true);

  // Plain kana: the 80 katakana and 80 hiragana of the syllable table and
  // "ー", nothing else (CP932).
  static bool IsPlainKana(std::string_view cp932);
  // The lyric needs the dialog: not plain kana, or a "は"/"へ" anywhere.
  static bool NeedsCorrection(std::string_view cp932);
};

}  // namespace crx
