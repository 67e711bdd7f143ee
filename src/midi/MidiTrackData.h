#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "foundation/StandardTempo.h"
#include "midi/MidiBytes.h"
#include "midi/MidiEvent.h"
#include "midi/MidiParseState.h"

namespace crx {

class ByteReader;
class ByteWriter;

// Chunk capacities used by the system.
inline constexpr size_t kMidiChunkCapacity = 393216;       // karaoke chunks, conductor track
inline constexpr size_t kMidiLargeChunkCapacity = 983040;  // the vocal MIDI's voice track
// An event table never holds more than this many events (capacity / 3 for
// the standard chunk).
inline constexpr int kMaxTrackEvents = 131072;
// Serialising stops this close to the capacity.
inline constexpr size_t kChunkReserve = 256;

// Forms of a track (and of a format 1 file).
inline constexpr int kFormNew = -1;    // no chunk yet
inline constexpr int kFormRaw = 0;     // the chunk bytes are current
inline constexpr int kFormEvents = 1;  // event list, NoteOn and NoteOff separate
inline constexpr int kFormNotes = 2;   // NoteOn/NoteOff pairs merged into Note events

// Tempo assumed where a track has none at its start (100 quarters a minute).
inline constexpr int kDefaultInitialTempo = 600000;

// One chunk and its events.
class MidiTrackData {
 public:
  // An empty track (form -1) whose chunk may hold up to capacity bytes; the
  // event table holds min(capacity / 3, 131,072) events. Memory follows what
  // the track holds.
  explicit MidiTrackData(size_t capacity = kMidiChunkCapacity);
  // Shows MDTK 0x0D00001A for every event (but subtype 127) of 256 or more
  // data bytes.
  ~MidiTrackData();
  MidiTrackData(const MidiTrackData&) = delete;
  MidiTrackData& operator=(const MidiTrackData&) = delete;

  // Takes the chunk at startOffset of the first imageSize bytes of image into
  // a new track and parses it (form 1) under the reading's state, which it
  // leaves with the running status the chunk ends under; the track keeps the
  // state's pause interval. Re-arms the once-only warnings. An identifier
  // other than "MTrk", "XFKM" or "XFIH" (MDTK 0x0D000007) or a chunk past the
  // image (MDTK 0x0D000001) leaves the track empty with chunk length 0.
  static std::unique_ptr<MidiTrackData> FromChunk(std::span<const uint8_t> image, size_t imageSize,
                                                  size_t startOffset, size_t capacity,
                                                  MidiParseState& state);
  // The same as a reading of its own: no running status at the start.
  static std::unique_ptr<MidiTrackData> FromChunk(std::span<const uint8_t> image, size_t imageSize,
                                                  size_t startOffset, size_t capacity,
                                                  int pauseInterval);

  // Parses the chunk bytes into events (form 1), replacing any events: under
  // the reading's state, or as a reading of its own.
  void Parse(MidiParseState& state);
  void Parse();
  // Writes the events (form 1) into the chunk bytes under the identifier
  // ("MTrk" or "XFKM"); form 0 on success.
  void Serialise(std::string_view chunkId);
  // Replaces the chunk bytes with a copy of a whole chunk (header included);
  // form 0. False (nothing changed) when it exceeds the capacity.
  bool SetChunk(std::span<const uint8_t> chunk);

  // The chunk: chunk length bytes, header included.
  std::span<const uint8_t> Chunk() const;
  size_t ChunkLength() const { return chunkLength_; }
  size_t Capacity() const { return capacity_; }
  size_t Position() const { return position_; }
  int MaxEvents() const { return maxEvents_; }

  int Form() const { return form_; }
  void SetForm(int form) { form_ = form; }

  int Count() const { return static_cast<int>(events_.size()); }
  bool Empty() const { return events_.empty(); }
  MidiEvent& Event(int index) { return events_[static_cast<size_t>(index)]; }
  const MidiEvent& Event(int index) const { return events_[static_cast<size_t>(index)]; }
  std::span<MidiEvent> Events() { return events_; }
  std::span<const MidiEvent> Events() const { return events_; }
  // The absolute time of every event (sums of deltas from the start).
  std::vector<int64_t> AbsoluteTimes() const;
  // Deletes every event.
  void Clear();

