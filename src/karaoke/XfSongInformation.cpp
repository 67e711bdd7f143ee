#include "karaoke/XfSongInformation.h"

#include <vector>

#include "karaoke/XfKaraokeData.h"
#include "midi/MidiEvent.h"
#include "midi/MidiTrackData.h"

namespace crx {
namespace {

// Field positions after the tag.
constexpr size_t kLnSongName = 1;
constexpr size_t kLnComposer = 2;
constexpr size_t kLnLyricist = 3;
constexpr size_t kLnPerformer = 5;
constexpr size_t kHdDate = 0;
constexpr size_t kHdComposer = 6;
constexpr size_t kHdLyricist = 7;
constexpr size_t kHdPerformer = 9;

std::vector<std::string_view> SplitFields(std::string_view text) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  for (;;) {
    const size_t colon = text.find(':', start);
    if (colon == std::string_view::npos) {
      fields.push_back(text.substr(start));
      return fields;
    }
    fields.push_back(text.substr(start, colon - start));
    start = colon + 1;
  }
}

void Fill(std::string& field, const std::vector<std::string_view>& fields, size_t index) {
  if (field.empty() && index < fields.size()) field = std::string(fields[index]);
}

}  // namespace

void XfSongInformation::Merge(std::string_view text) {
  if (!text.empty() && text.front() == '$') text.remove_prefix(1);
  const bool line = text.starts_with("XFln:");
  const bool header = text.starts_with("XFhd:");
  if (!line && !header) return;
  const std::vector<std::string_view> fields = SplitFields(text.substr(5));
  if (line) {
    Fill(title, fields, kLnSongName);
    Fill(composer, fields, kLnComposer);
    Fill(lyricist, fields, kLnLyricist);
    Fill(performer, fields, kLnPerformer);
  } else {
    Fill(composer, fields, kHdComposer);
    Fill(lyricist, fields, kHdLyricist);
    Fill(performer, fields, kHdPerformer);
    Fill(date, fields, kHdDate);
  }
}

XfSongInformation XfSongInformation::From(const XfKaraokeData& song) {
  XfSongInformation info;
  const MidiTrackData* track = song.XfihTrack();
  if (track == nullptr) return info;
  // The language line first: it names the song; the header only fills gaps.
  for (const char* tag : {"XFln:", "XFhd:"}) {
    for (const MidiEvent& event : track->Events()) {
      if (event.kind != MidiKind::Meta || event.subtype != kMetaText) continue;
      const std::string text = event.Text();
      const std::string_view view = text;
      if (view.find(tag) <= 1) info.Merge(view);
    }
  }
  return info;
}

}  // namespace crx
