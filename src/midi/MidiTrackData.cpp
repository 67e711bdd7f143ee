#include "midi/MidiTrackData.h"

#include <algorithm>

#include "midi/ExclusiveClass.h"
#include "midi/MidiMessages.h"

namespace crx {

namespace {

constexpr size_t kEventsPerCapacityByte = 3;
// Events of this many data bytes or more are reported when the track goes.
constexpr int kLargeEventData = 256;

}  // namespace

MidiTrackData::MidiTrackData(size_t capacity)
    : capacity_(capacity),
      maxEvents_(
          static_cast<int>(std::min<size_t>(capacity / kEventsPerCapacityByte, kMaxTrackEvents))) {}

MidiTrackData::~MidiTrackData() {
  for (const MidiEvent& ev : events_) {
    if (ev.subtype != kExclusiveLargeBlock && ev.DataLength() >= kLargeEventData) {
      MdtkError(kMdtkAppendFailed);
    }
  }
}

bool MidiTrackData::SetChunk(std::span<const uint8_t> chunk) {
  if (chunk.size() > capacity_) return false;
  chunk_.assign(chunk.begin(), chunk.end());
  chunkLength_ = chunk.size();
  position_ = 0;
  form_ = kFormRaw;
  return true;
}

std::span<const uint8_t> MidiTrackData::Chunk() const {
  return std::span<const uint8_t>(chunk_).first(chunkLength_);
}

std::vector<int64_t> MidiTrackData::AbsoluteTimes() const {
  std::vector<int64_t> times(events_.size());
  int64_t t = 0;
  for (size_t i = 0; i < events_.size(); ++i) {
    t += events_[i].delta;
    times[i] = t;
  }
  return times;
}

void MidiTrackData::Clear() { events_.clear(); }

void MidiTrackData::EnsureEndOfTrack() {
  if (events_.empty() || !events_.back().IsEndOfTrack()) AppendEndOfTrack(0);
}

void MidiTrackData::SetPauseInterval(int milliseconds) {
  pauseInterval_ = std::max(milliseconds, 0);
}

void MidiTrackData::Pause(int counter, int every) const {
  PauseEvery(pauseInterval_, counter, every);
}

}  // namespace crx
