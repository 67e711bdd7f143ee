#include <algorithm>
#include <array>
#include <string>

#include "foundation/ByteReader.h"
#include "midi/ExclusiveClass.h"
#include "midi/MidiBytes.h"
#include "midi/MidiMessages.h"
#include "midi/MidiTrackData.h"

// Reading a track: a chunk taken from a file image and parsed into events.
namespace crx {

namespace {

constexpr int kParsePauseEvery = 300;
constexpr int kMaxNoteNumber = 127;
constexpr int kMaxDataByte = 0x7F;
// A parsed event of this many data bytes is reported as large.
constexpr int kLargeEventData = 256;

// Time signatures: numerator * 256 + 2^power; 4/4 stands in for a broken one.
constexpr int kTimeSignatureNumeratorShift = 8;
constexpr int kTimeSignature44 = 4 * 256 + 4;
constexpr int kMaxDenominatorPower = 7;

constexpr uint8_t kStatusMeta = 0xFF;
constexpr uint8_t kStatusSysEx = 0xF0;
constexpr uint8_t kStatusSysExEscape = 0xF7;
constexpr uint8_t kEox = 0xF7;

constexpr std::array<std::string_view, 3> kTrackChunkIds = {kTrackChunkId, "XFKM", "XFIH"};

// The status bytes an event may begin with.
bool IsStatusByte(uint8_t b) {
  return IsChannelStatus(b) || b == kStatusSysEx || b == kStatusSysExEscape || b == kStatusMeta;
}

// A tempo's three bytes; a tempo of 0 is reported and replaced.
void StoreTempo(std::span<const uint8_t> body, MidiEvent& ev) {
  int tempo = 0;
  for (size_t i = 0; i < std::min<size_t>(body.size(), 3); ++i) tempo = tempo << 8 | body[i];
  if (tempo == 0) {
    MdtkError(kMdtkBadTempo);
    tempo = kStandardTempo;
  }
  ev.value = tempo;
  const std::array<uint8_t, 3> bytes = {static_cast<uint8_t>(tempo >> 16),
                                        static_cast<uint8_t>(tempo >> 8),
                                        static_cast<uint8_t>(tempo)};
  ev.StoreData(bytes);
}

// A time signature's four bytes; a broken one is reported and read as 4/4.
void StoreTimeSignature(std::span<const uint8_t> body, MidiEvent& ev) {
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
}

// A text meta event; an empty text is stored as one zero byte.
void StoreText(std::span<const uint8_t> body, MidiEvent& ev) {
  if (body.empty()) {
    const std::array<uint8_t, 1> zero = {0};
    ev.StoreData(zero);
  } else {
    // The buffer's spare bytes terminate the text.
    ev.StoreData(body);
  }
}

}  // namespace

std::unique_ptr<MidiTrackData> MidiTrackData::FromChunk(std::span<const uint8_t> image,
                                                        size_t imageSize, size_t startOffset,
                                                        size_t capacity, int pauseInterval) {
  MidiParseState state(pauseInterval);
  return FromChunk(image, imageSize, startOffset, capacity, state);
}

std::unique_ptr<MidiTrackData> MidiTrackData::FromChunk(std::span<const uint8_t> image,
                                                        size_t imageSize, size_t startOffset,
                                                        size_t capacity, MidiParseState& state) {
  auto track = std::make_unique<MidiTrackData>(capacity);
  RearmMdtkWarnings();
  track->SetPauseInterval(state.PauseInterval());
  ByteReader in(image.first(std::min(imageSize, image.size())));
  std::string id;
  if (!in.Seek(startOffset) || !in.Text(4, id) ||
      std::find(kTrackChunkIds.begin(), kTrackChunkIds.end(), id) == kTrackChunkIds.end()) {
    MdtkError(kMdtkBadChunkId);
    track->Parse(state);
    return track;
  }
  uint32_t length = 0;
  uint64_t chunkLength = 0;
  if (in.U32BE(length)) chunkLength = kChunkHeaderSize + uint64_t{length};
  if (chunkLength == 0 || chunkLength > in.Size() - startOffset || chunkLength > track->capacity_) {
    MdtkError(kMdtkInternal);
    track->Parse(state);
    return track;
  }
  auto chunk = in.Data().subspan(startOffset, static_cast<size_t>(chunkLength));
  track->chunk_.assign(chunk.begin(), chunk.end());
  track->chunkLength_ = static_cast<size_t>(chunkLength);
  track->Parse(state);
  return track;
}

void MidiTrackData::Parse() {
  MidiParseState state(pauseInterval_);
  Parse(state);
}

void MidiTrackData::Parse(MidiParseState& state) {
  events_.clear();
  position_ = kChunkHeaderSize;
  undefinedShown_ = false;
  ByteReader in(Chunk());
  int counter = 0;
  if (in.Seek(position_)) {
    while (position_ < chunkLength_) {
      in.Seek(position_);
      if (!ParseEvent(in, state)) break;
      position_ = in.Position();
      PauseEvery(state.PauseInterval(), ++counter, kParsePauseEvery);
    }
  }
  form_ = kFormEvents;
}

bool MidiTrackData::ParseEvent(ByteReader& in, MidiParseState& state) {
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
    status = state.RunningStatus();
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
    state.SetRunningStatus(status);
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
    case kMetaTempo:
      StoreTempo(body, ev);
      break;
    case kMetaTimeSignature:
      StoreTimeSignature(body, ev);
      break;
    case kMetaSequenceNumber:
    case kMetaChannelPrefix:
    case kMetaSmpteOffset:
    case kMetaKeySignature:
      ev.StoreData(body);
      break;
    case kMetaDeviceName:
      ev.subtype = kMetaInstrumentName;
      StoreText(body, ev);
      break;
    case kMetaText:
    case kMetaCopyright:
    case kMetaTrackName:
    case kMetaInstrumentName:
    case kMetaLyric:
    case kMetaMarker:
    case kMetaCuePoint:
    case kMetaSequencerSpecific:
      StoreText(body, ev);
      break;
    default:
      ev.kind = MidiKind::None;
      break;
  }
  return true;
}

}  // namespace crx
