#include "singer/CMbrolaPhonemes.h"

#include <algorithm>
#include <iterator>

namespace crx {
namespace {

using OnsetList = std::vector<std::vector<std::string>>;

// Consonant symbols of the sequence and the onsets they stand for; a
// palatalised onset before i is said without its glide.
struct ConsonantRow {
  std::string_view symbol;
  std::string_view onset;
};
constexpr ConsonantRow kConsonants[] = {
    {"k", "k"},    {"k'", "ky"},   {"g", "g"}, {"g'", "gy"}, {"s", "s"},   {"S", "sh"},
    {"dz", "z"},   {"dZ", "j"},    {"t", "t"}, {"t'", "ty"}, {"tS", "ch"}, {"ts", "ts"},
    {"d", "d"},    {"d'", "dy"},   {"n", "n"}, {"J", "ny"},  {"h", "h"},   {"C", "hy"},
    {"p\\", "f"},  {"p\\'", "fy"}, {"m", "m"}, {"m'", "my"}, {"j", "y"},   {"4", "r"},
    {"4'", "ry"},  {"w", "w"},     {"b", "b"}, {"b'", "by"}, {"p", "p"},   {"p'", "py"},
    {"N'", "ngy"}, {"v", "v"}};
// Onsets that keep their palatal sound before i (に, ひ).
constexpr std::string_view kPalatalBeforeI[] = {"ny", "hy"};

struct VowelRow {
  std::string_view symbol;
  char vowel;
};
constexpr VowelRow kVowels[] = {{"a", 'a'}, {"i", 'i'}, {"M", 'u'},
                                {"u", 'u'}, {"e", 'e'}, {"o", 'o'}};

// Nominal onset lengths before the beat, in seconds.
struct OnsetLength {
  std::string_view phone;
  double seconds;
};
constexpr OnsetLength kOnsetLengths[] = {
    {"k", 0.07}, {"t", 0.065}, {"p", 0.07},  {"b", 0.06},  {"d", 0.055}, {"g", 0.06},
    {"G", 0.06}, {"s", 0.1},   {"S", 0.1},   {"h", 0.07},  {"C", 0.08},  {"f", 0.08},
    {"z", 0.08}, {"Z", 0.08},  {"dz", 0.08}, {"dZ", 0.08}, {"ts", 0.09}, {"tS", 0.09},
    {"m", 0.06}, {"n", 0.055}, {"n1", 0.06}, {"r", 0.03},  {"rr", 0.03}, {"j", 0.05},
    {"w", 0.05}, {"v", 0.06},  {"ng", 0.06}, {"_", 0.02},  {"u", 0.04}};
constexpr double kDefaultOnsetSeconds = 0.06;

// Voicing of the vowel after a voiceless onset (or of a bare vowel, phone
// ""), measured from the requested vowel start (seconds): after a vowel and
// after silence. Lags under 8 ms are left alone.
struct OnsetLag {
  DiphoneVoice voice;
  std::string_view phone;
  double medial;
  double initial;
};
constexpr OnsetLag kOnsetLags[] = {
    {DiphoneVoice::Jp1, "", 0.0, 0.04},       {DiphoneVoice::Jp2, "", 0.0, 0.012},
    {DiphoneVoice::Jp1, "k", 0.010, 0.008},   {DiphoneVoice::Jp1, "S", 0.016, 0.015},
    {DiphoneVoice::Jp1, "tS", 0.031, 0.029},  {DiphoneVoice::Jp1, "ts", 0.023, 0.014},
    {DiphoneVoice::Jp2, "S", -0.010, -0.019}, {DiphoneVoice::Jp2, "s", -0.010, -0.010},
    {DiphoneVoice::Jp3, "k", -0.012, -0.021}, {DiphoneVoice::Jp3, "t", 0.0, -0.022},
    {DiphoneVoice::Jp3, "s", 0.0, -0.008}};

// jp2's moraic nasals: the one it says before a vowel, a pause or a
// fricative, then those of the lips, the teeth ridge, the palate and the
// velum.
constexpr std::string_view kJp2Nasals[] = {"N:", "m:", "n:", "n1:", "G:"};

// The long vowel mark of the voice whose symbols carry one.
constexpr std::string_view kLongMark = ":";

std::vector<std::string> Split(std::string_view s) {
  std::vector<std::string> parts;
  size_t from = 0;
  while (from < s.size()) {
    size_t blank = s.find(' ', from);
    if (blank == std::string_view::npos) blank = s.size();
    if (blank > from) parts.emplace_back(s.substr(from, blank - from));
    from = blank + 1;
  }
  return parts;
}

bool VowelSymbol(std::string_view symbol, char& vowel) {
  for (const VowelRow& row : kVowels) {
    if (row.symbol == symbol) {
      vowel = row.vowel;
      return true;
    }
  }
  return false;
}

// The same onset with and without its glide, for voices that lack the glide.
OnsetList Palatal(const std::string& consonant, char vowel) {
  if (vowel == 'i') return {{consonant}};
  return {{consonant, "j"}, {consonant}};
}

}  // namespace

bool CMbrolaPhonemes::MoraOf(std::string_view phonetic, Mora& out) {
  const std::vector<std::string> parts = Split(phonetic);
  if (parts.size() == 1 && parts[0] == kNasal) {
    out = Mora{std::string(kNasal), 0};
    return true;
  }
  char vowel = 0;
  if (parts.empty() || parts.size() > 2 || !VowelSymbol(parts.back(), vowel)) return false;
  if (parts.size() == 1) {
    out = Mora{"", vowel};
    return true;
  }
  for (const ConsonantRow& row : kConsonants) {
    if (row.symbol != parts[0]) continue;
    std::string onset(row.onset);
    const bool keeps = std::find(std::begin(kPalatalBeforeI), std::end(kPalatalBeforeI), onset) !=
                       std::end(kPalatalBeforeI);
    if (vowel == 'i' && onset.size() > 1 && onset.back() == 'y' && !keeps) onset.pop_back();
    out = Mora{onset, vowel};
    return true;
  }
  return false;
}

char CMbrolaPhonemes::VowelOf(std::string_view phonetic) {
  const std::vector<std::string> parts = Split(phonetic);
  char vowel = 'a';
  if (!parts.empty() && VowelSymbol(parts.back(), vowel)) return vowel;
  return 'a';
}

std::vector<std::vector<std::string>> CMbrolaPhonemes::Onsets(DiphoneVoice voice, const Mora& mora,
                                                              bool afterPause) {
  const std::string& o = mora.onset;
  const char v = mora.vowel;
  const bool jp1 = voice == DiphoneVoice::Jp1;
  const bool jp2 = voice == DiphoneVoice::Jp2;
  if (o.empty()) return {{}};
  // Hard g: jp1's "g" is the nasal one.
  if (o == "g") return jp1 ? OnsetList{{"G"}, {"g"}} : OnsetList{{"g"}};
  if (o == "gy")
    return jp1 ? OnsetList{{"G", "j"}, {"g", "j"}, {"G"}} : OnsetList{{"g", "j"}, {"g"}};
  if (o == "ngy") {
    if (jp1) return {{"g", "j"}, {"g"}};
    if (jp2) return {{"G", "j"}, {"g", "j"}, {"g"}};
    return {{"ng", "j"}, {"g", "j"}, {"g"}};
  }
  if (o == "s") return {{"s"}, {"S"}};
  if (o == "sh") return {{"S"}};
  if (o == "z") {
    return afterPause ? OnsetList{{"dz"}, {"z"}, {"dZ"}, {"Z"}}
                      : OnsetList{{"z"}, {"dz"}, {"Z"}, {"dZ"}};
  }
  if (o == "j") return afterPause ? OnsetList{{"dZ"}, {"Z"}} : OnsetList{{"Z"}, {"dZ"}};
  if (o == "ch") return {{"tS"}};
  if (o == "ts") return {{"ts"}, {"tS"}};
  if (o == "ny") return v == 'i' ? OnsetList{{"n1"}, {"n"}} : OnsetList{{"n1"}, {"n", "j"}, {"n"}};
  if (o == "hy") return v == 'i' ? OnsetList{{"C"}, {"h"}} : OnsetList{{"C"}, {"h", "j"}, {"h"}};
  if (o == "h") return {{"h"}, {"C"}};
  if (o == "f") return {{"f"}, {"h"}};
  if (o == "fy") return v == 'i' ? OnsetList{{"f"}} : OnsetList{{"C"}, {"f", "j"}, {"f"}};
  if (o == "y") return {{"j"}, {}};
  if (o == "w") return {{"w"}, {}};
  if (o == "r") return {{"r"}, {"rr"}};
  if (o == "ry") return {{"r", "j"}, {"rr", "j"}, {"r"}, {"rr"}};
  if (o == "v") return {{"v"}, {"b"}};
  if (o.size() == 2 && o[1] == 'y') return Palatal(std::string(1, o[0]), v);
  return {{o}};
}

std::vector<std::string> CMbrolaPhonemes::Vowels(DiphoneVoice voice, char vowel) {
  std::vector<std::string> out = {std::string(1, vowel)};
  const std::string mark = out[0] + std::string(kLongMark);
  if (CDiphoneTable::HasPhone(voice, mark)) out.push_back(mark);
  return out;
}

std::string CMbrolaPhonemes::BodyOf(DiphoneVoice voice, const std::string& vowel) {
  // jp2's "a-a" is no steady vowel when stretched; its long "a:" is.
  if (voice != DiphoneVoice::Jp2 || vowel != "a") return vowel;
  const std::string body = vowel + std::string(kLongMark);
  if (CDiphoneTable::Has(voice, vowel, body) && CDiphoneTable::Has(voice, body, vowel)) return body;
  return vowel;
}

std::vector<std::string> CMbrolaPhonemes::Nasals(DiphoneVoice voice, std::string_view next) {
  if (voice != DiphoneVoice::Jp2) return {std::string(kNasal)};
  // jp2 says the nasal at the place of what follows.
  struct Place {
    std::string_view nasal;
    std::vector<std::string_view> before;
  };
  static const Place kPlaces[] = {
      {kJp2Nasals[1], {"p", "b", "m"}},
      {kJp2Nasals[2], {"t", "d", "ts", "tS", "dz", "dZ", "n", "r", "z", "Z"}},
      {kJp2Nasals[3], {"n1"}},
      {kJp2Nasals[4], {"k", "g", "G"}}};
  std::string_view place = kJp2Nasals[0];
  for (const Place& p : kPlaces)
    if (std::find(p.before.begin(), p.before.end(), next) != p.before.end()) place = p.nasal;
  // The other places after the right one, for what the right one cannot
  // lead into.
  std::vector<std::string> out = {std::string(place)};
  for (std::string_view other : kJp2Nasals)
    if (other != place) out.emplace_back(other);
  return out;
}

bool CMbrolaPhonemes::IsNasal(std::string_view phone) {
  return phone == kNasal ||
         std::find(std::begin(kJp2Nasals), std::end(kJp2Nasals), phone) != std::end(kJp2Nasals);
}

double CMbrolaPhonemes::OnsetSeconds(std::string_view phone) {
  for (const OnsetLength& row : kOnsetLengths)
    if (row.phone == phone) return row.seconds;
  return kDefaultOnsetSeconds;
}

double CMbrolaPhonemes::VoicingLag(DiphoneVoice voice, std::string_view phone, bool afterPause) {
  for (const OnsetLag& row : kOnsetLags)
    if (row.voice == voice && row.phone == phone) return afterPause ? row.initial : row.medial;
  return 0;
}

}  // namespace crx
