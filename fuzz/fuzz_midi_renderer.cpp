// The renderer's readers and preparation on arbitrary bytes: read as format 0
// or format 1, scale, drop channels or tracks, shift, build the file image
// and read that image back.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "midi/MidiTrackData.h"
#include "midi/renderer/MultiTrackSong.h"
#include "midi/renderer/PrepareMidi.h"
#include "midi/renderer/SingleTrackSong.h"
#include "midi/renderer/TrackPreparation.h"

namespace {

using namespace crx;

void Prepare0(const std::vector<uint8_t>& image, int32_t percent, int off, int32_t beats) {
  renderer::SingleTrackSong song(image);
  if (song.Form() != kFormRaw) {
    renderer::ScaleVolume(song.Track(), percent);
    song.DeleteChannel(off);
    renderer::AddLeadIn(song.Track(), renderer::LeadInTicks(song.FirstTempo(), beats));
  }
  if (song.BuildImage()) {
    std::vector<uint8_t> again(song.ImageBytes().begin(), song.ImageBytes().end());
    renderer::SingleTrackSong reread(again);
  }
}

void Prepare1(const std::vector<uint8_t>& image, int32_t percent, int off, int32_t beats) {
  renderer::MultiTrackSong song(image);
  for (int i = song.TrackCount() - 1; i >= 0; --i) {
    renderer::ScaleVolume(*song.Track(i), percent);
    if (renderer::TrackChannel(*song.Track(i)) == off) song.DeleteTrack(i);
  }
  const int64_t ticks = renderer::LeadInTicks(song.LastTempo(), beats);
  for (int i = 0; i < song.TrackCount(); ++i) renderer::AddLeadIn(*song.Track(i), ticks);
  song.BuildImage();
  std::vector<uint8_t> again(song.ImageBytes().begin(), song.ImageBytes().end());
  renderer::MultiTrackSong reread(again);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > renderer::kRendererImageCapacity) size = renderer::kRendererImageCapacity;
  std::vector<uint8_t> image(data, data + size);
  // The settings come from the last bytes, so that every file is tried with
  // several of them.
  const int32_t percent = size > 0 ? data[size - 1] * 2 : 70;
  const int off = size > 1 ? data[size - 2] % 17 : 9;  // 16: no channel left out
  const int32_t beats = size > 2 ? data[size - 3] % 8 : 0;
  if (renderer::DetectFormat(image) == 0) {
    Prepare0(image, percent, off, beats);
  } else {
    Prepare1(image, percent, off, beats);
  }
  return 0;
}
