#include "midi/renderer/MultiTrackSong.h"

#include <algorithm>

#include "foundation/ByteReader.h"
#include "foundation/FileHelpers.h"
#include "midi/ExclusiveClass.h"
#include "midi/MidiBytes.h"
#include "midi/MidiFormat0Data.h"
#include "midi/MidiMessages.h"
#include "midi/renderer/TrackPreparation.h"
#include "platform/Process.h"

namespace crx::renderer {
namespace {
constexpr uint16_t kFormat1 = 1;
}  // namespace

MultiTrackSong::MultiTrackSong(std::span<const uint8_t> image)
    : MidiFormat1Data(kDefaultDivision, kRendererImageCapacity) {
  form_ = kFormRaw;
  LoadImage(image);

  int tracks = 0;
  if (!ReadHeader(tracks)) return;
  TakeTracks(tracks);
  if (trackCount_ == 0) return;
  for (int i = 0; i < trackCount_; ++i) {
    MidiParseState(pauseInterval_).PauseBeforeTrack();
    Track(i)->PairNotes();
  }
  form_ = kFormNotes;
  CheckMasterVolume();
}

bool MultiTrackSong::ReadHeader(int& tracks) {
  if (!HasMidiHeaderAt(image_, imageSize_, 0) && !RemoveMacBinaryHeader(image_, imageSize_)) {
    M1dtError(kM1dtNotMidi);
    return false;
  }
  ByteReader in(ImageBytes());
  uint16_t format = 0;
  uint16_t count = 0;
  uint16_t division = 0;
  if (!in.Skip(kChunkHeaderSize) || !in.U16BE(format)) {
    M1dtError(kM1dtNotMidi);
    return false;
  }
  if (format != kFormat1) {
    M1dtError(kM1dtNotFormat1);
    return false;
  }
  if (!in.U16BE(count) || !in.U16BE(division)) {
    M1dtError(kM1dtNotMidi);
    return false;
  }
  // Tracks beyond the 32 that are taken would be lost without a word.
  if (count > kRendererMaxTracks) M1dtError(kM1dtTrackCount);
  tracks = std::min<int>(count, kRendererMaxTracks);
  division_ = division;
  position_ = kMidiHeaderSize;
  return true;
}

void MultiTrackSong::TakeTracks(int wanted) {
  size_t position = position_;
  int found = 0;
  bool ranOut = false;
  MidiParseState state(pauseInterval_);
  while (found < wanted) {
    if (position >= imageSize_) {
      ranOut = true;
      break;
    }
    auto track =
        MidiTrackData::FromChunk(image_, imageSize_, position, kRendererTrackCapacity, state);
    ByteReader in(ImageBytes());
    std::string id;
    uint32_t length = 0;
    if (!in.Seek(position) || !ReadChunkHeader(in, id, length)) {
      ranOut = true;
      break;
    }
    // A chunk that could not be taken (reported) is passed over.
    position += kChunkHeaderSize + size_t{length};
    if (track->Empty()) continue;
    track->EnsureEndOfTrack();
    tracks_[static_cast<size_t>(found++)] = std::move(track);
  }
  trackCount_ = found;
  position_ = std::min(position, imageSize_);
  if (ranOut) M1dtError(kM1dtError);
}

void MultiTrackSong::CheckMasterVolume() {
  int tracksWithVolume = 0;
  for (int i = 0; i < trackCount_; ++i) {
    const int volumes = CountMasterVolumes(*Track(i));
    if (volumes > 1) MdtkError(kMdtkMultipleMasterVolume);
    if (volumes > 0) ++tracksWithVolume;
  }
  if (tracksWithVolume > 1) M1dtError(kM1dtMultipleMasterVolume);
  if (tracksWithVolume > 0 || trackCount_ == 0) return;
  M1dtError(kM1dtNoMasterVolume);
  int target = 0;
  for (int i = 0; i < trackCount_; ++i) {
    if (TrackChannel(*Track(i)) != kNoChannel) {
      target = i;
      break;
    }
  }
  PrependEvent(*Track(target), MakeFullMasterVolume());
}

void MultiTrackSong::DeleteTrack(int index) {
  if (index < 0 || index >= trackCount_) {
    M1dtError(kM1dtInternal);
    return;
  }
  tracks_.erase(tracks_.begin() + index);
  tracks_.emplace_back();
  --trackCount_;
}

uint32_t MultiTrackSong::LastTempo() const {
  uint32_t tempo = 0;
  for (int i = 0; i < trackCount_; ++i) {
    const MidiTrackData* track = Track(i);
    if (track == nullptr) continue;
    for (const MidiEvent& ev : track->Events()) {
      if (ev.IsMeta(kMetaTempo)) tempo = static_cast<uint32_t>(ev.value);
    }
  }
  return tempo;
}

void MultiTrackSong::BuildImage() {
  if (form_ == kFormRaw) return;
  WriteHeader();
  int written = 0;
  bool full = false;
  for (int i = 0; i < trackCount_ && !full; ++i) {
    MidiTrackData* track = Track(i);
    if (track == nullptr) continue;
    MidiParseState(pauseInterval_).PauseBeforeTrack();
    if (form_ == kFormNotes) track->SplitNotes();
    const TrackChunk result = AppendTrackChunk(*track);
    if (result == TrackChunk::Appended) ++written;
    full = result == TrackChunk::NoRoom;
    if (track->Form() == kFormRaw) {
      // Back to the form the track was in.
      RearmMdtkWarnings();
      track->Parse();
    }
    if (form_ == kFormNotes) track->PairNotes();
  }
  StoreTrackCount(written);
}

bool MultiTrackSong::WriteFile(const std::string& path) {
  BuildImage();
  return WriteRecord(path, ImageBytes());
}

}  // namespace crx::renderer
