// The format 1 file: an image split into its tracks, paired, and saved back
// into the image (the serialising path of Save).
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "midi/MidiFormat1Data.h"
#include "midi/MidiTrackData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace crx;
  if (size < 1) return 0;
  MidiFormat1Data file(480, 65536);
  file.LoadImage(std::span<const uint8_t>(data + 1, size - 1));
  file.SetPosition(14);
  file.SetTrackCount(1 + data[0] % kMaxFormat1Tracks);
  file.SetForm(kFormRaw);
  file.SplitImage();
  file.PairAllNotes();
  file.SplitAllNotes();
  file.Serialise();
  if (file.Form() == kFormRaw) file.SplitImage();
  return 0;
}
