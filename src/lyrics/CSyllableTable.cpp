#include "lyrics/CSyllableTable.h"

#include <array>
#include <iterator>
#include <unordered_map>
#include <unordered_set>

#include "lyrics/VocalNote.h"
#include "platform/TextCodec.h"

namespace crx {
namespace {

// The katakana that the syllable split turns into hiragana, with their
// hiragana in the same order.
constexpr const char* kKatakana[] = {
    "ガ", "ギ", "グ", "ゲ", "ゴ", "ザ", "ジ", "ズ", "ゼ", "ゾ", "ダ", "ヂ", "ヅ", "デ", "ド", "バ",
    "ビ", "ブ", "ベ", "ボ", "パ", "ピ", "プ", "ペ", "ポ", "ア", "イ", "ウ", "エ", "オ", "ァ", "ィ",
    "ゥ", "ェ", "ォ", "カ", "キ", "ク", "ケ", "コ", "サ", "シ", "ス", "セ", "ソ", "タ", "チ", "ツ",
    "ッ", "テ", "ト", "ナ", "ニ", "ヌ", "ネ", "ノ", "ハ", "ヒ", "フ", "ヘ", "ホ", "マ", "ミ", "ム",
    "メ", "モ", "ヤ", "ユ", "ヨ", "ャ", "ュ", "ョ", "ラ", "リ", "ル", "レ", "ロ", "ワ", "ヲ", "ン"};
constexpr const char* kHiragana[] = {
    "が", "ぎ", "ぐ", "げ", "ご", "ざ", "じ", "ず", "ぜ", "ぞ", "だ", "ぢ", "づ", "で", "ど", "ば",
    "び", "ぶ", "べ", "ぼ", "ぱ", "ぴ", "ぷ", "ぺ", "ぽ", "あ", "い", "う", "え", "お", "ぁ", "ぃ",
    "ぅ", "ぇ", "ぉ", "か", "き", "く", "け", "こ", "さ", "し", "す", "せ", "そ", "た", "ち", "つ",
    "っ", "て", "と", "な", "に", "ぬ", "ね", "の", "は", "ひ", "ふ", "へ", "ほ", "ま", "み", "む",
    "め", "も", "や", "ゆ", "よ", "ゃ", "ゅ", "ょ", "ら", "り", "る", "れ", "ろ", "わ", "を", "ん"};
static_assert(std::size(kKatakana) == 80 && std::size(kHiragana) == 80);

// Pairs of kana sung as one syllable. The four that start with "き゜" are
// recognised by those two characters; the small kana after them joins the
// syllable when it is one of kNasalSmallKana.
constexpr const char* kTwoKanaSyllables[] = {
    "きゃ", "きゅ", "きょ", "しゃ", "しゅ", "しょ", "ちゃ", "ちゅ", "ちょ", "にゃ", "にゅ",
    "にょ", "ひゃ", "ひゅ", "ひょ", "みゃ", "みゅ", "みょ", "りゃ", "りゅ", "りょ", "ぎゃ",
    "ぎゅ", "ぎょ", "じゃ", "じゅ", "じょ", "ぢゃ", "ぢゅ", "ぢょ", "びゃ", "びゅ", "びょ",
    "とぅ", "てゅ", "てぃ", "どぅ", "でゅ", "うぃ", "うぇ", "うぉ", "ふぁ", "ずぃ", "でぃ",
    "みぇ", "ふぃ", "ふゅ", "ふぇ", "ふぉ", "ひぇ", "にぇ", "ちぇ", "つぃ", "しぇ", "すぃ",
    "ぴゃ", "ぴゅ", "ぴょ", "ぴぇ", "びぇ", "じぇ", "き゜", "き゜", "き゜", "き゜"};
static_assert(std::size(kTwoKanaSyllables) == 65);
constexpr const char* kNasalPrefix = "き゜";
constexpr const char* kNasalSmallKana[] = {"ゃ", "ゅ", "ょ", "ぇ"};

struct PhoneticRow {
  const char* syllable;
  const char* phonetic;
  int32_t consonant;
};
constexpr int32_t V = kVowelConsonantValue;
constexpr int32_t C = kConsonantValue;

// Syllable to phonetic symbol; the first matching row wins.
constexpr PhoneticRow kPhoneticTable[] = {
    {"あ", "a", V},
    {"い", "i", V},
    {"う", "M", V},
    {"え", "e", V},
    {"お", "o", V},
    {"か", "k a", C},
    {"き", "k' i", C},
    {"く", "k M", C},
    {"け", "k e", C},
    {"こ", "k o", C},
    {"さ", "s a", C},
    {"し", "S i", C},
    {"す", "s M", C},
    {"せ", "s e", C},
    {"そ", "s o", C},
    {"た", "t a", C},
    {"ち", "tS i", C},
    {"つ", "ts M", C},
    {"て", "t e", C},
    {"と", "t o", C},
    {"な", "n a", C},
    {"に", "J i", C},
    {"ぬ", "n M", C},
    {"ね", "n e", C},
    {"の", "n o", C},
    {"は", "h a", C},
    {"ひ", "C i", C},
    {"ふ", "p\\ M", C},
    {"へ", "h e", C},
    {"ほ", "h o", C},
    {"ま", "m a", C},
    {"み", "m' i", C},
    {"む", "m M", C},
    {"め", "m e", C},
    {"も", "m o", C},
    {"や", "j a", C},
    {"ゆ", "j M", C},
    {"よ", "j o", C},
    {"ら", "4 a", C},
    {"り", "4' i", C},
    {"る", "4 M", C},
    {"れ", "4 e", C},
    {"ろ", "4 o", C},
    {"わ", "w a", C},
    {"を", "o", V},
    {"ん", "N", C},
    {"が", "g a", C},
    {"ぎ", "g' i", C},
    {"ぐ", "g M", C},
    {"げ", "g e", C},
    {"ご", "g o", C},
    {"ざ", "dz a", C},
    {"じ", "dZ i", C},
    {"ず", "dz M", C},
    {"ぜ", "dz e", C},
    {"ぞ", "dz o", C},
    {"だ", "d a", C},
    {"ぢ", "dZ i", C},
    {"づ", "dz M", C},
    {"で", "d e", C},
    {"ど", "d o", C},
    {"ば", "b a", C},
    {"び", "b' i", C},
    {"ぶ", "b M", C},
    {"べ", "b e", C},
    {"ぼ", "b o", C},
    {"ぱ", "p a", C},
    {"ぴ", "p' i", C},
    {"ぷ", "p M", C},
    {"ぺ", "p e", C},
    {"ぽ", "p o", C},
    {"きゃ", "k' a", C},
    {"きゅ", "k' M", C},
    {"きょ", "k' o", C},
    {"ぎゃ", "g' a", C},
    {"ぎゅ", "g' M", C},
    {"ぎょ", "g' o", C},
    {"しゃ", "S a", C},
    {"しゅ", "S M", C},
    {"しょ", "S o", C},
    {"りゃ", "4' a", C},
    {"りゅ", "4' M", C},
    {"りょ", "4' o", C},
    {"ちゃ", "tS a", C},
    {"ちゅ", "tS M", C},
    {"ちょ", "tS o", C},
    {"じゃ", "dZ a", C},
    {"じゅ", "dZ M", C},
    {"じょ", "dZ o", C},
    {"みゃ", "m' a", C},
    {"みゅ", "m' M", C},
    {"みょ", "m' o", C},
    {"ひゃ", "C a", C},
    {"ひゅ", "C M", C},
    {"ひょ", "C o", C},
    {"びゃ", "b' a", C},
    {"びゅ", "b' M", C},
    {"びょ", "b' o", C},
    {"ぴゃ", "p' a", C},
    {"ぴゅ", "p' M", C},
    {"ぴょ", "p' o", C},
    {"にゃ", "J a", C},
    {"にゅ", "J M", C},
    {"にょ", "J o", C},
    {"てゅ", "t' M", C},
    {"てぃ", "t' i", C},
    {"とぅ", "t M", C},
    {"でゅ", "d' M", C},
    {"どぅ", "d M", C},
    {"うぃ", "w i", C},
    {"うぇ", "w e", C},
    {"うぉ", "w o", C},
    {"ふぁ", "p\\ a", C},
    {"ずぃ", "dz i", C},
    {"でぃ", "d' i", C},
    {"みぇ", "m' e", C},
    {"ふぃ", "p\\' i", C},
    {"ふゅ", "p\\' M", C},
    {"ふぇ", "p\\ e", C},
    {"ふぉ", "p\\ o", C},
    {"ひぇ", "C e", C},
    {"にぇ", "J e", C},
    {"ちぇ", "tS e", C},
    {"つぃ", "ts i", C},
    {"しぇ", "S e", C},
    {"すぃ", "s i", C},
    {"ぴゃ", "p' a", C},
    {"ぴゅ", "p' M", C},
    {"ぴょ", "p' o", C},
    {"ぴぇ", "p' e", C},
    {"びぇ", "b' e", C},
    {"じぇ", "dZ e", C},
    {"き゜ゃ", "N' a", C},
    {"き゜ゅ", "N' M", C},
    {"き゜ょ", "N' o", C},
    {"き゜ぇ", "N' e", C},
    {"ぁ", "a", V},
    {"ぃ", "i", V},
    {"ぅ", "M", V},
    {"ぇ", "e", V},
    {"ぉ", "o", V},
    {"ゃ", "j a", C},
    {"ゅ", "j M", C},
    {"ょ", "j o", C},
    {"っ", "ts M", C},
    // The voiced ち with a small kana is a two-kana syllable too and is sung
    // like the voiced し with it.
    {"ぢゃ", "dZ a", C},
    {"ぢゅ", "dZ M", C},
    {"ぢょ", "dZ o", C},
};
constexpr size_t kSpecifiedPhoneticRows = 145;
static_assert(std::size(kPhoneticTable) == kSpecifiedPhoneticRows + 3);

constexpr const char* kDefaultPhonetic = "a";
constexpr const char* kLongVowelMark = "ー";
constexpr char kSilentMark = '^';

std::string Cp932(const char* utf8) { return TextCodec::Utf8ToCp932(utf8).value_or(""); }

// The tables in CP932, built once.
struct Tables {
  std::unordered_map<std::string, std::string> hiragana;
  std::unordered_set<std::string> tableKana;
  std::unordered_set<std::string> twoKana;
  std::string nasalPrefix;
  std::unordered_set<std::string> nasalSmallKana;
  std::unordered_map<std::string, PhoneticSymbol> phonetic;
  std::string longVowelMark;

