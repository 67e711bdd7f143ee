#include "lyrics/CVocaloidConvertDigit.h"

#include <array>

#include "karaoke/XfKaraokeData.h"
#include "lyrics/Cp932Text.h"
#include "lyrics/LyricEvent.h"

namespace crx {
namespace {

constexpr std::array<const char*, 10> kDigitReadings{"ぜろ", "いち", "に",   "さん", "し",
                                                     "ご",   "ろく", "なな", "はち", "く"};
// Full-width digits ０ to ９ are 0x82 0x4F to 0x82 0x58 in CP932.
constexpr unsigned char kFullWidthLead = 0x82;
constexpr unsigned char kFullWidthZero = 0x4F;

const std::array<std::string, 10>& Readings() {
  static const std::array<std::string, 10> readings = [] {
    std::array<std::string, 10> r;
    for (size_t d = 0; d < r.size(); ++d) r[d] = Cp932Text::FromUtf8(kDigitReadings[d]);
    return r;
  }();
  return readings;
}

}  // namespace

CVocaloidConvertDigit::CVocaloidConvertDigit(XfKaraokeData& song) {
  MidiTrackData* lyrics = song.LyricTrack();
  if (lyrics == nullptr) return;
  for (MidiEvent& event : lyrics->Events()) {
    if (!LyricEvent::IsLyric(event)) continue;
    std::string text = LyricEvent::Text(event);
    std::string read = ReadDigits(text);
    if (!read.empty() && read != text) LyricEvent::Rewrite(event, read);
  }
}

std::string CVocaloidConvertDigit::ReadDigits(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (size_t i = 0; i < text.size();) {
    size_t n = Cp932Text::CharLength(text, i);
    auto b0 = static_cast<unsigned char>(text[i]);
    if (n == 1 && b0 >= '0' && b0 <= '9') {
      out.append(Readings()[b0 - '0']);
    } else if (n == 2 && b0 == kFullWidthLead &&
               static_cast<unsigned char>(text[i + 1]) >= kFullWidthZero &&
               static_cast<unsigned char>(text[i + 1]) < kFullWidthZero + 10) {
      out.append(Readings()[static_cast<unsigned char>(text[i + 1]) - kFullWidthZero]);
    } else {
      out.append(text.substr(i, n));
    }
    i += n;
  }
  return out;
}

}  // namespace crx
