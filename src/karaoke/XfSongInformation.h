#pragma once

#include <string>
#include <string_view>

namespace crx {

class XfKaraokeData;

// Title, composer and lyricist as a karaoke file's information header holds
// them: the "$XFln" text (language, song name, composer, lyricist, ...) and,
// where that leaves a field empty, the "$XFhd" text (date, country,
// category, beat, instrument, vocal, composer, lyricist, arranger,
// performer, ...). Fields are
// separated by ":"; texts are CP932 as the file holds them. A field missing
// in both is empty.
struct XfSongInformation {
  std::string title;
  std::string composer;
  std::string lyricist;
  std::string performer;
  std::string date;  // the header's first field, as written

  static XfSongInformation From(const XfKaraokeData& song);
  // One "$XFln:..." or "$XFhd:..." text (the "$" is optional) merged into
  // the fields that are still empty.
  void Merge(std::string_view text);
};

}  // namespace crx
