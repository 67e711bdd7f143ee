#include "karaoke/MelodyChannelFinder.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

namespace crx {
namespace {

constexpr char kFieldSeparator = ':';
constexpr char kListSeparator = ',';
constexpr int kFirstChannel = 1;
constexpr int kLastChannel = 16;
// More digits than this name no channel (and cannot overflow).
constexpr size_t kMaxDigits = 3;
constexpr std::array<uint8_t, 3> kGuideFlagPrefix = {0x43, 0x7B, 0x0C};
constexpr size_t kRightHandIndex = 3;

std::string_view Trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

MelodyChannelFinder::MelodyChannelFinder(const XfKaraokeData& song) {
  std::optional<int> found = FromCues(song.LyricTrack());
  if (!found) found = FromCues(&song.MainTrack());
  if (found) {
    channel_ = *found;
    source_ = MelodySource::LyrcCue;
    return;
  }
  for (const MidiEvent& ev : song.MainTrack().Events()) {
    if (std::optional<int> guide = ChannelOfGuideFlag(ev)) {
      channel_ = *guide;
      source_ = MelodySource::GuideTrack;
      return;
    }
  }
  if (song.LyricSourceChannel() >= 0 && song.LyricSourceChannel() < kLastChannel) {
    channel_ = song.LyricSourceChannel();
    source_ = MelodySource::LyricsTrack;
  }
}

std::string_view MelodyChannelFinder::ReasonFor(MelodySource source) {
  switch (source) {
    case MelodySource::LyrcCue:
      return "$Lyrc の指定";
    case MelodySource::GuideTrack:
      return "ガイドトラックの指定";
    case MelodySource::LyricsTrack:
      return "歌詞と同じトラックの音符";
    case MelodySource::Default:
      break;
  }
  return "既定 (MIDIチャンネル1)";
}

std::optional<int> MelodyChannelFinder::FromCues(const MidiTrackData* track) {
  if (track == nullptr) return std::nullopt;
  for (const MidiEvent& ev : track->Events()) {
    if (!ev.IsMeta(kMetaCuePoint)) continue;
    if (std::optional<int> channel = ChannelOfLyrcCue(ev.Text())) return channel;
  }
  return std::nullopt;
}

std::optional<int> MelodyChannelFinder::ChannelOfLyrcCue(std::string_view text) {
  if (text.substr(0, kLyrcCue.size()) != kLyrcCue) return std::nullopt;
  std::string_view field = text.substr(kLyrcCue.size());
  field = field.substr(0, field.find(kFieldSeparator));
  field = Trimmed(field.substr(0, field.find(kListSeparator)));
  if (field.empty() || field.size() > kMaxDigits) return std::nullopt;
  int number = 0;
  for (char c : field) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + (c - '0');
  }
  if (number < kFirstChannel || number > kLastChannel) return std::nullopt;
  return number - kFirstChannel;
}

std::optional<int> MelodyChannelFinder::ChannelOfGuideFlag(const MidiEvent& event) {
  if (!event.IsMeta(kMetaSequencerSpecific)) return std::nullopt;
  const auto bytes = event.Bytes();
  if (bytes.size() <= kRightHandIndex ||
      !std::equal(kGuideFlagPrefix.begin(), kGuideFlagPrefix.end(), bytes.begin())) {
    return std::nullopt;
  }
  const int rightHand = bytes[kRightHandIndex];
  if (rightHand < kFirstChannel || rightHand > kLastChannel) return std::nullopt;
  return rightHand - kFirstChannel;
}

}  // namespace crx
