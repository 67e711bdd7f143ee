#include "midi/MidiFormat1Data.h"

#include <algorithm>
#include <string_view>

#include "foundation/ByteReader.h"
#include "foundation/ByteWriter.h"
#include "foundation/FileHelpers.h"
#include "foundation/GeneralError.h"
#include "midi/MidiBytes.h"
#include "midi/MidiFormat0Data.h"
#include "midi/MidiMessages.h"

namespace crx {

namespace {
constexpr uint16_t kFormat1 = 1;
constexpr size_t kTrackCountOffset = 10;
}  // namespace

MidiFormat1Data::MidiFormat1Data(int division, size_t capacity)
    : capacity_(capacity), division_(division), tracks_(kMaxFormat1Tracks) {}

MidiFormat1Data::~MidiFormat1Data() = default;

MidiTrackData* MidiFormat1Data::AddTrack(size_t capacity) {
  if (trackCount_ >= kMaxFormat1Tracks) {
    M1dtError(kM1dtTooLarge);
    return nullptr;
  }
  auto& slot = tracks_[static_cast<size_t>(trackCount_++)];
  slot = std::make_unique<MidiTrackData>(capacity);
  slot->SetPauseInterval(pauseInterval_);
  return slot.get();
}

void MidiFormat1Data::SetPauseInterval(int milliseconds) {
  pauseInterval_ = std::max(milliseconds, 0);
}

void MidiFormat1Data::SetTrackCount(int count) {
  trackCount_ = std::clamp(count, 0, kMaxFormat1Tracks);
}

MidiTrackData* MidiFormat1Data::Track(int index) {
  if (index < 0 || index >= kMaxFormat1Tracks) return nullptr;
  return tracks_[static_cast<size_t>(index)].get();
}

const MidiTrackData* MidiFormat1Data::Track(int index) const {
  if (index < 0 || index >= kMaxFormat1Tracks) return nullptr;
  return tracks_[static_cast<size_t>(index)].get();
}

void MidiFormat1Data::SetTrack(int index, std::unique_ptr<MidiTrackData> track) {
  if (index < 0 || index >= kMaxFormat1Tracks) return;
  tracks_[static_cast<size_t>(index)] = std::move(track);
}

std::unique_ptr<MidiTrackData> MidiFormat1Data::ReleaseTrack(int index) {
  if (index < 0 || index >= kMaxFormat1Tracks) return nullptr;
  return std::move(tracks_[static_cast<size_t>(index)]);
}

std::span<const uint8_t> MidiFormat1Data::ImageBytes() const {
  return std::span<const uint8_t>(image_).first(imageSize_);
}

void MidiFormat1Data::SetImageSize(size_t size) {
  imageSize_ = std::min(size, capacity_);
  image_.resize(imageSize_);
}

void MidiFormat1Data::LoadImage(std::span<const uint8_t> bytes) {
  const size_t n = std::min(bytes.size(), capacity_);
  image_.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
  imageSize_ = n;
  position_ = 0;
}

void MidiFormat1Data::WriteHeader() {
  ByteWriter out;
  out.Text(kHeaderChunkId);
  out.U32BE(kHeaderChunkLength);
  out.U16BE(kFormat1);
  out.U16BE(static_cast<uint16_t>(trackCount_));
  out.U16BE(static_cast<uint16_t>(division_));
  const size_t n = std::min(out.Size(), capacity_);
  image_.assign(out.Data().begin(), out.Data().begin() + static_cast<std::ptrdiff_t>(n));
  imageSize_ = position_ = n;
}

int MidiFormat1Data::Save(const std::string& path) {
  if (path.empty()) return 0;  // nothing chosen
  switch (form_) {
    case kFormRaw:
      return WriteRecord(path, ImageBytes()) ? 1 : 0;
    case kFormEvents: {
      Serialise();
      if (form_ != kFormRaw) return 0;
      const int written = WriteRecord(path, ImageBytes()) ? 1 : 0;
      SplitImage();
      return written;
    }
    case kFormNotes: {
      SplitAllNotes();
      form_ = kFormEvents;
      const int written = Save(path);
      PairAllNotes();
      form_ = kFormNotes;
      return written;
    }
    default:
      M1dtError(kM1dtInternal);
      return 0;
  }
}

void MidiFormat1Data::SplitAllNotes() {
  const MidiParseState pauses(pauseInterval_);
  for (int i = 0; i < trackCount_; ++i) {
    pauses.PauseBeforeTrack();
    if (MidiTrackData* t = Track(i)) t->SplitNotes();
  }
}

void MidiFormat1Data::PairAllNotes() {
  const MidiParseState pauses(pauseInterval_);
  for (int i = 0; i < trackCount_; ++i) {
    pauses.PauseBeforeTrack();
    if (MidiTrackData* t = Track(i)) t->PairNotes();
  }
}

void MidiFormat1Data::Serialise() {
  if (form_ != kFormEvents) {
    M1dtError(kM1dtInternal);
    return;
  }
  WriteHeader();
  int written = 0;
  for (int i = 0; i < trackCount_; ++i) {
    MidiTrackData* track = Track(i);
    if (track == nullptr) continue;
    const TrackChunk result = AppendTrackChunk(*track);
    if (result == TrackChunk::NoRoom) break;
    if (result == TrackChunk::Appended) ++written;
  }
  StoreTrackCount(written);
  for (auto& slot : tracks_) slot.reset();
  trackCount_ = written;
  form_ = kFormRaw;
}

void MidiFormat1Data::SplitImage() {
  if (form_ != kFormRaw) {
    M1dtError(kM1dtInternal);
    return;
  }
  size_t position = position_;
  int found = 0;
  // The tracks of the image are one reading: the running status carries on.
  MidiParseState state(pauseInterval_);
  for (int i = 0; i < trackCount_; ++i) {
    if (position >= imageSize_) break;
    auto track = MidiTrackData::FromChunk(image_, imageSize_, position, capacity_, state);
    const size_t length = track->ChunkLength();
    if (length == 0) break;  // a broken chunk (reported): nothing after it is found
    tracks_[static_cast<size_t>(i)] = std::move(track);
    ++found;
    position += length;
  }
  if (found < trackCount_) {
    trackCount_ = found;
    M1dtError(kM1dtError);
  }
  position_ = position;
  form_ = kFormEvents;
}

MidiFormat1Data::TrackChunk MidiFormat1Data::AppendTrackChunk(MidiTrackData& track) {
  track.Serialise(kTrackChunkId);
  // A track that could not be serialised is reported there and left out.
  if (track.Form() != kFormRaw) return TrackChunk::LeftOut;
  const std::span<const uint8_t> chunk = track.Chunk();
  if (imageSize_ + chunk.size() >= capacity_) {
    M1dtError(kM1dtTooLarge);
    return TrackChunk::NoRoom;
  }
  image_.insert(image_.end(), chunk.begin(), chunk.end());
  imageSize_ += chunk.size();
  return TrackChunk::Appended;
}

void MidiFormat1Data::StoreTrackCount(int count) {
  // The header counts the chunks that are in the image.
  if (imageSize_ < kTrackCountOffset + 2) return;
  image_[kTrackCountOffset] = static_cast<uint8_t>(count >> 8);
  image_[kTrackCountOffset + 1] = static_cast<uint8_t>(count);
}

}  // namespace crx
