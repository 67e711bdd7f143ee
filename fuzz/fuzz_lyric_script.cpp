// Reads arbitrary bytes as an XF karaoke file and builds the video maker's
// subtitle script from its lyrics; the script must keep one dialogue line per
// lyric line and per ruby whatever the lyrics hold.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "karaoke/XfKaraokeData.h"
#include "video/LyricSheet.h"
#include "video/SubtitleScript.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string none =
      "/tmp/fuzz_lyric_script_" + std::to_string(getpid()) + "_none.mid";  // never exists
  if (size < 2) return 0;
  // The first two bytes choose the offset and the video's length.
  const int offsetMs = (static_cast<int8_t>(data[0])) * 500;
  const double seconds = 1 + data[1] * 2.0;
  crx::XfKaraokeData song(none);
  song.LoadImage(std::span<const uint8_t>(data + 2, size - 2));
  song.Read();
  const crx::LyricSheet sheet = crx::LyricSheet::FromSong(song, offsetMs);
  const crx::TitleCard card{"{\\b1}", "\\N", "x"};
  const std::string script = crx::SubtitleScript(640, 480, seconds).Build(sheet, card);

  size_t lines = 0;
  for (const auto& page : sheet.Pages()) {
    for (const auto& line : page.lines) lines += 1 + line.rubies.size();  // a line and its rubies
  }
  size_t dialogues = 0;
  for (size_t at = script.find("\nDialogue: "); at != std::string::npos;
       at = script.find("\nDialogue: ", at + 1)) {
    ++dialogues;
  }
  if (dialogues > lines + 3) std::abort();  // a lyric made a line of its own
  return 0;
}
