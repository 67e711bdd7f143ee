#include "midi/renderer/TrackPreparation.h"

#include <algorithm>
#include <array>
#include <utility>

#include "foundation/ByteReader.h"
#include "midi/ExclusiveClass.h"
#include "midi/MidiBytes.h"
#include "midi/MidiFormat0Data.h"

namespace crx::renderer {
namespace {

constexpr size_t kFormatOffset = 8;
constexpr uint16_t kFormat0 = 0;
constexpr uint16_t kFormat1 = 1;
constexpr int kMaxDataValue = 127;
constexpr int kPercent = 100;

bool IsExclusive(const MidiEvent& ev) {
  return ev.kind == MidiKind::SysEx || ev.kind == MidiKind::SysExEscape;
}

// Within each tick (an event and the events after it with delta 0), moves the
// events that match to the front of the tick in their order. Exchanged events
// leave their deltas where they were.
template <typename Pred>
void MoveToTickFront(std::span<MidiEvent> events, Pred moves) {
  size_t start = 0;
  while (start < events.size()) {
    size_t end = start + 1;
    while (end < events.size() && events[end].delta == 0) ++end;
    size_t front = start;
    for (size_t i = start; i < end; ++i) {
      if (!moves(events[i])) continue;
      if (i != front) {
        std::swap(events[i], events[front]);
        std::swap(events[i].delta, events[front].delta);
      }
      ++front;
    }
    start = end;
  }
}

}  // namespace

int DetectFormat(std::vector<uint8_t>& image) {
  size_t size = image.size();
  if (RemoveMacBinaryHeader(image, size)) image.resize(size);
  if (!HasMidiHeaderAt(image, image.size(), 0)) return -1;
  ByteReader in(image);
  uint16_t format = 0;
  if (!in.Seek(kFormatOffset) || !in.U16BE(format)) return -1;
  if (format == kFormat0) return 0;
  if (format == kFormat1) return 1;
  return -1;
}

void ScaleVolume(MidiTrackData& track, int32_t percent) {
  for (MidiEvent& ev : track.Events()) {
    if (ev.kind != MidiKind::ControlChange || ev.subtype != kChannelVolumeController ||
        ev.value == 0) {
      continue;
    }
    // Whole numbers, so that 29 % of 100 is 29 and not 28.999...
    const int64_t scaled = int64_t{ev.value} * percent / kPercent;
    ev.value = static_cast<int>(std::clamp<int64_t>(scaled, 1, kMaxDataValue));
  }
}

int TrackChannel(const MidiTrackData& track) {
  for (const MidiEvent& ev : track.Events()) {
    if (ev.HasChannel() && !IsExclusive(ev)) return ev.channel;
  }
  return kNoChannel;
}

void AddLeadIn(MidiTrackData& track, int64_t ticks) {
  if (track.Empty() || ticks <= 0) return;
  MidiEvent& first = track.Event(0);
  first.delta = static_cast<int>(std::min<int64_t>(int64_t{first.delta} + ticks, kMaxVlq));
}

int CountMasterVolumes(const MidiTrackData& track) {
  return static_cast<int>(
      std::count_if(track.Events().begin(), track.Events().end(), [](const MidiEvent& ev) {
        return ev.kind == MidiKind::SysEx && ev.subtype == kExclusiveMasterVolume;
      }));
}

bool PrependEvent(MidiTrackData& track, MidiEvent event) {
  if (!track.Append(std::move(event))) return false;
  std::span<MidiEvent> events = track.Events();
  std::rotate(events.begin(), events.end() - 1, events.end());
  return true;
}

void OrderEventsWithinTicks(MidiTrackData& track) {
  MoveToTickFront(track.Events(), [](const MidiEvent& ev) {
    return ev.kind != MidiKind::NoteOn && ev.kind != MidiKind::NoteOff && !ev.IsEndOfTrack();
  });
  MoveToTickFront(track.Events(), IsExclusive);
  track.PutNoteOffsFirst();
}

}  // namespace crx::renderer