  Tables() {
    for (size_t i = 0; i < std::size(kKatakana); ++i)
      hiragana.emplace(Cp932(kKatakana[i]), Cp932(kHiragana[i]));
    for (size_t i = 0; i < std::size(kKatakana); ++i) {
      tableKana.insert(Cp932(kKatakana[i]));
      tableKana.insert(Cp932(kHiragana[i]));
    }
    for (const char* s : kTwoKanaSyllables) twoKana.insert(Cp932(s));
    nasalPrefix = Cp932(kNasalPrefix);
    for (const char* s : kNasalSmallKana) nasalSmallKana.insert(Cp932(s));
    // emplace keeps the first row of a syllable that stands twice.
    for (const PhoneticRow& row : kPhoneticTable)
      phonetic.emplace(Cp932(row.syllable), PhoneticSymbol{row.phonetic, row.consonant});
    longVowelMark = Cp932(kLongVowelMark);
  }
};

const Tables& GetTables() {
  static const Tables tables;
  return tables;
}

bool IsLead(char c) { return TextCodec::IsCp932LeadByte(static_cast<unsigned char>(c)); }

}  // namespace

std::string_view CSyllableTable::HiraganaOf(std::string_view character) {
  const Tables& t = GetTables();
  auto it = t.hiragana.find(std::string(character));
  return it == t.hiragana.end() ? character : std::string_view(it->second);
}

bool CSyllableTable::IsTableKana(std::string_view character) {
  return GetTables().tableKana.count(std::string(character)) != 0;
}

std::string CSyllableTable::ToHiragana(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) {
    if (IsLead(text[pos]) && pos + 1 < text.size()) {
      out.append(HiraganaOf(text.substr(pos, 2)));
      pos += 2;
    } else {
      out.push_back(text[pos++]);
    }
  }
  return out;
}

