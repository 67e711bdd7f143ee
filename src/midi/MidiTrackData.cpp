#include "midi/MidiTrackData.h"

#include <algorithm>
#include <array>
#include <new>
#include <unordered_map>

#include "foundation/ByteReader.h"
#include "foundation/ByteWriter.h"
#include "foundation/GeneralError.h"
#include "midi/ExclusiveClass.h"
#include "midi/MidiBytes.h"
#include "midi/MidiMessages.h"
#include "platform/Process.h"

namespace crx {

namespace {

int g_pauseInterval = 0;
int g_runningStatus = 0;

constexpr int kParsePauseEvery = 300;
constexpr int kPairPauseEvery = 300;
constexpr int kSerialisePauseEvery = 200;
constexpr size_t kEventsPerCapacityByte = 3;

constexpr int kMaxNoteNumber = 127;
constexpr int kMaxDataByte = 0x7F;
constexpr int kNoteOffVelocity = 64;
constexpr int kMaxChannel = 15;
// Size warnings: a parsed event of this many data bytes, a meta event written
// with more than this many, one event's bytes above this many.
constexpr int kLargeEventData = 256;
constexpr int kLargeMetaData = 128;
constexpr size_t kLargeEventBytes = 393216;
constexpr int kLongMetaText = 128;
constexpr int kPolyPressureDataLimit = 256;

// Time signatures: numerator * 256 + 2^power; 4/4 stands in for a broken one.
constexpr int kTimeSignatureNumeratorShift = 8;
constexpr int kTimeSignature44 = 4 * 256 + 4;
constexpr int kMaxDenominatorPower = 7;
constexpr std::array<uint8_t, 4> kAppendedTimeSignature = {0x04, 0x02, 0x12, 0x08};
constexpr int kAppendedTimeSignatureValue = 1026;

constexpr uint8_t kStatusMeta = 0xFF;
constexpr uint8_t kStatusSysEx = 0xF0;
constexpr uint8_t kStatusSysExEscape = 0xF7;
constexpr uint8_t kEox = 0xF7;
constexpr std::array<uint8_t, 3> kEndOfTrackBytes = {0xFF, 0x2F, 0x00};

constexpr std::array<std::string_view, 3> kTrackChunkIds = {"MTrk", "XFKM", "XFIH"};

// Reset and master-volume messages as stored (with their length byte).
constexpr std::array<uint8_t, 7> kGmOn = {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
constexpr std::array<uint8_t, 12> kGsReset = {0xF0, 0x0A, 0x41, 0x20, 0x42, 0x12,
                                              0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
constexpr std::array<uint8_t, 10> kXgOn = {0xF0, 0x08, 0x43, 0x10, 0x4C,
                                           0x00, 0x00, 0x7E, 0x00, 0xF7};
constexpr std::array<uint8_t, 9> kMasterVolumeFull = {0xF0, 0x07, 0x7F, 0x7F, 0x04,
                                                      0x01, 0x00, 0x7F, 0xF7};

bool IsChannelStatus(int status) { return status >= 0x80 && status <= 0xEF; }

// The status bytes an event may begin with.
bool IsStatusByte(uint8_t b) {
  return IsChannelStatus(b) || b == kStatusSysEx || b == kStatusSysExEscape || b == kStatusMeta;
}

bool IsNoteKind(MidiKind k) { return k == MidiKind::NoteOn || k == MidiKind::NoteOff; }

bool StartsWith(const MidiEvent& ev, std::span<const uint8_t> message) {
  auto bytes = ev.Bytes();
  return bytes.size() >= message.size() &&
         std::equal(message.begin(), message.end(), bytes.begin());
}

std::span<const uint8_t> AsBytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

int ClampToInt(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

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

// --- Construction ---

MidiTrackData::MidiTrackData(size_t capacity)
    : capacity_(capacity),
      maxEvents_(
          static_cast<int>(std::min<size_t>(capacity / kEventsPerCapacityByte, kMaxTrackEvents))) {
  try {
    chunk_.assign(capacity_, 0);
  } catch (const std::bad_alloc&) {
    GeneralErrorMsg(kGeneNoMemory);
    capacity_ = 0;
    maxEvents_ = 0;
  }
}

MidiTrackData::~MidiTrackData() {
  for (const MidiEvent& ev : events_) {
    if (ev.subtype != kExclusiveLargeBlock && ev.DataLength() >= kLargeEventData) {
      MdtkError(kMdtkAppendFailed);
    }
  }
}

std::unique_ptr<MidiTrackData> MidiTrackData::FromChunk(std::span<const uint8_t> image,
                                                        size_t imageSize, size_t startOffset,
                                                        size_t capacity, int pauseInterval) {
  auto track = std::make_unique<MidiTrackData>(capacity);
  RearmMdtkWarnings();
  SetPauseInterval(pauseInterval);
  ByteReader in(image.first(std::min(imageSize, image.size())));
  std::string id;
  if (!in.Seek(startOffset) || !in.Text(4, id) ||
      std::find(kTrackChunkIds.begin(), kTrackChunkIds.end(), id) == kTrackChunkIds.end()) {
    MdtkError(kMdtkBadChunkId);
    track->Parse();
    return track;
  }
  uint32_t length = 0;
  uint64_t chunkLength = 0;
  if (in.U32BE(length)) chunkLength = kChunkHeaderSize + uint64_t{length};
  if (chunkLength == 0 || chunkLength > in.Size() - startOffset || chunkLength > track->capacity_) {
    MdtkError(kMdtkInternal);
    track->Parse();
    return track;
  }
  auto chunk = in.Data().subspan(startOffset, static_cast<size_t>(chunkLength));
  std::copy(chunk.begin(), chunk.end(), track->chunk_.begin());
  track->chunkLength_ = static_cast<size_t>(chunkLength);
  track->Parse();
  return track;
}

bool MidiTrackData::SetChunk(std::span<const uint8_t> chunk) {
  if (chunk.size() > capacity_) return false;
  std::copy(chunk.begin(), chunk.end(), chunk_.begin());
  std::fill(chunk_.begin() + static_cast<std::ptrdiff_t>(chunk.size()), chunk_.end(), 0);
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

// --- Process-wide state ---

void MidiTrackData::SetPauseInterval(int milliseconds) {
  g_pauseInterval = std::max(milliseconds, 0);
}
int MidiTrackData::PauseInterval() { return g_pauseInterval; }
int MidiTrackData::RunningStatus() { return g_runningStatus; }
void MidiTrackData::SetRunningStatus(int status) { g_runningStatus = status; }

void MidiTrackData::Pause(int counter, int every) const {
  if (g_pauseInterval > 0 && counter > 0 && counter % every == 0) SleepMs(g_pauseInterval);
}

// --- Parsing ---

void MidiTrackData::Parse() {
  events_.clear();
  position_ = kChunkHeaderSize;
  undefinedShown_ = false;
  ByteReader in(Chunk());
  int counter = 0;
  if (in.Seek(position_)) {
    while (position_ < chunkLength_) {
      in.Seek(position_);
      if (!ParseEvent(in)) break;
      position_ = in.Position();
      Pause(++counter, kParsePauseEvery);
    }
  }
  form_ = kFormEvents;
}

bool MidiTrackData::ParseEvent(ByteReader& in) {
  if (TableFull()) {
    MdtkError(kMdtkTooManyEvents);
    return false;
  }
  uint32_t delta = 0;
  if (!ReadVlq(in, delta) || in.AtEnd()) {
    MdtkError(kMdtkInternal);
    return false;
  }
  MidiEvent ev;
  ev.delta = static_cast<int>(delta);

  uint8_t first = 0;
  in.Peek(first);
  int status = first;
  if (IsStatusByte(first)) {
    in.Skip(1);
  } else {
    // Running status: the bytes here are the data of the last channel status.
    status = g_runningStatus;
    if (!IsChannelStatus(status)) {
      if (!undefinedShown_) MdtkError(kMdtkUndefinedEvent);
      undefinedShown_ = true;
      in.Skip(1);
      ev.kind = MidiKind::None;  // keeps its delta until compaction
      events_.push_back(std::move(ev));
      return true;
    }
  }

  if (IsChannelStatus(status)) {
    if (!ParseChannelMessage(in, status, ev)) return false;
    g_runningStatus = status;
  } else if (status == kStatusSysEx) {
    if (!ParseSysEx(in, ev)) return false;
  } else if (status == kStatusSysExEscape) {
    if (!ParseSysExEscape(in, ev)) return false;
  } else {
    if (!ParseMeta(in, ev)) return false;
  }

  if (ev.DataLength() >= kLargeEventData && ev.subtype != kExclusiveLargeBlock) {
    MdtkWarnOnce(kMdtkEventTooLarge);
  }
  events_.push_back(std::move(ev));
  return true;
}

bool MidiTrackData::ParseChannelMessage(ByteReader& in, int status, MidiEvent& ev) {
  const int type = status & 0xF0;
  const int dataBytes = (type == 0xC0 || type == 0xD0) ? 1 : 2;
  std::array<uint8_t, 3> bytes = {static_cast<uint8_t>(status), 0, 0};
  for (int i = 1; i <= dataBytes; ++i) {
    if (!in.U8(bytes[static_cast<size_t>(i)])) {
      MdtkError(kMdtkInternal);
      return false;
    }
  }
  ev.StoreData(std::span<const uint8_t>(bytes).first(static_cast<size_t>(dataBytes + 1)));
  ev.kind = static_cast<MidiKind>(type);
  ev.channel = status & 0x0F;
  const int d1 = bytes[1];
  const int d2 = bytes[2];
  switch (type) {
    case 0x80:
    case 0x90:
      ev.note = d1;
      ev.velocity = d2;
      if (type == 0x90 && d2 == 0) ev.kind = MidiKind::NoteOff;
      if (ev.note > kMaxNoteNumber) {
        ev.note = 0;
        ev.velocity = 0;
        MdtkWarnOnce(kMdtkBadNoteNumber);
      }
      break;
    case 0xA0:
    case 0xE0:
      ev.note = d1;
      ev.value = d2;
      break;
    case 0xB0:
      ev.subtype = d1;
      ev.value = d2;
      break;
    case 0xC0:
      ev.value = d1;
      if (ev.value > kMaxDataByte) {
        ev.value = 0;
        MdtkError(kMdtkBadProgram);
      }
      break;
    default:  // 0xD0
      ev.value = d1;
      break;
  }
  return true;
}

bool MidiTrackData::ParseSysEx(ByteReader& in, MidiEvent& ev) {
  // The message runs from 0xF0 to the first 0xF7 after its length.
  const size_t start = in.Position() - 1;
  uint32_t length = 0;
  if (!ReadVlq(in, length)) {
    MdtkError(kMdtkInternal);
    return false;
  }
  auto rest = in.Rest();
  auto eox = std::find(rest.begin(), rest.end(), kEox);
  if (eox == rest.end()) {
    MdtkError(kMdtkInternal);
    return false;
  }
  const size_t end = in.Position() + static_cast<size_t>(eox - rest.begin()) + 1;
  ev.kind = MidiKind::SysEx;
  ev.StoreData(in.Data().subspan(start, end - start));
  in.Seek(end);
  ClassifyExclusive(ev);
  return true;
}

bool MidiTrackData::ParseSysExEscape(ByteReader& in, MidiEvent& ev) {
  const size_t start = in.Position() - 1;
  uint8_t n = 0;
  std::span<const uint8_t> body;
  if (!in.U8(n) || !in.Bytes(n, body)) {
    MdtkError(kMdtkInternal);
    return false;
  }
  ev.kind = MidiKind::SysExEscape;
  ev.StoreData(in.Data().subspan(start, size_t{n} + 2));
  return true;
}

bool MidiTrackData::ParseMeta(ByteReader& in, MidiEvent& ev) {
  uint8_t type = 0;
  uint32_t length = 0;
  std::span<const uint8_t> body;
  if (!in.U8(type) || !ReadVlq(in, length) || !in.Bytes(length, body)) {
    MdtkError(kMdtkInternal);
    return false;
  }
  ev.kind = MidiKind::Meta;
  ev.subtype = type;
  switch (type) {
    case kMetaEndOfTrack:
      break;
    case kMetaTempo: {
      int tempo = 0;
      for (size_t i = 0; i < std::min<size_t>(body.size(), 3); ++i) tempo = tempo << 8 | body[i];
      if (tempo == 0) {
        MdtkError(kMdtkBadTempo);
        tempo = kFallbackTempo;
      }
      ev.value = tempo;
      const std::array<uint8_t, 3> bytes = {static_cast<uint8_t>(tempo >> 16),
                                            static_cast<uint8_t>(tempo >> 8),
                                            static_cast<uint8_t>(tempo)};
      ev.StoreData(bytes);
      break;
    }
    case kMetaTimeSignature: {
      std::array<uint8_t, 4> bytes = {0, 0, 0, 0};
      std::copy_n(body.begin(), std::min<size_t>(body.size(), bytes.size()), bytes.begin());
      ev.StoreData(bytes);
      const int numerator = bytes[0];
      const int power = bytes[1];
      if (numerator == 0 || power == 0 || power > kMaxDenominatorPower) {
        MdtkError(kMdtkBadTimeSignature);
        ev.value = kTimeSignature44;
      } else {
        ev.value = (numerator << kTimeSignatureNumeratorShift) + (1 << power);
      }
      break;
    }
    case kMetaSequenceNumber:
    case kMetaChannelPrefix:
    case kMetaSmpteOffset:
    case kMetaKeySignature:
      ev.StoreData(body);
      break;
    case kMetaDeviceName:
    case kMetaText:
    case kMetaCopyright:
    case kMetaTrackName:
    case kMetaInstrumentName:
    case kMetaLyric:
    case kMetaMarker:
    case kMetaCuePoint:
    case kMetaSequencerSpecific:
      if (type == kMetaDeviceName) ev.subtype = kMetaInstrumentName;
      if (body.empty()) {
        const std::array<uint8_t, 1> zero = {0};
        ev.StoreData(zero);
      } else {
        // The buffer's spare bytes terminate the text.
        ev.StoreData(body);
      }
      break;
    default:
      ev.kind = MidiKind::None;
      break;
  }
  return true;
}

// --- Serialising ---

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
  std::copy(bytes.begin(), bytes.end(), chunk_.begin());
  std::fill(chunk_.begin() + static_cast<std::ptrdiff_t>(bytes.size()), chunk_.end(), 0);
  chunkLength_ = bytes.size();
  position_ = chunkLength_;
  form_ = kFormRaw;
}

bool MidiTrackData::WriteEventBytes(const MidiEvent& ev, ByteWriter& out) const {
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
    case MidiKind::SysEx:
    case MidiKind::SysExEscape:
      if (ev.DataLength() == 0) {
        MdtkError(kMdtkUndefinedEvent);
        return false;
      }
      out.Bytes(ev.Bytes());
      return true;
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
    case MidiKind::Meta:
      WriteMetaBytes(ev, out);
      return true;
    default:
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

// --- Building ---

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
    microsecondsPerQuarter = kFallbackTempo;
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

  // Every NoteOff goes before the first event at or after its time; NoteOffs
  // meeting in one gap are in time order, a later note's first on a tie.
  const std::vector<int64_t> times = AbsoluteTimes();
  struct Off {
    int64_t time;
    size_t note;  // index of its Note
    int channel;
    int number;
  };
  std::vector<Off> offs;
  for (size_t i = 0; i < events_.size(); ++i) {
    MidiEvent& ev = events_[i];
    if (ev.kind != MidiKind::Note) continue;
    offs.push_back({times[i] + ev.duration, i, ev.channel, ev.note});
    ev.kind = MidiKind::NoteOn;
    ev.duration = 0;
  }
  if (events_.size() + offs.size() > static_cast<size_t>(maxEvents_)) {
    MdtkError(kMdtkTooManyEvents);
  }
  std::sort(offs.begin(), offs.end(), [](const Off& a, const Off& b) {
    return a.time != b.time ? a.time < b.time : a.note > b.note;
  });
  std::vector<MidiEvent> merged;
  merged.reserve(events_.size() + offs.size());
  int64_t previous = 0;
  auto emitOff = [&](const Off& off) {
    MidiEvent ev;
    ev.kind = MidiKind::NoteOff;
    ev.channel = off.channel;
    ev.note = off.number;
    ev.velocity = kNoteOffVelocity;
    ev.delta = ClampToInt(off.time - previous);
    previous = off.time;
    merged.push_back(std::move(ev));
  };
  size_t k = 0;
  for (size_t i = 0; i < events_.size(); ++i) {
    while (k < offs.size() && offs[k].time <= times[i]) emitOff(offs[k++]);
    MidiEvent& ev = events_[i];
    ev.delta = ClampToInt(times[i] - previous);
    previous = times[i];
    merged.push_back(std::move(ev));
  }
  while (k < offs.size()) emitOff(offs[k++]);
  events_ = std::move(merged);
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

// --- Queries and note operations ---

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

int MidiTrackData::CheckResetVolume() const {
  bool volumeAfterReset = false;
  for (const MidiEvent& ev : events_) {
    if (ev.kind == MidiKind::SysEx || ev.kind == MidiKind::SysExEscape) {
      if (StartsWith(ev, kGmOn) || StartsWith(ev, kGsReset) || StartsWith(ev, kXgOn)) {
        volumeAfterReset = false;
      } else if (StartsWith(ev, kMasterVolumeFull)) {
        volumeAfterReset = true;
      }
    } else if (ev.kind == MidiKind::NoteOn || ev.kind == MidiKind::Note) {
      return volumeAfterReset ? 1 : 0;
    }
  }
  return 1;
}

}  // namespace crx
