// Lays out arbitrary lyric texts on the video maker's sheet, with readings
// from a stand-in reading service, and builds the subtitle script. Events are
// separated by zero bytes; the first byte of each says how far after the one
// before it comes and whether it is a cue point. Every ruby must stand over
// its own line's text, every wipe must run forwards, and no control
// character of the lyrics may reach the script.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lyrics/CImeLanguage.h"
#include "platform/ReadingService.h"
#include "video/LyricSheet.h"
#include "video/SubtitleScript.h"

namespace {

constexpr uint8_t kCueFlag = 0x80;
constexpr double kStepSeconds = 0.05;

// Every character a morpheme of its own, read "か" when it is no ASCII.
class EveryCharacterReadings : public crx::ReadingService {
 public:
  std::optional<std::string> Reading(std::string_view utf8) override { return std::string(utf8); }
  std::optional<std::vector<crx::Morpheme>> Morphemes(std::string_view utf8) override {
    std::vector<crx::Morpheme> out;
    for (size_t i = 0; i < utf8.size();) {
      const auto lead = static_cast<unsigned char>(utf8[i]);
      size_t len = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
      if (i + len > utf8.size()) len = utf8.size() - i;
      out.push_back({std::string(utf8.substr(i, len)), lead < 0x80 ? "" : "か", false});
      i += len;
    }
    return out;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  // The first byte chooses the line's room in ems (0: unlimited).
  const double room = data[0] == 0 ? crx::LyricSheet::kUnlimitedEms : data[0] / 8.0;
  std::vector<crx::LyricSheet::TimedText> events;
  double at = 0;
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  for (size_t start = 0; start <= rest.size();) {
    size_t end = rest.find('\0', start);
    if (end == std::string_view::npos) end = rest.size();
    std::string_view text = rest.substr(start, end - start);
    if (!text.empty()) {
      const auto head = static_cast<uint8_t>(text[0]);
      at += (head & ~kCueFlag) * kStepSeconds;
      events.push_back({at, std::string(text.substr(1)), (head & kCueFlag) != 0});
    }
    start = end + 1;
  }
  crx::LyricSheet sheet = crx::LyricSheet::FromTimedTexts(events, at + 1, room);
  crx::CImeLanguage ime(std::make_unique<EveryCharacterReadings>());
  sheet.AddReadings(ime);

  size_t events_out = 0;
  for (const auto& page : sheet.Pages()) {
    if (page.lines.empty() || page.lines.size() > crx::LyricSheet::kLinesPerPage) std::abort();
    for (const auto& line : page.lines) {
      if (line.syllables.empty()) std::abort();
      const std::string text = line.Text();
      size_t last = 0;
      for (const auto& r : line.rubies) {
        if (r.length == 0 || r.offset < last || r.offset + r.length > text.size()) std::abort();
        // A ruby starts and ends on a character.
        if ((static_cast<unsigned char>(text[r.offset]) & 0xC0) == 0x80) std::abort();
        if (r.offset + r.length < text.size() &&
            (static_cast<unsigned char>(text[r.offset + r.length]) & 0xC0) == 0x80) {
          std::abort();
        }
        if (!(r.start <= r.end) || !std::isfinite(r.end)) std::abort();
        last = r.offset + r.length;
      }
      for (const auto& s : line.syllables) {
        if (s.text.empty() || !(s.start <= s.end) || !std::isfinite(s.end)) std::abort();
        for (char c : s.text) {
          if (static_cast<unsigned char>(c) < 0x20) std::abort();  // CR, LF and the like
        }
      }
      events_out += 1 + line.rubies.size();
    }
  }
  const std::string script = crx::SubtitleScript(640, 480, at + 2).Build(sheet, {});
  size_t dialogues = 0;
  for (size_t p = script.find("\nDialogue: "); p != std::string::npos;
       p = script.find("\nDialogue: ", p + 1)) {
    ++dialogues;
  }
  if (dialogues > events_out) std::abort();  // a lyric made an event of its own
  return 0;
}
