#include <algorithm>
#include <array>

#include "foundation/ByteWriter.h"
#include "midi/ExclusiveClass.h"
#include "midi/MidiBytes.h"
#include "midi/MidiMessages.h"
#include "midi/MidiTrackData.h"

// Writing a track: its events serialised into chunk bytes.
namespace crx {

namespace {

constexpr int kSerialisePauseEvery = 200;
constexpr int kMaxNoteNumber = 127;
constexpr int kMaxDataByte = 0x7F;
constexpr int kNoteOffVelocity = 64;
constexpr int kMaxChannel = 15;
// Size warnings: a meta event written with more than this many data bytes,
// one event's bytes above this many.
constexpr int kLargeMetaData = 128;
constexpr size_t kLargeEventBytes = kMidiChunkCapacity;
constexpr int kPolyPressureDataLimit = 256;

constexpr uint8_t kStatusMeta = 0xFF;
constexpr std::array<uint8_t, 3> kEndOfTrackBytes = {0xFF, 0x2F, 0x00};

// A channel message from the event's fields (a poly pressure as read when its
// bytes are whole). False for any other kind.
bool WriteChannelMessage(const MidiEvent& ev, ByteWriter& out) {
  auto channelStatus = [&](int type, bool check) {
    if (check && (ev.channel < 0 || ev.channel > kMaxChannel)) MdtkError(kMdtkBadChannel);
    // The status always names a channel, whatever the stored one.
    return static_cast<uint8_t>(type | (ev.channel & 0x0F));
  };
  auto dataByte = [](int v) { return static_cast<uint8_t>(v & kMaxDataByte); };
  auto noteByte = [](int n) { return static_cast<uint8_t>(n < 0 || n > kMaxNoteNumber ? 0 : n); };

  switch (ev.kind) {
    case MidiKind::NoteOff:
      out.U8(channelStatus(0x80, true));
      out.U8(noteByte(ev.note));
      out.U8(kNoteOffVelocity);
      return true;
    case MidiKind::NoteOn:
      out.U8(channelStatus(0x90, true));
      out.U8(noteByte(ev.note));
      out.U8(dataByte(ev.velocity));
      return true;
    case MidiKind::PolyPressure: {
      if (ev.DataLength() > kPolyPressureDataLimit) MdtkError(kMdtkPolyPressure);
      auto bytes = ev.Bytes();
      if (bytes.size() == 3 && (bytes[0] & 0xF0) == 0xA0) {
        out.Bytes(bytes);
      } else {
        out.U8(channelStatus(0xA0, false));
        out.U8(dataByte(ev.note));
        out.U8(dataByte(ev.value));
      }
      return true;
    }
    case MidiKind::ControlChange:
      out.U8(channelStatus(0xB0, true));
      out.U8(dataByte(ev.subtype));
      out.U8(dataByte(ev.value));
      return true;
    case MidiKind::ProgramChange:
      out.U8(channelStatus(0xC0, true));
      out.U8(dataByte(ev.value));
      return true;
    case MidiKind::ChannelPressure:
      out.U8(channelStatus(0xD0, false));
      out.U8(dataByte(ev.value));
      return true;
    case MidiKind::PitchBend:
      out.U8(channelStatus(0xE0, false));
      out.U8(dataByte(ev.note));
      out.U8(dataByte(ev.value));
      return true;
    default:
      return false;
  }
}

}  // namespace

void MidiTrackData::Serialise(std::string_view chunkId) {
  if (form_ != kFormEvents) {
    MdtkError(kMdtkInternal);
    return;
  }
  if (events_.empty() || !events_.back().IsEndOfTrack()) {
    MdtkError(kMdtkInternal);
    return;
  }
  constexpr size_t kSmallestChunk = kChunkHeaderSize + 4 + kEndOfTrackBytes.size();
  if (capacity_ < kSmallestChunk) {
    MdtkError(kMdtkAppendFailed);
    return;
  }
  ByteWriter out;
  out.Data().reserve(std::min(capacity_, events_.size() * 4 + 64));
  out.Fill(kChunkHeaderSize, 0);
  int64_t carried = 0;  // deltas of events that write nothing
  int counter = 0;
  for (const MidiEvent& ev : events_) {
    Pause(++counter, kSerialisePauseEvery);
    const size_t deltaAt = out.Size();
    WriteVlq(ev.delta + carried, out);
    if (out.Size() + kChunkReserve > capacity_) {
      MdtkError(kMdtkAppendFailed);
      out.Bytes(kEndOfTrackBytes);
      break;
    }
    const size_t eventAt = out.Size();
    if (!WriteEventBytes(ev, out)) {
      carried += ev.delta;
      out.Data().resize(deltaAt);
      continue;
    }
    carried = 0;
    if (out.Size() - eventAt > kLargeEventBytes) MdtkWarnOnce(kMdtkEventTooLarge);
    if (out.Size() + kEndOfTrackBytes.size() > capacity_) {
      // One event larger than the room left: end the chunk before it.
      MdtkError(kMdtkAppendFailed);
      out.Data().resize(eventAt);
      out.Bytes(kEndOfTrackBytes);
      break;
    }
  }
  std::vector<uint8_t>& bytes = out.Data();
  std::array<uint8_t, 4> id = {' ', ' ', ' ', ' '};
  std::copy_n(chunkId.begin(), std::min<size_t>(chunkId.size(), id.size()), id.begin());
  std::copy(id.begin(), id.end(), bytes.begin());
  WriteBigEndian32(static_cast<uint32_t>(bytes.size() - kChunkHeaderSize), bytes, 4);
  chunkLength_ = bytes.size();
  chunk_ = std::move(bytes);
  position_ = chunkLength_;
  form_ = kFormRaw;
}

bool MidiTrackData::WriteEventBytes(const MidiEvent& ev, ByteWriter& out) const {
  switch (ev.kind) {
    case MidiKind::SysEx:
    case MidiKind::SysExEscape:
      if (ev.DataLength() == 0) {
        MdtkError(kMdtkUndefinedEvent);
        return false;
      }
      out.Bytes(ev.Bytes());
      return true;
    case MidiKind::Meta:
      WriteMetaBytes(ev, out);
      return true;
    default:
      if (WriteChannelMessage(ev, out)) return true;
      MdtkError(kMdtkUndefinedEvent);
      return false;
  }
}

void MidiTrackData::WriteMetaBytes(const MidiEvent& ev, ByteWriter& out) const {
  if (ev.DataLength() > kLargeMetaData && ev.subtype != kExclusiveLargeBlock) {
    MdtkWarnOnce(kMdtkEventTooLarge);
  }
  out.U8(kStatusMeta);
  out.U8(static_cast<uint8_t>(ev.subtype));
  switch (ev.subtype) {
    case kMetaTempo:
      out.U8(3);
      out.U8(static_cast<uint8_t>(ev.value >> 16));
      out.U8(static_cast<uint8_t>(ev.value >> 8));
      out.U8(static_cast<uint8_t>(ev.value));
      return;
    case kMetaTimeSignature: {
      out.U8(4);
      auto buffer = ev.Buffer();
      for (size_t i = 0; i < 4; ++i) out.U8(i < buffer.size() ? buffer[i] : 0);
      return;
    }
    case kMetaEndOfTrack:
      out.U8(0);
      return;
    default:
      WriteVlq(ev.DataLength(), out);
      out.Bytes(ev.Bytes());
      return;
  }
}

}  // namespace crx
