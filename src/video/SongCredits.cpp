#include "video/SongCredits.h"

#include <algorithm>
#include <vector>

#include "karaoke/XfKaraokeData.h"
#include "midi/MidiEvent.h"
#include "midi/MidiTrackData.h"
#include "platform/TextCodec.h"
#include "video/VideoText.h"

namespace crx {
namespace {

constexpr std::string_view kLineTag = "XFln:";
constexpr std::string_view kHeaderTag = "XFhd:";
// Field positions after the tag.
constexpr size_t kLnTitle = 1;
constexpr size_t kLnComposer = 2;
constexpr size_t kLnLyricist = 3;
constexpr size_t kLnPerformer = 5;
constexpr size_t kHdDate = 0;
constexpr size_t kHdComposer = 6;
constexpr size_t kHdLyricist = 7;
constexpr size_t kHdPerformer = 9;
constexpr size_t kYearDigits = 4;

std::vector<std::string_view> SplitFields(std::string_view text) {
  std::vector<std::string_view> fields;
  for (;;) {
    const size_t colon = text.find(':');
    fields.push_back(text.substr(0, colon));
    if (colon == std::string_view::npos) return fields;
    text.remove_prefix(colon + 1);
  }
}

std::string Shown(std::string_view cp932) {
  return std::string(VideoText::TrimBlanks(TextCodec::Cp932ToUtf8Lossy(cp932)));
}

void Fill(std::string& field, const std::vector<std::string_view>& fields, size_t index) {
  if (field.empty() && index < fields.size()) field = Shown(fields[index]);
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
  if (!cp932.empty() && cp932.front() == '$') cp932.remove_prefix(1);
  const bool line = cp932.starts_with(kLineTag);
  if (!line && !cp932.starts_with(kHeaderTag)) return;
  const std::vector<std::string_view> fields = SplitFields(cp932.substr(kLineTag.size()));
  if (line) {
    Fill(title, fields, kLnTitle);
    Fill(composer, fields, kLnComposer);
    Fill(lyricist, fields, kLnLyricist);
    Fill(artist, fields, kLnPerformer);
  } else {
    Fill(composer, fields, kHdComposer);
    Fill(lyricist, fields, kHdLyricist);
    Fill(artist, fields, kHdPerformer);
    if (year.empty() && !fields.empty()) year = YearOf(fields[kHdDate]);
  }
}

SongCredits SongCredits::FromKaraoke(const XfKaraokeData& song) {
  SongCredits credits;
  const MidiTrackData* track = song.XfihTrack();
  if (track == nullptr) return credits;
  // The language line names the song; the header only fills gaps.
  for (std::string_view tag : {kLineTag, kHeaderTag}) {
    for (const MidiEvent& event : track->Events()) {
      if (event.kind != MidiKind::Meta || event.subtype != kMetaText) continue;
      std::string text = event.Text();
      text.resize(std::min(text.size(), text.find('\0')));
      if (std::string_view(text).find(tag) <= 1) credits.Merge(text);
    }
  }
  return credits;
}

void SongCredits::FillFrom(const SongCredits& other) {
  for (auto field : {&SongCredits::title, &SongCredits::artist, &SongCredits::lyricist,
                     &SongCredits::composer, &SongCredits::year}) {
    if ((this->*field).empty()) this->*field = other.*field;
  }
}

}  // namespace crx
