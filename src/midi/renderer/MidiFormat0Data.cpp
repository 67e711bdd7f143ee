#include "midi/renderer/MidiFormat0Data.h"

#include "foundation/FileHelpers.h"
#include "midi/MidiMessages.h"
#include "midi/renderer/TrackPreparation.h"

namespace crx::tp {
namespace {
constexpr std::string_view kTrackId = "MTrk";
}  // namespace

MidiFormat0Data::MidiFormat0Data(std::span<const uint8_t> image) {
  LoadImage(image);
  if (ReadHeader() != 1) return;
  auto track = MidiTrackData::FromChunk(ImageBytes(), ImageSize(), Position(),
                                        kRendererImageCapacity, MidiTrackData::PauseInterval());
  if (track->Empty()) return;
  EnsureEndOfTrack(*track);
  track->PairNotes();
  SetTrack(std::move(track));
  form_ = kFormNotes;
}

bool MidiFormat0Data::RequireEvents() const {
  if (form_ == kFormEvents || form_ == kFormNotes) return true;
  M0dtError(kM0dtInternal);
  return false;
}

void MidiFormat0Data::DeleteChannel(int channel) {
  if (!RequireEvents()) return;
  for (MidiEvent& ev : Track().Events()) {
    if (ev.channel == channel) ev.kind = MidiKind::None;
  }
  Track().Compact();
}

uint32_t MidiFormat0Data::FirstTempo() const {
  int tempo = 0;
  if (Track().FirstTempo(tempo) == 0) return kNoTempoLeadInTempo;
  return static_cast<uint32_t>(tempo);
}

bool MidiFormat0Data::BuildImage() {
  if (form_ == kFormRaw) return true;
  MidiTrackData& track = Track();
  if (form_ == kFormNotes) track.SplitNotes();
  OrderEventsWithinTicks(track);
  track.Serialise(kTrackId);
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

bool MidiFormat0Data::Save(const std::string& path) {
  if (!BuildImage()) return false;
  return SaveFile(path);
}

}  // namespace crx::tp
