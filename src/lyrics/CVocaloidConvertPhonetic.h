#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "lyrics/CVocaloidConvertDictionary.h"
#include "platform/ReadingService.h"

namespace crx {

class CImeLanguage;
class MelodyReadings;
class XfKaraokeData;

// How the reading-service pass reads the lyrics.
struct PhoneticOptions {
  bool particlesAsSung = false;    // the particles は and へ become わ and え
  std::vector<int64_t> pageTicks;  // ticks where a page started (sorted)
  // Where the kanji dictionary wrote its readings: no particle is found there.
  std::vector<TickRange> dictionaryReadings;
  // Chooses the readings of words that do not fit their notes (none: the
  // line's analysis stands everywhere).
  MelodyReadings* melody = nullptr;
};

// The reading-service pass: every lyric is read within its line (the lyric
// events between line and page marks): the line is analysed once and every
// event takes the reading of its own characters there. An event that the
// line leaves with an unread character, and an event of kana only, takes
// the reading of its text alone, as the service gives it. Without a service
// every lyric stays as it was. Does its whole work in the constructor.
class CVocaloidConvertPhonetic {
 public:
  // With the installed reading service.
  explicit CVocaloidConvertPhonetic(XfKaraokeData& song, const PhoneticOptions& options = {});
  CVocaloidConvertPhonetic(XfKaraokeData& song, std::unique_ptr<ReadingService> service,
                           const PhoneticOptions& options = {});

  // The last pass: every run of characters that the syllable split cannot
  // sing (kanji, Latin letters, symbols) left in a lyric is read as a lone
  // word; the reading replaces the run when it is all kana. Nothing is done
  // in a song of single-byte lyrics only.
  static void ReadLoneWords(XfKaraokeData& song, CImeLanguage& ime);
  // True when some lyric still holds a character the split cannot sing.
  static bool HasUnsingable(const XfKaraokeData& song);
};

}  // namespace crx
