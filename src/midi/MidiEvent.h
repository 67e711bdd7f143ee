#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace crx {

// Event kinds. Channel messages hold the upper half of their status byte.
enum class MidiKind : int {
  None = 0,   // marked for removal
  Note = 16,  // a NoteOn paired with its NoteOff (form 2)
  NoteOff = 0x80,
  NoteOn = 0x90,
  PolyPressure = 0xA0,
  ControlChange = 0xB0,
  ProgramChange = 0xC0,
  ChannelPressure = 0xD0,
  PitchBend = 0xE0,
  SysEx = 0xF0,
  SysExEscape = 0xF7,
  Meta = 0xFF,
};

// Meta types (the byte after 0xFF, held in subtype).
inline constexpr int kMetaSequenceNumber = 0x00;
inline constexpr int kMetaText = 0x01;
inline constexpr int kMetaCopyright = 0x02;
inline constexpr int kMetaTrackName = 0x03;
inline constexpr int kMetaInstrumentName = 0x04;
inline constexpr int kMetaLyric = 0x05;
inline constexpr int kMetaMarker = 0x06;
inline constexpr int kMetaCuePoint = 0x07;
inline constexpr int kMetaDeviceName = 0x09;
inline constexpr int kMetaChannelPrefix = 0x20;
inline constexpr int kMetaEndOfTrack = 0x2F;
inline constexpr int kMetaTempo = 0x51;
inline constexpr int kMetaSmpteOffset = 0x54;
inline constexpr int kMetaTimeSignature = 0x58;
inline constexpr int kMetaKeySignature = 0x59;
inline constexpr int kMetaSequencerSpecific = 0x7F;

// The channel of meta and exclusive events.
inline constexpr int kNoChannel = 255;
// Every data buffer carries this many zero bytes beyond its data length.
inline constexpr int kDataSpare = 8;
// SetData warns above this length.
inline constexpr int kMaxEventData = 256;

// One event of a track. A new event has every field 0 except channel = 255.
class MidiEvent {
 public:
  MidiEvent() = default;
  MidiEvent(const MidiEvent&) = default;
  MidiEvent& operator=(const MidiEvent&) = default;
  MidiEvent(MidiEvent&&) noexcept = default;
  MidiEvent& operator=(MidiEvent&&) noexcept = default;

  // A copy of another event with a private copy of its data; a missing
  // source shows MDEV 0x00000000 and yields a new, empty event.
  static MidiEvent CopyOf(const MidiEvent* source);

  // Replaces the data with a copy of the bytes (buffer: length + 8 zero-filled
  // bytes) and sets the data length. Over 256 bytes shows MUEV 0x06000001.
  void SetData(std::span<const uint8_t> bytes);
  void SetData(std::string_view bytes);
  // As SetData, without the size warning (the file readers warn themselves).
  void StoreData(std::span<const uint8_t> bytes);
  // A new zero-filled buffer of length + 8 bytes keeping the old data; the
  // data length is kept (cut to the new length if it was longer).
  void ResizeData(int length);
  // The byte at index, valid while index < data length + 8 and there is data;
  // otherwise MUEV 0x06000002 and 0.
  uint8_t DataByte(int index) const;
  // A pointer to the byte at index under the same rule (null on failure).
  uint8_t* DataAt(int index);
  const uint8_t* DataAt(int index) const;
  // Stores a byte, growing the buffer to index + 1 (+ 8) when needed. No data
  // shows MUEV 0x06000002.
  void SetDataByte(int index, uint8_t byte);
  // Copies data length bytes out. No data shows MUEV 0x06000002 (false).
  bool CopyData(std::vector<uint8_t>& out) const;

  // The first data length bytes (empty without data), e.g. a lyric text.
  std::span<const uint8_t> Bytes() const;
  std::string Text() const;
  bool HasData() const { return !data_.empty(); }
  int DataLength() const { return dataLength_; }
  // Sets the data length, growing the buffer when it is too short.
  void SetDataLength(int length);
  // The whole buffer (data length + at least 8 spare bytes), for readers.
  std::span<const uint8_t> Buffer() const { return data_; }

  bool IsMeta(int type) const { return kind == MidiKind::Meta && subtype == type; }
  bool IsEndOfTrack() const { return IsMeta(kMetaEndOfTrack); }
  bool HasChannel() const { return channel != kNoChannel; }

  MidiKind kind = MidiKind::None;
  int delta = 0;
  int note = 0;      // note number; first data byte of PitchBend and PolyPressure
  int duration = 0;  // ticks, Note only
  int velocity = 0;
  int subtype = 0;  // controller, meta type or exclusive classification
  int value = 0;    // control value, program, pressure, bend MSB, tempo, time signature
  int channel = kNoChannel;

 private:
  int dataLength_ = 0;
  std::vector<uint8_t> data_;
};

}  // namespace crx
