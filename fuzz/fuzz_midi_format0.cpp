// The format 0 file reader: header (with a Mac binary header), the chunks in
// order, and writing the file image again.
#include <cstddef>
#include <cstdint>
#include <span>

#include "midi/MidiFormat0Data.h"
#include "midi/MidiTrackData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace crx;
  MidiFormat0Data song;
  song.LoadImage(std::span<const uint8_t>(data, size));
  const int header = song.ReadHeader();
  size_t position = header == 1 ? song.Position() : 0;
  for (int chunk = 0; chunk < 8 && position + 8 <= song.ImageSize(); ++chunk) {
    auto track = MidiTrackData::FromChunk(song.ImageBytes(), song.ImageSize(), position,
                                          kMidiChunkCapacity, 0);
    if (track->ChunkLength() == 0) break;
    position += track->ChunkLength();
    if (chunk == 0) {
      track->PairNotes();
      song.SetTrack(std::move(track));
    }
  }
  MidiTrackData& main = song.Track();
  if (main.Form() == kFormNotes) {
    main.SplitNotes();
    main.Serialise("MTrk");
    song.WriteHeader();
    if (main.Form() == kFormRaw) song.AppendChunk(main.Chunk());
  }
  return 0;
}