bool CSyllableTable::IsTwoKanaSyllable(std::string_view fourBytes) {
  return fourBytes.size() == 4 && GetTables().twoKana.count(std::string(fourBytes)) != 0;
}

PhoneticSymbol CSyllableTable::Phonetic(std::string_view syllable) {
  const Tables& t = GetTables();
  auto it = t.phonetic.find(std::string(syllable));
  if (it == t.phonetic.end()) return PhoneticSymbol{kDefaultPhonetic, kConsonantValue};
  return it->second;
}

std::vector<SyllableEntry> CSyllableTable::Split(std::string_view lyric, bool singleByteOnly) {
  const Tables& t = GetTables();
  const std::string text = ToHiragana(lyric);
  std::vector<SyllableEntry> entries;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t len = 1;
    if (IsLead(text[pos])) {
      // A lead byte without its second byte is no character: nothing to sing.
      if (pos + 1 >= text.size()) break;
      len = 2;
      if (pos + 4 <= text.size() && IsLead(text[pos + 2]) &&
          IsTwoKanaSyllable(std::string_view(text).substr(pos, 4))) {
        len = 4;
        if (std::string_view(text).substr(pos, 4) == t.nasalPrefix && pos + 6 <= text.size() &&
            t.nasalSmallKana.count(text.substr(pos + 4, 2)) != 0)
          len = 6;
      }
    } else if (singleByteOnly) {
      len = text.size() - pos;
    }
    std::string syllable = text.substr(pos, len);
    pos += len;
    if (syllable == t.longVowelMark || (syllable.size() == 1 && syllable[0] == kSilentMark))
      continue;
    PhoneticSymbol symbol = Phonetic(syllable);
    entries.push_back(SyllableEntry{std::move(syllable), symbol.phonetic, symbol.consonant});
  }
  return entries;
}

}  // namespace crx
