// The singer's readers: a vocal MIDI file of arbitrary bytes, and the same
// bytes as a sequence text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

#include "midi/TempoMap.h"
#include "singer/CSequenceText.h"
#include "singer/CVocalMidiReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  crx::CVocalMidiReader::Result r = crx::CVocalMidiReader::FromBytes(bytes);
  if (r.error.empty()) {
    if (r.sequence.notes.empty()) std::abort();
    crx::TempoMap map(r.sequence.tempos, r.sequence.division);
    double last = 0;
    for (const crx::SungNote& n : r.sequence.notes) {
      if (n.noteNumber < 0 || n.noteNumber > 127 || n.length <= 0) std::abort();
      if (n.tick < 0 || n.tick > r.sequence.endTick) std::abort();
      const double t = map.Seconds(n.tick);
      if (t < last) std::abort();
      last = t;
    }
  }
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  crx::CSequenceText::Result t = crx::CSequenceText::Parse(text);
  if (t.error.empty() == t.notes.empty()) std::abort();
  return 0;
}
