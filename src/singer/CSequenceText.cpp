#include "singer/CSequenceText.h"

#include <charconv>
#include <map>
#include <utility>

namespace crx {
namespace {

using Section = std::vector<std::pair<std::string, std::string>>;

constexpr std::string_view kEventList = "EventList";
constexpr std::string_view kEndOfSequence = "EOS";
constexpr std::string_view kIdPrefix = "ID#";
constexpr std::string_view kHandlePrefix = "h#";
constexpr std::string_view kNoteType = "Anote";
constexpr int32_t kMaxNoteNumber = 127;
constexpr int32_t kMaxHandleValue = 127;

// The whole text as a decimal number within [low, high].
std::optional<int64_t> Number(std::string_view text, int64_t low, int64_t high) {
  int64_t value = 0;
  if (text.empty()) return std::nullopt;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < low || value > high) return std::nullopt;
  return value;
}

const std::string* Find(const Section& section, std::string_view key) {
  for (const auto& [k, v] : section)
    if (k == key) return &v;
  return nullptr;
}

// The sections of the text by name, each with its "key=value" lines in order.
std::map<std::string, Section, std::less<>> Sections(std::string_view text) {
  std::map<std::string, Section, std::less<>> sections;
  Section* current = nullptr;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      current = &sections[std::string(line.substr(1, line.size() - 2))];
      continue;
    }
    const size_t eq = line.find('=');
    if (current == nullptr || eq == std::string_view::npos) continue;
    current->emplace_back(std::string(line.substr(0, eq)), std::string(line.substr(eq + 1)));
  }
  return sections;
}

// "\"lyric\",\"symbol\",..." into the lyric and the symbol.
bool LyricFields(std::string_view value, std::string& lyric, std::string& symbol) {
  auto quoted = [&value](std::string& out) {
    if (value.empty() || value.front() != '"') return false;
    const size_t close = value.find('"', 1);
    if (close == std::string_view::npos) return false;
    out.assign(value.substr(1, close - 1));
    value.remove_prefix(close + 1);
    return true;
  };
  if (!quoted(lyric)) return false;
  if (value.empty() || value.front() != ',') return false;
  value.remove_prefix(1);
  return quoted(symbol);
}

}  // namespace

CSequenceText::Result CSequenceText::Parse(std::string_view text) {
  Result result;
  auto fail = [&result](std::string reason) {
    result.notes.clear();
    result.endTick = -1;
    result.error = std::move(reason);
    return result;
  };
  const auto sections = Sections(text);
  auto events = sections.find(kEventList);
  if (events == sections.end()) return fail("the sequence text has no [EventList]");

  for (const auto& [key, value] : events->second) {
    const auto tick = Number(key, 0, kMaxTick);
    if (!tick) return fail("the event list holds a bad tick: " + key);
    if (value == kEndOfSequence) {
      result.endTick = *tick;
      continue;
    }
    if (value.rfind(kIdPrefix, 0) != 0) return fail("the event list holds a bad entry: " + value);
    auto id = sections.find(value);
    if (id == sections.end()) return fail("the sequence text lacks [" + value + "]");
    const Section& group = id->second;
    const std::string* type = Find(group, "Type");
    if (type == nullptr || *type != kNoteType) continue;

    SungNote note;
    note.tick = *tick;
    const std::string* length = Find(group, "Length");
    const std::string* number = Find(group, "Note#");
    const std::string* lyricHandle = Find(group, "LyricHandle");
    if (length == nullptr || number == nullptr || lyricHandle == nullptr)
      return fail("[" + value + "] lacks its Length, Note# or LyricHandle");
    const auto len = Number(*length, 1, kMaxLength);
    if (!len) return fail("[" + value + "] has a length out of range: " + *length);
    const auto num = Number(*number, 0, kMaxNoteNumber);
    if (!num) return fail("[" + value + "] has a note number out of range: " + *number);
    note.length = static_cast<int32_t>(*len);
    note.noteNumber = static_cast<int32_t>(*num);
    if (const std::string* d = Find(group, "Dynamics")) {
      if (auto dyn = Number(*d, 0, kMaxHandleValue)) note.dynamics = static_cast<int32_t>(*dyn);
    }

    if (lyricHandle->rfind(kHandlePrefix, 0) != 0)
      return fail("[" + value + "] names a bad lyric handle: " + *lyricHandle);
    auto lyric = sections.find(*lyricHandle);
    const std::string* l0 = lyric == sections.end() ? nullptr : Find(lyric->second, "L0");
    if (l0 == nullptr) return fail("the lyric handle [" + *lyricHandle + "] is missing");
    if (!LyricFields(*l0, note.lyric, note.phonetic))
      return fail("the lyric handle [" + *lyricHandle + "] is broken");

    if (const std::string* vibratoHandle = Find(group, "VibratoHandle")) {
      auto vibrato = sections.find(*vibratoHandle);
      if (vibrato == sections.end())
        return fail("the vibrato handle [" + *vibratoHandle + "] is missing");
      const Section& v = vibrato->second;
      auto field = [&v](std::string_view key, int64_t high) -> int32_t {
        const std::string* s = Find(v, key);
        const auto n = s == nullptr ? std::nullopt : Number(*s, 0, high);
        return n ? static_cast<int32_t>(*n) : 0;
      };
      note.hasVibrato = true;
      note.vibrato.depth = field("StartDepth", kMaxHandleValue);
      note.vibrato.rate = field("StartRate", kMaxHandleValue);
      note.vibrato.length = field("Length", kMaxLength);
      if (const std::string* delay = Find(group, "VibratoDelay")) {
        if (auto n = Number(*delay, 0, kMaxLength)) note.vibrato.delay = static_cast<int32_t>(*n);
      }
    }
    result.notes.push_back(std::move(note));
  }
  if (result.notes.empty()) return fail("the sequence holds no notes");
  return result;
}

}  // namespace crx
