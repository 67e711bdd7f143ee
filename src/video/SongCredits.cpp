#include "video/SongCredits.h"

#include <algorithm>
#include <vector>

#include "karaoke/XfKaraokeData.h"
#include "karaoke/XfSongInformation.h"
#include "midi/MidiEvent.h"
#include "midi/MidiTrackData.h"
#include "platform/TextCodec.h"
#include "video/VideoText.h"

namespace crx {
namespace {

constexpr size_t kYearDigits = 4;

std::string Shown(std::string_view cp932) {
  return std::string(VideoText::TrimBlanks(TextCodec::Cp932ToUtf8Lossy(cp932)));
}

std::string YearOf(std::string_view date) {
  date = date.substr(date.find_first_not_of(' ') == std::string_view::npos
                         ? date.size()
                         : date.find_first_not_of(' '));
  if (date.size() < kYearDigits) return {};
  const std::string_view year = date.substr(0, kYearDigits);
  const bool digits =
      std::all_of(year.begin(), year.end(), [](char c) { return c >= '0' && c <= '9'; });
  return digits ? std::string(year) : std::string();
}

}  // namespace

void SongCredits::Merge(std::string_view cp932) {
  XfSongInformation info;
  info.Merge(cp932);
  FillFrom(FromInformation(info));
}

SongCredits SongCredits::FromInformation(const XfSongInformation& info) {
  SongCredits credits;
  credits.title = Shown(info.title);
  credits.composer = Shown(info.composer);
  credits.lyricist = Shown(info.lyricist);
  credits.artist = Shown(info.performer);
  credits.year = YearOf(info.date);
  return credits;
}

SongCredits SongCredits::FromKaraoke(const XfKaraokeData& song) {
  return FromInformation(XfSongInformation::From(song));
}

void SongCredits::FillFrom(const SongCredits& other) {
  for (auto field : {&SongCredits::title, &SongCredits::artist, &SongCredits::lyricist,
                     &SongCredits::composer, &SongCredits::year}) {
    if ((this->*field).empty()) this->*field = other.*field;
  }
}

}  // namespace crx
