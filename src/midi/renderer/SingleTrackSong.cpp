#include "midi/renderer/SingleTrackSong.h"

#include "foundation/FileHelpers.h"
#include "midi/MidiMessages.h"
#include "midi/renderer/TrackPreparation.h"

namespace crx::renderer {

SingleTrackSong::SingleTrackSong(std::span<const uint8_t> image) {
  LoadImage(image);
  if (ReadHeader() != 1) return;
  MidiParseState state;
  auto track = MidiTrackData::FromChunk(ImageBytes(), ImageSize(), Position(),
                                        kRendererImageCapacity, state);
  if (track->Empty()) return;
  track->EnsureEndOfTrack();
  track->PairNotes();
  SetTrack(std::move(track));
  form_ = kFormNotes;
}

bool SingleTrackSong::RequireEvents() const {
  if (form_ == kFormEvents || form_ == kFormNotes) return true;
  M0dtError(kM0dtInternal);
  return false;
}

void SingleTrackSong::DeleteChannel(int channel) {
  if (!RequireEvents()) return;
  for (MidiEvent& ev : Track().Events()) {
    if (ev.channel == channel) ev.kind = MidiKind::None;
  }
  Track().Compact();
}

uint32_t SingleTrackSong::FirstTempo() const {
  int tempo = 0;
  if (Track().FirstTempo(tempo) == 0) return kNoTempoLeadInTempo;
  return static_cast<uint32_t>(tempo);
}

bool SingleTrackSong::BuildImage() {
  if (form_ == kFormRaw) return true;
  MidiTrackData& track = Track();
  if (form_ == kFormNotes) track.SplitNotes();
  OrderEventsWithinTicks(track);
  track.Serialise(kTrackChunkId);
  bool built = false;
  if (track.Form() == kFormRaw) {
    WriteHeader();
    built = AppendChunk(track.Chunk());
    if (!built) MdtkError(kMdtkAppendFailed);
    // Back to the form the object was in.
    RearmMdtkWarnings();
    track.Parse();
  }
  if (form_ == kFormNotes) track.PairNotes();
  return built;
}

bool SingleTrackSong::WriteFile(const std::string& path) {
  if (!BuildImage()) return false;
  return SaveFile(path);
}

}  // namespace crx::renderer
