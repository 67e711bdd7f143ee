#pragma once

#include <string>
#include <string_view>

namespace crx {

class XfKaraokeData;
struct XfSongInformation;

// Who made a song and when, as UTF-8 texts without blanks at either end:
// what the title card shows and the MP3's tags carry.
struct SongCredits {
  std::string title;
  std::string artist;
  std::string lyricist;
  std::string composer;
  std::string year;  // four digits, or empty

  bool Empty() const {
    return title.empty() && artist.empty() && lyricist.empty() && composer.empty() && year.empty();
  }

  // The karaoke file's information header: the "$XFln" line (language, song
  // name, composer, lyricist, arranger, performer, ...) first, the "$XFhd"
  // line (date, country, category, beat, instrument, vocal, composer,
  // lyricist, arranger, performer, ...) for what it leaves empty; the year is
  // the date's first four digits.
  static SongCredits FromKaraoke(const XfKaraokeData& song);
  // The header's fields shown: UTF-8, blanks trimmed, the year of its date.
  static SongCredits FromInformation(const XfSongInformation& info);
  // The fields of the "XFln:" or "XFhd:" text (a "$" before it is allowed)
  // that are still empty here.
  void Merge(std::string_view cp932);
  // Every field that is empty here takes the other's.
  void FillFrom(const SongCredits& other);
};

}  // namespace crx