  // --- Building ---
  // Puts the event after the last one. A full table shows MDTK 0x0D000006
  // and takes nothing (false).
  bool Append(MidiEvent event);
  // Meta 0x51; a tempo of 0 shows MDTK 0x0D000015 and kStandardTempo is used.
  void AppendTempo(int microsecondsPerQuarter);
  // Meta 0x58 with the bytes 04 02 12 08, value 1026.
  void AppendTimeSignature();
  // A meta event of the type with a copy of the bytes; 128 bytes or more
  // shows MDTK 0x0D000028 (the event is still added).
  void AppendMetaText(int metaType, std::span<const uint8_t> bytes);
  void AppendMetaText(int metaType, std::string_view bytes);
  // Meta 0x2F with the delta, data length 0.
  void AppendEndOfTrack(int delta = 0);
  // Appends an end of track when the last event is not one (a chunk cut
  // short), so that the track can be written again.
  void EnsureEndOfTrack();
  // Inserts at an absolute time, after the events already at that time;
  // time -1 puts the event before the last one.
  void InsertAt(MidiEvent event, int64_t time);

  // --- Editing ---
  // Deletes one event; its delta goes to the next event.
  void Delete(int index);
  // Deletes every event of the channel; true if any was deleted.
  bool DeleteChannel(int channel);
  // Drops events of kind None, their deltas going to the next kept event.
  void Compact();
  // Form 1 -> 2: NoteOn/NoteOff pairs become Note events.
  void PairNotes();
  // Form 2 -> 1: Notes become NoteOn/NoteOff pairs, NoteOffs first at a tick.
  void SplitNotes();
  // At every tick, the NoteOffs come before the NoteOns (each position keeps
  // its delta; other events stay where they are).
  void PutNoteOffsFirst();

  // --- Queries and note operations ---
  // The last tempo among the events at tick 0; 600,000 without one.
  int InitialTempo() const;
  // The first tempo anywhere: 1 and the value, or 0.
  int FirstTempo(int& microsecondsPerQuarter) const;
  // Adds semitones to the Notes of the channel (-1: all), folded into 0-127.
  void Transpose(int channel, int semitones);
  // Reduces chords of the channel (255: all) to their top note and shortens
  // each Note of the channel to the start of the next one (form 2).
  void KeepTopNotes(int channel);
  // Lowest and highest Note of the channel (127 and 0 without notes).
  void NoteRange(int channel, int& lowest, int& highest) const;
  // 0 when a reset is not followed by a master volume before the first note.
  int CheckResetVolume() const;

  // Milliseconds slept every 300 events while parsing or pairing and every
  // 200 while serialising (0: no pauses; a negative value counts as 0).
  void SetPauseInterval(int milliseconds);
  int PauseInterval() const { return pauseInterval_; }

 private:
  bool ParseEvent(ByteReader& in, MidiParseState& state);
  bool ParseChannelMessage(ByteReader& in, int status, MidiEvent& ev);
  bool ParseSysEx(ByteReader& in, MidiEvent& ev);
  bool ParseSysExEscape(ByteReader& in, MidiEvent& ev);
  bool ParseMeta(ByteReader& in, MidiEvent& ev);
  bool WriteEventBytes(const MidiEvent& ev, ByteWriter& out) const;
  void WriteMetaBytes(const MidiEvent& ev, ByteWriter& out) const;
  void MoveEndOfTrackToEnd();
  bool TableFull() const { return Count() >= maxEvents_; }
  void Pause(int counter, int every) const;

  size_t capacity_;
  int maxEvents_;
  size_t chunkLength_ = 0;
  size_t position_ = 0;
  int form_ = kFormNew;
  int pauseInterval_ = 0;
  bool undefinedShown_ = false;  // one undefined-event message per parse
  std::vector<uint8_t> chunk_;
  std::vector<MidiEvent> events_;
};

}  // namespace crx
