#include "lyrics/LineReading.h"

#include "lyrics/CSyllableTable.h"
#include "lyrics/Cp932Text.h"

namespace crx {
namespace {

constexpr unsigned char kHiraganaLead = 0x82;
constexpr unsigned char kFirstHiragana = 0x9F;  // ぁ
constexpr unsigned char kLastHiragana = 0xF1;   // ん
constexpr unsigned char kKatakanaLead = 0x83;
constexpr unsigned char kFirstKatakana = 0x40;  // ァ
constexpr unsigned char kLastKatakana = 0x96;   // ヶ
constexpr unsigned char kNotKatakana = 0x7F;

struct Words {
  std::string longVowel = Cp932Text::FromUtf8("ー");
  std::string wa = Cp932Text::FromUtf8("は");
  std::string he = Cp932Text::FromUtf8("へ");
  std::string waSung = Cp932Text::FromUtf8("わ");
  std::string heSung = Cp932Text::FromUtf8("え");
  std::vector<std::string> smallKana =
      LineReading::Characters(Cp932Text::FromUtf8("ゃゅょぁぃぅぇぉゎ"));
};

const Words& GetWords() {
  static const Words words;
  return words;
}

struct Segment {
  bool kana = false;
  size_t begin = 0;
  size_t end = 0;
};

bool IsSmallKana(const std::string& ch) {
  for (const std::string& s : GetWords().smallKana)
    if (s == ch) return true;
  return false;
}

// Gives the reading characters [begin, end) to count written characters: in
// whole syllables (a kana with its small kana), the earlier characters
// taking the surplus.
void Share(const std::vector<std::string>& reading, size_t begin, size_t end, size_t count,
           std::vector<std::string>& out) {
  std::vector<std::string> syllables;
  for (size_t i = begin; i < end; ++i) {
    if (!syllables.empty() && IsSmallKana(reading[i])) {
      syllables.back() += reading[i];
    } else {
      syllables.push_back(reading[i]);
    }
  }
  const size_t base = syllables.size() / count;
  const size_t extra = syllables.size() % count;
  size_t next = 0;
  for (size_t c = 0; c < count; ++c) {
    std::string share;
    for (size_t k = 0; k < base + (c < extra ? 1 : 0); ++k) share += syllables[next++];
    out.push_back(std::move(share));
  }
}

class Aligner {
 public:
  Aligner(const std::vector<std::string>& surface, const std::vector<std::string>& reading)
      : surface_(surface), reading_(reading) {
    for (size_t i = 0; i < surface.size(); ++i) {
      const bool kana = LineReading::IsKana(surface[i]);
      if (segments_.empty() || segments_.back().kana != kana) segments_.push_back({kana, i, i});
      segments_.back().end = i + 1;
    }
  }

  std::optional<std::vector<std::string>> Run() {
    failed_.assign((segments_.size() + 1) * (reading_.size() + 1), false);
    taken_.assign(segments_.size(), 0);
    if (!Match(0, 0)) return std::nullopt;
    std::vector<std::string> out;
    size_t r = 0;
    for (size_t s = 0; s < segments_.size(); ++s) {
      const Segment& seg = segments_[s];
      if (seg.kana) {
        for (size_t i = seg.begin; i < seg.end; ++i) out.push_back(reading_[r++]);
      } else {
        Share(reading_, r, r + taken_[s], seg.end - seg.begin, out);
        r += taken_[s];
      }
    }
    return out;
  }

 private:
  // Matches the segments from s on against the reading from r on, noting
  // how many reading characters each segment of other characters takes.
  // Each (segment, reading position) that failed once fails again: the
  // search stays polynomial whatever the surface and the reading.
  bool Match(size_t s, size_t r) {
    if (s == segments_.size()) return r == reading_.size();
    const size_t state = s * (reading_.size() + 1) + r;
    if (failed_[state]) return false;
    if (Try(s, r)) return true;
    failed_[state] = true;
    return false;
  }

