// The voice list's readers (voice map and description files) and the vocal
// sequence built from a lyric of arbitrary bytes.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "lyrics/VocalNote.h"
#include "vocal/CVocalSequence.h"
#include "vocal/CVocalistList.h"

namespace {

const std::string& Folder() {
  static const std::string folder = [] {
    char pattern[] = "/tmp/fuzz_vocal_XXXXXX";
    const char* made = mkdtemp(pattern);
    return std::string(made != nullptr ? made : "/tmp");
  }();
  return folder;
}

void Write(const std::string& name, const uint8_t* data, size_t size) {
  FILE* f = std::fopen((Folder() + "/" + name).c_str(), "wb");
  if (f == nullptr) return;
  if (size > 0) std::fwrite(data, 1, size, f);
  std::fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  // The first two bytes split the input into the voice map and one
  // description file, stored as vvoice1.vvd and vvoice2.vvd.
  const size_t split = std::min<size_t>(size - 2, (size_t{data[0]} << 8) | data[1]);
  const uint8_t* rest = data + 2;
  Write("voice.map", rest, split);
  Write("vvoice1.vvd", rest + split, size - 2 - split);
  Write("vvoice2.vvd", rest + split, (size - 2 - split) / 2);
  crx::CVocalistList list(Folder());
  if (list.Count() > static_cast<int>(crx::CVocalistList::kMaxEntries)) std::abort();
  if (list.FirstName().size() > crx::CVocalistList::kMaxNameLength &&
      list.FirstName() != crx::CVocalistList::kDefaultName)
    std::abort();

  // A song whose lyric, symbol and singer come from the description bytes.
  crx::VocalNote note;
  note.startTick = static_cast<int32_t>(split) * 7;
  note.noteNumber = static_cast<int32_t>(data[1]) - 64;
  note.length = static_cast<int32_t>(size);
  note.lyric.assign(reinterpret_cast<const char*>(rest + split), size - 2 - split);
  note.phonetic = note.lyric.substr(0, 9);
  crx::VocalNote end = note;
  end.noteNumber = crx::kEndNoteNumber;
  std::vector<crx::VocalNote> notes = {note, end};
  crx::CVocalSequence::ShortenOverlaps(notes);
  for (const std::string& e : crx::CVocalSequence::PackTextEvents(
           crx::CVocalSequence::TextGroups(notes, list.FirstName()))) {
    if (e.size() < 8) std::abort();
  }
  for (const crx::VocalControlBlock& block : crx::CVocalSequence::ControlStream(notes)) {
    for (const crx::VocalControl& c : block.controls) {
      if (c.controller > 127 || c.value > 127) std::abort();
    }
  }
  return 0;
}
