#include <algorithm>
#include <array>

#include "midi/ExclusiveClass.h"
#include "midi/MidiBytes.h"
#include "midi/MidiMessages.h"
#include "midi/MidiTrackData.h"

// Editing a track: building it event by event, deleting, queries.
namespace crx {

namespace {

constexpr int kLongMetaText = 128;
constexpr std::array<uint8_t, 4> kAppendedTimeSignature = {0x04, 0x02, 0x12, 0x08};
constexpr int kAppendedTimeSignatureValue = 1026;

// Reset messages as stored (with their length byte).
constexpr std::array<uint8_t, 7> kGmOn = {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
constexpr std::array<uint8_t, 12> kGsReset = {0xF0, 0x0A, 0x41, 0x20, 0x42, 0x12,
                                              0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
constexpr std::array<uint8_t, 10> kXgOn = {0xF0, 0x08, 0x43, 0x10, 0x4C,
                                           0x00, 0x00, 0x7E, 0x00, 0xF7};

bool StartsWith(const MidiEvent& ev, std::span<const uint8_t> message) {
  auto bytes = ev.Bytes();
  return bytes.size() >= message.size() &&
         std::equal(message.begin(), message.end(), bytes.begin());
}

std::span<const uint8_t> AsBytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

// Moves the deltas of removed events onto the next kept one.
template <typename Pred>
bool RemoveIf(std::vector<MidiEvent>& events, Pred remove) {
  size_t out = 0;
  int64_t carry = 0;
  bool any = false;
  for (size_t i = 0; i < events.size(); ++i) {
    if (remove(events[i])) {
      carry += events[i].delta;
      any = true;
      continue;
    }
    if (carry != 0) {
      events[i].delta = ClampToInt(events[i].delta + carry);
      carry = 0;
    }
    if (out != i) events[out] = std::move(events[i]);
    ++out;
  }
  events.resize(out);
  return any;
}

}  // namespace

bool MidiTrackData::Append(MidiEvent event) {
  if (TableFull()) {
    MdtkError(kMdtkTooManyEvents);
    return false;
  }
  events_.push_back(std::move(event));
  return true;
}

void MidiTrackData::AppendTempo(int microsecondsPerQuarter) {
  if (microsecondsPerQuarter == 0) {
    MdtkError(kMdtkAppendTempo);
    microsecondsPerQuarter = kStandardTempo;
  }
  MidiEvent ev;
  ev.kind = MidiKind::Meta;
  ev.subtype = kMetaTempo;
  ev.value = microsecondsPerQuarter;
  const std::array<uint8_t, 3> bytes = {static_cast<uint8_t>(microsecondsPerQuarter >> 16),
                                        static_cast<uint8_t>(microsecondsPerQuarter >> 8),
                                        static_cast<uint8_t>(microsecondsPerQuarter)};
  ev.SetData(bytes);
  Append(std::move(ev));
}

void MidiTrackData::AppendTimeSignature() {
  MidiEvent ev;
  ev.kind = MidiKind::Meta;
  ev.subtype = kMetaTimeSignature;
  ev.value = kAppendedTimeSignatureValue;
  ev.SetData(kAppendedTimeSignature);
  Append(std::move(ev));
}

void MidiTrackData::AppendMetaText(int metaType, std::span<const uint8_t> bytes) {
  if (bytes.size() >= static_cast<size_t>(kLongMetaText)) MdtkError(kMdtkAppendText);
  MidiEvent ev;
  ev.kind = MidiKind::Meta;
  ev.subtype = metaType;
  ev.StoreData(bytes);
  Append(std::move(ev));
}

void MidiTrackData::AppendMetaText(int metaType, std::string_view bytes) {
  AppendMetaText(metaType, AsBytes(bytes));
}

void MidiTrackData::AppendEndOfTrack(int delta) {
  MidiEvent ev;
  ev.kind = MidiKind::Meta;
  ev.subtype = kMetaEndOfTrack;
  ev.delta = delta;
  Append(std::move(ev));
}

void MidiTrackData::InsertAt(MidiEvent event, int64_t time) {
  if (TableFull()) {
    MdtkError(kMdtkTooManyEvents);
    return;
  }
  if (time < -1) {
    MdtkError(kMdtkBadDelta);
    time = 0;
  }
  if (events_.empty()) {
    event.delta = time < 0 ? 0 : ClampToInt(time);
    events_.push_back(std::move(event));
    return;
  }
  const size_t last = events_.size() - 1;
  if (time == -1) {
    event.delta = events_[last].delta;
    events_[last].delta = 0;
    events_.insert(events_.begin() + static_cast<std::ptrdiff_t>(last), std::move(event));
    return;
  }
  int64_t before = 0;  // absolute time before event i
  for (size_t i = 0; i < last; ++i) {
    const int64_t at = before + events_[i].delta;
    if (at >= time) {
      event.delta = ClampToInt(time - before);
      events_[i].delta = ClampToInt(at - time);
      size_t pos = i;
      events_.insert(events_.begin() + static_cast<std::ptrdiff_t>(pos), std::move(event));
      // After the events already at that time.
      while (pos + 1 < events_.size() && events_[pos + 1].delta == 0 &&
             !events_[pos + 1].IsEndOfTrack()) {
        std::swap(events_[pos].delta, events_[pos + 1].delta);
        std::swap(events_[pos], events_[pos + 1]);
        ++pos;
      }
      return;
    }
    before = at;
  }
  // Beyond every event but the last: before the last one, which moves to the
  // new time when it lay earlier.
  const int64_t lastAt = before + events_[last].delta;
  event.delta = ClampToInt(time - before);
  events_[last].delta = ClampToInt(std::max<int64_t>(lastAt - time, 0));
  events_.insert(events_.begin() + static_cast<std::ptrdiff_t>(last), std::move(event));
}

// --- Editing ---

void MidiTrackData::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  const size_t i = static_cast<size_t>(index);
  if (i + 1 < events_.size()) {
    events_[i + 1].delta = ClampToInt(int64_t{events_[i + 1].delta} + events_[i].delta);
  }
  events_.erase(events_.begin() + index);
}

bool MidiTrackData::DeleteChannel(int channel) {
  return RemoveIf(events_, [channel](const MidiEvent& ev) { return ev.channel == channel; });
}

void MidiTrackData::Compact() {
  RemoveIf(events_, [](const MidiEvent& ev) { return ev.kind == MidiKind::None; });
}

int MidiTrackData::InitialTempo() const {
  int tempo = kDefaultInitialTempo;
  for (const MidiEvent& ev : events_) {
    if (ev.delta != 0) break;
    if (ev.IsMeta(kMetaTempo)) tempo = ev.value;
  }
  return tempo;
}

int MidiTrackData::FirstTempo(int& microsecondsPerQuarter) const {
  for (const MidiEvent& ev : events_) {
    if (ev.IsMeta(kMetaTempo)) {
      microsecondsPerQuarter = ev.value;
      return 1;
    }
  }
  return 0;
}

int MidiTrackData::CheckResetVolume() const {
  bool volumeAfterReset = false;
  for (const MidiEvent& ev : events_) {
    if (ev.kind == MidiKind::SysEx || ev.kind == MidiKind::SysExEscape) {
      if (StartsWith(ev, kGmOn) || StartsWith(ev, kGsReset) || StartsWith(ev, kXgOn)) {
        volumeAfterReset = false;
      } else if (StartsWith(ev, kFullMasterVolumeMessage)) {
        volumeAfterReset = true;
      }
    } else if (ev.kind == MidiKind::NoteOn || ev.kind == MidiKind::Note) {
      return volumeAfterReset ? 1 : 0;
    }
  }
  return 1;
}

}  // namespace crx
