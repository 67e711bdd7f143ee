// Track chunk parsing, the note operations and serialising of any bytes.
#include <cstddef>
#include <cstdint>
#include <span>

#include "midi/MidiTrackData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace crx;
  if (size < 1) return 0;
  // The first byte chooses the running status left by an earlier chunk and
  // the operations; the rest is the chunk.
  const uint8_t control = data[0];
  std::span<const uint8_t> image(data + 1, size - 1);
  MidiParseState reading;
  reading.SetRunningStatus(control & 0x80 ? 0x90 | (control & 0x0F) : 0);
  const size_t capacity = (control & 0x40) ? 4096 : kMidiChunkCapacity;
  auto track = MidiTrackData::FromChunk(image, image.size(), 0, capacity, reading);
  track->PairNotes();
  if (control & 0x20) track->KeepTopNotes(control & 0x10 ? kNoChannel : 0);
  track->Transpose(-1, (control & 0x0F) - 8);
  int low = 0;
  int high = 0;
  track->NoteRange(0, low, high);
  track->CheckResetVolume();
  track->InitialTempo();
  track->SplitNotes();
  track->DeleteChannel(control & 0x0F);
  track->Serialise("MTrk");
  if (track->Form() == kFormRaw) {
    track->Parse();
  }
  return 0;
}
