#include "lyrics/CVocaloidConvertLongVowel.h"

#include <array>
#include <unordered_map>

#include "karaoke/XfKaraokeData.h"
#include "lyrics/CSyllableTable.h"
#include "lyrics/Cp932Text.h"
#include "lyrics/LyricEvent.h"

namespace crx {
namespace {

struct VowelRow {
  const char* vowel;
  const char* kana;  // the kana of that vowel, one after another
};

constexpr std::array<VowelRow, 6> kVowelTable{{
    {"あ", "あかさたなはまやらわがざだばぱぁゃ"},
    {"い", "いきしちにひみりぎじぢびぴぃ"},
    {"う", "うくすつぬふむゆるぐずづぶぷぅゅっ"},
    {"え", "えけせてねへめれげぜでべぺぇ"},
    {"お", "おこそとのほもよろをごぞどぼぽぉょ"},
    {"ん", "ん"},
}};

struct Tables {
  std::unordered_map<std::string, std::string> vowelOf;  // CP932 kana -> CP932 vowel
  std::string defaultVowel = Cp932Text::FromUtf8("あ");
  std::string smallTsu = Cp932Text::FromUtf8("っ");
  std::string smallTsuKatakana = Cp932Text::FromUtf8("ッ");
  std::string longMark = Cp932Text::FromUtf8("ー");
  std::string firstPrevious = Cp932Text::FromUtf8("つ");
};

const Tables& T() {
  static const Tables tables = [] {
    Tables t;
    for (const VowelRow& row : kVowelTable) {
      std::string vowel = Cp932Text::FromUtf8(row.vowel);
      std::string kana = Cp932Text::FromUtf8(row.kana);
      for (size_t i = 0; i + 1 < kana.size(); i += 2) t.vowelOf[kana.substr(i, 2)] = vowel;
    }
    return t;
  }();
  return tables;
}

}  // namespace

CVocaloidConvertLongVowel::CVocaloidConvertLongVowel(XfKaraokeData& song) {
  MidiTrackData* lyrics = song.LyricTrack();
  if (lyrics == nullptr) return;
  std::string previous = T().firstPrevious;
  for (MidiEvent& event : lyrics->Events()) {
    if (!LyricEvent::IsLyric(event)) continue;
    std::string text = LyricEvent::Text(event);
    std::string converted = Convert(text, previous);
    if (converted != text) LyricEvent::Rewrite(event, converted);
  }
}

std::string CVocaloidConvertLongVowel::Convert(std::string_view text, std::string& previousKana) {
  const Tables& t = T();
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    size_t n = Cp932Text::CharLength(text, i);
    std::string_view ch = text.substr(i, n);
    i += n;
    if (n == 1) {
      out.append(ch);
      continue;
    }
    if (ch == t.smallTsu || ch == t.smallTsuKatakana || ch == t.longMark) {
      std::string vowel(VowelOf(previousKana));
      out.append(vowel);
      previousKana = vowel;
      if (ch != t.smallTsuKatakana) continue;
    } else {
      out.append(ch);
    }
    previousKana = std::string(CSyllableTable::HiraganaOf(ch));
  }
  return out;
}

std::string_view CVocaloidConvertLongVowel::VowelOf(std::string_view kana) {
  const Tables& t = T();
  auto it = t.vowelOf.find(std::string(kana));
  return it == t.vowelOf.end() ? std::string_view(t.defaultVowel) : std::string_view(it->second);
}

}  // namespace crx
