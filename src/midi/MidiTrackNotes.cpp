#include <algorithm>
#include <unordered_map>

#include "midi/MidiBytes.h"
#include "midi/MidiMessages.h"
#include "midi/MidiTrackData.h"

// The note operations of a track: NoteOn/NoteOff pairs and Note events.
namespace crx {

namespace {

constexpr int kPairPauseEvery = 300;
constexpr int kMaxNoteNumber = 127;
constexpr int kNoteOffVelocity = 64;
constexpr int kMaxChannel = 15;

bool IsNoteKind(MidiKind k) { return k == MidiKind::NoteOn || k == MidiKind::NoteOff; }

// Where a Note ends: the NoteOff it becomes.
struct NoteEnd {
  int64_t time;
  size_t note;  // index of its Note
  int channel;
  int number;
};

// Turns every Note into its NoteOn and returns the ends of the notes in time
// order, a later note's first on a tie.
std::vector<NoteEnd> TakeNoteEnds(std::vector<MidiEvent>& events,
                                  const std::vector<int64_t>& times) {
  std::vector<NoteEnd> ends;
  for (size_t i = 0; i < events.size(); ++i) {
    MidiEvent& ev = events[i];
    if (ev.kind != MidiKind::Note) continue;
    ends.push_back({times[i] + ev.duration, i, ev.channel, ev.note});
    ev.kind = MidiKind::NoteOn;
    ev.duration = 0;
  }
  std::sort(ends.begin(), ends.end(), [](const NoteEnd& a, const NoteEnd& b) {
    return a.time != b.time ? a.time < b.time : a.note > b.note;
  });
  return ends;
}

// The events with a NoteOff for every end: each goes before the first event
// at or after its time.
std::vector<MidiEvent> MergeNoteOffs(std::vector<MidiEvent>& events,
                                     const std::vector<int64_t>& times,
                                     const std::vector<NoteEnd>& ends) {
  std::vector<MidiEvent> merged;
  merged.reserve(events.size() + ends.size());
  int64_t previous = 0;
  auto emitOff = [&](const NoteEnd& end) {
    MidiEvent ev;
    ev.kind = MidiKind::NoteOff;
    ev.channel = end.channel;
    ev.note = end.number;
    ev.velocity = kNoteOffVelocity;
    ev.delta = ClampToInt(end.time - previous);
    previous = end.time;
    merged.push_back(std::move(ev));
  };
  size_t k = 0;
  for (size_t i = 0; i < events.size(); ++i) {
    while (k < ends.size() && ends[k].time <= times[i]) emitOff(ends[k++]);
    MidiEvent& ev = events[i];
    ev.delta = ClampToInt(times[i] - previous);
    previous = times[i];
    merged.push_back(std::move(ev));
  }
  while (k < ends.size()) emitOff(ends[k++]);
  return merged;
}

}  // namespace

void MidiTrackData::PairNotes() {
  if (form_ != kFormEvents) {
    MdtkError(kMdtkInternal);
    return;
  }
  for (MidiEvent& ev : events_) {
    if (ev.kind == MidiKind::NoteOn && ev.velocity == 0) ev.kind = MidiKind::NoteOff;
  }
  // Each NoteOff closes the earliest open NoteOn of its channel and note: the
  // same as every NoteOn in turn taking the first free NoteOff after it.
  const std::vector<int64_t> times = AbsoluteTimes();
  struct Queue {
    int head = -1;
    int tail = -1;
  };
  // Channels 0-15 and notes 0-127 have a table slot; anything else a map entry.
  constexpr int kSlots = (kMaxChannel + 1) * (kMaxNoteNumber + 1);
  std::vector<Queue> slots(kSlots);
  std::unordered_map<int64_t, Queue> others;
  auto queueOf = [&](const MidiEvent& ev) -> Queue& {
    if (ev.channel >= 0 && ev.channel <= kMaxChannel && ev.note >= 0 && ev.note <= kMaxNoteNumber) {
      return slots[static_cast<size_t>(ev.channel * (kMaxNoteNumber + 1) + ev.note)];
    }
    return others[int64_t{ev.channel} << 32 | static_cast<uint32_t>(ev.note)];
  };
  std::vector<int> next(events_.size(), -1);
  int counter = 0;
  for (size_t i = 0; i < events_.size(); ++i) {
    MidiEvent& ev = events_[i];
    if (ev.kind == MidiKind::NoteOn) {
      Pause(++counter, kPairPauseEvery);
      ev.kind = MidiKind::Note;
      ev.duration = 0;
      Queue& q = queueOf(ev);
      if (q.tail >= 0)
        next[static_cast<size_t>(q.tail)] = static_cast<int>(i);
      else
        q.head = static_cast<int>(i);
      q.tail = static_cast<int>(i);
    } else if (ev.kind == MidiKind::NoteOff) {
      Queue& q = queueOf(ev);
      if (q.head >= 0) {
        const size_t on = static_cast<size_t>(q.head);
        events_[on].duration = ClampToInt(times[i] - times[on]);
        q.head = next[on];
        if (q.head < 0) q.tail = -1;
      }
      ev.kind = MidiKind::None;
    }
  }
  for (MidiEvent& ev : events_) {
    if (ev.kind != MidiKind::Note) continue;
    if (ev.duration < 0) MdtkError(kMdtkInternal);
    if (ev.duration == 0) ev.kind = MidiKind::None;
  }
  Compact();
  form_ = kFormNotes;
}

void MidiTrackData::SplitNotes() {
  if (form_ != kFormNotes) {
    MdtkError(kMdtkInternal);
    return;
  }
  for (MidiEvent& ev : events_) {
    if (ev.kind == MidiKind::Note && (ev.duration <= 0 || ev.velocity == 0)) {
      ev.kind = MidiKind::None;
    }
  }
  Compact();

  const std::vector<int64_t> times = AbsoluteTimes();
  std::vector<NoteEnd> ends = TakeNoteEnds(events_, times);
  if (events_.size() + ends.size() > static_cast<size_t>(maxEvents_)) {
    MdtkError(kMdtkTooManyEvents);
  }
  events_ = MergeNoteOffs(events_, times, ends);
  MoveEndOfTrackToEnd();
  form_ = kFormEvents;
  PutNoteOffsFirst();
}

void MidiTrackData::MoveEndOfTrackToEnd() {
  for (size_t i = 0; i + 1 < events_.size(); ++i) {
    if (!events_[i].IsEndOfTrack()) continue;
    events_[i + 1].delta = ClampToInt(int64_t{events_[i + 1].delta} + events_[i].delta);
    MidiEvent end = std::move(events_[i]);
    end.delta = 0;
    events_.erase(events_.begin() + static_cast<std::ptrdiff_t>(i));
    events_.push_back(std::move(end));
    return;
  }
}

void MidiTrackData::PutNoteOffsFirst() {
  std::vector<size_t> slots;
  std::vector<MidiEvent> moved;
  size_t start = 0;
  while (start < events_.size()) {
    size_t end = start + 1;
    while (end < events_.size() && events_[end].delta == 0) ++end;
    // Only a tick where a NoteOff follows a NoteOn needs work.
    bool onSeen = false;
    bool needed = false;
    for (size_t i = start; i < end && !needed; ++i) {
      if (events_[i].kind == MidiKind::NoteOn) onSeen = true;
      if (events_[i].kind == MidiKind::NoteOff && onSeen) needed = true;
    }
    if (needed) {
      slots.clear();
      moved.clear();
      for (size_t i = start; i < end; ++i) {
        if (events_[i].kind == MidiKind::NoteOff) moved.push_back(std::move(events_[i]));
      }
      for (size_t i = start; i < end; ++i) {
        if (IsNoteKind(events_[i].kind)) slots.push_back(i);
        if (events_[i].kind == MidiKind::NoteOn) moved.push_back(std::move(events_[i]));
      }
      for (size_t n = 0; n < slots.size(); ++n) {
        const int delta = events_[slots[n]].delta;
        events_[slots[n]] = std::move(moved[n]);
        events_[slots[n]].delta = delta;
      }
    }
    start = end;
  }
}

void MidiTrackData::Transpose(int channel, int semitones) {
  constexpr int kOctave = 12;
  for (MidiEvent& ev : events_) {
    if (ev.kind != MidiKind::Note || ev.velocity <= 0) continue;
    if (channel != -1 && ev.channel != channel) continue;
    int64_t n = int64_t{ev.note} + semitones;
    if (n < 0) n += kOctave * ((-n + kOctave - 1) / kOctave);
    if (n > kMaxNoteNumber) n -= kOctave * ((n - kMaxNoteNumber + kOctave - 1) / kOctave);
    ev.note = static_cast<int>(n);
  }
}

void MidiTrackData::KeepTopNotes(int channel) {
  if (form_ != kFormNotes) {
    MdtkError(kMdtkInternal);
    return;
  }
  auto selected = [channel](const MidiEvent& ev) {
    return ev.kind == MidiKind::Note && (channel == kNoChannel || ev.channel == channel);
  };
  // Chords: the notes of the channel at one tick keep only their highest.
  std::vector<size_t> group;
  auto thin = [&] {
    if (group.size() >= 2) {
      int top = 0;
      for (size_t i : group) top = std::max(top, events_[i].note);
      for (size_t i : group) {
        if (events_[i].note < top) events_[i].kind = MidiKind::None;
      }
    }
    group.clear();
  };
  for (size_t i = 0; i < events_.size(); ++i) {
    if (events_[i].delta != 0) thin();
    if (selected(events_[i])) group.push_back(i);
  }
  Compact();

  // Each note ends where the next note of the channel starts, or at the end
  // of the track; a note with no room left goes.
  const std::vector<int64_t> times = AbsoluteTimes();
  if (times.empty()) return;
  int64_t nextStart = times.back();
  bool removed = false;
  for (size_t i = events_.size(); i-- > 0;) {
    MidiEvent& ev = events_[i];
    if (!selected(ev)) continue;
    const int64_t gap = nextStart - times[i];
    if (ev.duration > gap) {
      if (gap <= 0) {
        ev.kind = MidiKind::None;
        removed = true;
      } else {
        ev.duration = ClampToInt(gap);
      }
    }
    nextStart = times[i];
  }
  if (removed) Compact();
}

void MidiTrackData::NoteRange(int channel, int& lowest, int& highest) const {
  lowest = kMaxNoteNumber;
  highest = 0;
  for (const MidiEvent& ev : events_) {
    if (ev.kind != MidiKind::Note || ev.channel != channel) continue;
    lowest = std::min(lowest, ev.note);
    highest = std::max(highest, ev.note);
  }
}

}  // namespace crx
