#include "lyrics/LyricLines.h"

#include <algorithm>
#include <utility>

#include "lyrics/CImeLanguage.h"
#include "lyrics/Cp932Text.h"
#include "lyrics/LyricEvent.h"
#include "lyrics/MelodyReadings.h"
#include "midi/MidiTrackData.h"

namespace crx {
namespace {

constexpr char kLineBreakMark = '/';
constexpr char kPageMark = '<';
constexpr char kAfterPageMark = '>';
constexpr char kRubyOpen = '[';
constexpr char kRubyClose = ']';

bool IsMarker(const std::string& text) {
  static const std::string intro = Cp932Text::FromUtf8("イントロ");
  static const std::string ending = Cp932Text::FromUtf8("エンディング");
  return text == intro || text == ending;
}

bool IsMarkCharacter(const std::string& ch) {
  return ch.size() == 1 &&
         (ch[0] == kLineBreakMark || ch[0] == kPageMark || ch[0] == kAfterPageMark);
}

// A lead byte without its second byte: no character the service can read.
bool IsBroken(const std::string& ch) {
  return ch.size() == 1 && (static_cast<unsigned char>(ch[0]) & 0x80) != 0;
}

}  // namespace

LyricLines::LyricLines(const MidiTrackData& lyrics, CImeLanguage& ime,
                       const std::vector<int64_t>& pageTicks, bool particlesAsSung,
                       const std::vector<TickRange>& noParticles, MelodyReadings* melody) {
  events_.resize(static_cast<size_t>(lyrics.Count()));
  // Characters of the line being gathered: (event, index in its characters).
  std::vector<std::pair<int, size_t>> line;
  auto flush = [&]() {
    if (!line.empty()) ReadPiece(ime, line, particlesAsSung, melody);
    line.clear();
  };
  int64_t tick = 0;
  for (int i = 0; i < lyrics.Count(); ++i) {
    const MidiEvent& event = lyrics.Event(i);
    tick += event.delta;
    if (!LyricEvent::IsLyric(event)) continue;
    const std::string text = LyricEvent::Text(event);
    if (text.empty()) continue;
    if (IsMarker(text) || text[0] == kLineBreakMark || text[0] == kPageMark ||
        std::binary_search(pageTicks.begin(), pageTicks.end(), tick)) {
      flush();
    }
    std::vector<Character>& chars = events_[static_cast<size_t>(i)];
    const bool marker = IsMarker(text);
    bool inRuby = false;
    for (size_t pos = 0; pos < text.size();) {
      Character c;
      c.offset = pos;
      c.text = text.substr(pos, Cp932Text::CharLength(text, pos));
      pos += c.text.size();
      c.reading.sung = c.text;
      c.reading.read = LineReading::IsKana(c.text);
      if (c.text.size() == 1 && c.text[0] == kRubyOpen) inRuby = true;
      c.inLine = !inRuby && !IsMarkCharacter(c.text) && !IsBroken(c.text) && !marker;
      if (c.text.size() == 1 && c.text[0] == kRubyClose) inRuby = false;
      if (IsBroken(c.text)) flush();
      chars.push_back(std::move(c));
      if (chars.back().inLine) {
        line.emplace_back(i, chars.size() - 1);
        if (line.size() >= kMaxLineCharacters) flush();
      }
    }
  }
  flush();
  // Readings the dictionary wrote are no particles, whatever the line makes
  // of them.
  if (noParticles.empty()) return;
  tick = 0;
  for (int i = 0; i < lyrics.Count(); ++i) {
    tick += lyrics.Event(i).delta;
    const bool kept = std::any_of(noParticles.begin(), noParticles.end(),
                                  [tick](const TickRange& r) { return r.Holds(tick); });
    if (!kept) continue;
    for (Character& c : events_[static_cast<size_t>(i)]) {
      if (!c.reading.particle) continue;
      c.reading.particle = false;
      c.reading.sung = c.text;
    }
  }
}

void LyricLines::ReadPiece(CImeLanguage& ime, const std::vector<std::pair<int, size_t>>& where,
                           bool particlesAsSung, MelodyReadings* melody) {
  std::vector<std::string> characters;
  std::string text;
  characters.reserve(where.size());
  for (const auto& [event, index] : where) {
    const std::string& ch = events_[static_cast<size_t>(event)][index].text;
    characters.push_back(ch);
    text += ch;
  }
  std::optional<std::vector<Morpheme>> morphemes = ime.GetMorphemes(text);
  if (!morphemes) return;  // every character stays as written
  if (melody != nullptr) melody->Choose(where, characters, text, *morphemes, ime);
  std::vector<CharacterReading> readings =
      LineReading::ReadLine(characters, *morphemes, particlesAsSung);
  for (size_t k = 0; k < where.size() && k < readings.size(); ++k) {
    events_[static_cast<size_t>(where[k].first)][where[k].second].reading = std::move(readings[k]);
  }
}

const std::vector<LyricLines::Character>& LyricLines::CharactersOf(int event) const {
  static const std::vector<Character> none;
  if (event < 0 || static_cast<size_t>(event) >= events_.size()) return none;
  return events_[static_cast<size_t>(event)];
}

std::optional<std::string> LyricLines::ReadText(int event) const {
  std::string out;
  for (const Character& c : CharactersOf(event)) {
    if (c.text.size() == 2 && !c.reading.read) return std::nullopt;
    out += c.reading.sung;
  }
  return out;
}

bool LyricLines::NeedsReading(int event) const {
  for (const Character& c : CharactersOf(event))
    if (c.text.size() == 2 && !LineReading::IsKana(c.text)) return true;
  return false;
}

bool LyricLines::HasParticle(int event) const {
  for (const Character& c : CharactersOf(event))
    if (c.reading.particle) return true;
  return false;
}

std::vector<SungParticleLyric> LyricLines::SungParticles(const MidiTrackData& lyrics) {
  std::vector<SungParticleLyric> out;
  CImeLanguage ime;
  if (!ime.Available()) return out;
  LyricLines lines(lyrics, ime, {}, true);
  for (int i = 0; i < lyrics.Count(); ++i) {
    if (!lines.HasParticle(i)) continue;
    // Only the particles change; every other character stays as written.
    std::string text;
    for (const Character& c : lines.CharactersOf(i))
      text += c.reading.particle ? c.reading.sung : c.text;
    out.push_back({i, std::move(text)});
  }
  return out;
}

}  // namespace crx