  bool Try(size_t s, size_t r) {
    const Segment& seg = segments_[s];
    if (seg.kana) {
      for (size_t i = seg.begin; i < seg.end; ++i, ++r) {
        if (r >= reading_.size() || CSyllableTable::HiraganaOf(surface_[i]) != reading_[r]) {
          return false;
        }
      }
      return Match(s + 1, r);
    }
    // Other characters take at least one reading character; the last
    // segment takes all that is left.
    const size_t left = reading_.size() - r;
    const size_t first = s + 1 == segments_.size() ? left : 1;
    for (size_t len = first; len >= 1 && len <= left; ++len) {
      taken_[s] = len;
      if (Match(s + 1, r + len)) return true;
    }
    return false;
  }

  const std::vector<std::string>& surface_;
  const std::vector<std::string>& reading_;
  std::vector<Segment> segments_;
  std::vector<bool> failed_;
  std::vector<size_t> taken_;  // reading characters of each segment
};

bool AllKana(const std::vector<std::string>& characters) {
  for (const std::string& ch : characters)
    if (!LineReading::IsKana(ch)) return false;
  return true;
}

}  // namespace

bool LineReading::IsKana(std::string_view ch) {
  if (ch.size() != 2) return false;
  const auto lead = static_cast<unsigned char>(ch[0]);
  const auto trail = static_cast<unsigned char>(ch[1]);
  if (lead == kHiraganaLead) return trail >= kFirstHiragana && trail <= kLastHiragana;
  if (lead == kKatakanaLead)
    return trail >= kFirstKatakana && trail <= kLastKatakana && trail != kNotKatakana;
  return ch == GetWords().longVowel;
}

std::vector<std::string> LineReading::Characters(std::string_view text) {
  std::vector<std::string> chars;
  for (size_t i = 0; i < text.size();) {
    const size_t n = Cp932Text::CharLength(text, i);
    chars.emplace_back(text.substr(i, n));
    i += n;
  }
  return chars;
}

std::optional<std::vector<std::string>> LineReading::AlignMorpheme(
    const std::vector<std::string>& surface, std::string_view reading) {
  if (surface.empty() || surface.size() > kMaxAlignedCharacters) return std::nullopt;
  const std::vector<std::string> r = Characters(reading);
  if (r.empty() || !AllKana(r)) return std::nullopt;
  for (const std::string& ch : surface)
    if (ch.size() != 2) return std::nullopt;  // single-byte text is for the English pass
  return Aligner(surface, r).Run();
}

std::vector<CharacterReading> LineReading::ReadLine(const std::vector<std::string>& characters,
                                                    const std::vector<Morpheme>& morphemes,
                                                    bool particlesAsSung) {
  const Words& words = GetWords();
  std::vector<CharacterReading> out;
  out.reserve(characters.size());
  for (const Morpheme& m : morphemes) {
    const std::vector<std::string> surface = Characters(m.surface);
    const size_t at = out.size();
    if (at + surface.size() > characters.size()) break;
    bool same = true;
    for (size_t k = 0; k < surface.size() && same; ++k) same = surface[k] == characters[at + k];
    if (!same) break;
    std::optional<std::vector<std::string>> shares;
    if (!m.reading.empty()) shares = AlignMorpheme(surface, m.reading);
    for (size_t k = 0; k < surface.size(); ++k) {
      CharacterReading c;
      if (shares) {
        c.sung = (*shares)[k];
        c.read = true;
      } else {
        c.sung = surface[k];
        c.read = IsKana(surface[k]);
      }
      out.push_back(std::move(c));
    }
    if (m.particle && surface.size() == 1 && (m.surface == words.wa || m.surface == words.he)) {
      CharacterReading& c = out.back();
      c.particle = true;
      if (particlesAsSung) c.sung = m.surface == words.wa ? words.waSung : words.heSung;
    }
  }
  // What the morphemes did not cover stays as written.
  for (size_t k = out.size(); k < characters.size(); ++k) {
    out.push_back(CharacterReading{characters[k], IsKana(characters[k]), false});
  }
  return out;
}

}  // namespace crx
