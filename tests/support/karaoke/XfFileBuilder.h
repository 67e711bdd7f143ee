#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace crx::test {

// Builds XF karaoke files byte by byte, independently of the reader: a format
// 0 header, the "MTrk" chunk with the events given at absolute ticks, the
// "XFIH" chunk and the "XFKM" chunk with the lyric events (Meta 0x05, CP932),
// each track ending with an end-of-track event at its last event's tick.
// Events at one tick keep the order they were given in, except that note-offs
// come first. Broken variants serve the reader's error paths.
//
//   XfFileBuilder b;
//   b.Tempo(0, 500000).Note(0, 0, 60, 100, 480).LyricUtf8(0, "う");
//   b.WriteTo(folder.File("song.mid"));
class XfFileBuilder {
 public:
  XfFileBuilder();  // division 480, a default XFIH information text, no events

  // Main track ("MTrk").
  XfFileBuilder& Division(int ticksPerQuarter);
  XfFileBuilder& Tempo(uint32_t tick, uint32_t microsecondsPerQuarter);
  XfFileBuilder& TimeSignature(uint32_t tick, int numerator, int denominatorPower);
  // A note-on and, length ticks later, a note-off (0x80, velocity 64).
  XfFileBuilder& Note(uint32_t tick, int channel, int note, int velocity, uint32_t length);
  XfFileBuilder& NoteOn(uint32_t tick, int channel, int note, int velocity);
  XfFileBuilder& NoteOff(uint32_t tick, int channel, int note);
  XfFileBuilder& Program(uint32_t tick, int channel, int program);
  XfFileBuilder& Control(uint32_t tick, int channel, int controller, int value);
  // An exclusive message given without its 0xF0 (body up to and with 0xF7);
  // stored as F0, the length as a VLQ, the body.
  XfFileBuilder& SysEx(uint32_t tick, std::vector<uint8_t> body);
  XfFileBuilder& GmReset(uint32_t tick = 0);               // F0 05 7E 7F 09 01 F7
  XfFileBuilder& MasterVolume(uint32_t tick, int volume);  // F0 07 7F 7F 04 01 00 vv F7
  XfFileBuilder& MainMeta(uint32_t tick, int type, std::string_view data);
  // Raw event bytes (after the delta), written as given.
  XfFileBuilder& MainRaw(uint32_t tick, std::vector<uint8_t> bytes);
  // Channel messages that repeat the previous status byte omit it.
  XfFileBuilder& RunningStatus(bool on = true);
  // Note-offs written as note-ons with velocity 0.
  XfFileBuilder& NoteOffAsVelocityZero(bool on = true);

  // Lyric track ("XFKM").
  XfFileBuilder& Lyric(uint32_t tick, std::string_view cp932);
  XfFileBuilder& LyricUtf8(uint32_t tick, std::string_view utf8);  // converted to CP932
  // Lyrics at start, start + step, ... (UTF-8, converted to CP932).
  XfFileBuilder& LyricsUtf8(uint32_t start, uint32_t step, const std::vector<std::string>& utf8);
  // Any other meta event in the lyric track (for example a cue text, type 7).
  XfFileBuilder& LyricMeta(uint32_t tick, int type, std::string_view data);

  // "XFIH" chunk body: raw bytes (events with deltas), replacing the default.
  XfFileBuilder& XfihBody(std::string bytes);
  // One text event (FF 01) and the end of track as the body.
  XfFileBuilder& XfihText(std::string_view text);

  // File level and broken variants.
  XfFileBuilder& MacBinaryHeader(bool on = true);  // 128 bytes before "MThd"
  XfFileBuilder& Format(int format);
  XfFileBuilder& TrackCount(int count);
  // The chunks after the header, by id, in this order ("MTrk", "XFIH",
  // "XFKM"); leaving one out omits it, an unknown id adds an empty chunk of
  // that id.
  XfFileBuilder& ChunkOrder(std::vector<std::string> ids);
  XfFileBuilder& WithoutChunk(std::string_view id);
  // Declares the chunk's length as its real length plus delta.
  XfFileBuilder& LengthDelta(std::string_view id, int64_t delta);
  // Leaves the end-of-track event out of the chunk.
  XfFileBuilder& WithoutEndOfTrack(std::string_view id);
  // Cuts this many bytes off the end of the file.
  XfFileBuilder& CutEnd(size_t bytes);
  // Bytes appended after the last chunk.
  XfFileBuilder& Trailing(std::string bytes);

  // The whole file.
  std::string Bytes() const;
  std::vector<uint8_t> Data() const;
  // One chunk as it appears in the file (id, length, body); empty when left out.
  std::string Chunk(std::string_view id) const;
  // Writes the file and returns the path.
  std::string WriteTo(const std::string& path) const;

  // Helpers for expected bytes.
  static std::string Vlq(uint32_t value);
  static std::string Cp932(std::string_view utf8);  // fails the test on an unmappable text

 private:
  struct Event {
    uint32_t tick;
    int order;  // 0 note-off, 1 everything else
    size_t seq;
    std::vector<uint8_t> bytes;
    bool channelMessage;
  };
  enum class Track { Main, Lyrics };
  void Add(Track track, uint32_t tick, std::vector<uint8_t> bytes, bool channel = false,
           int order = 1);
  std::string TrackBody(const std::vector<Event>& events, bool endOfTrack) const;
  std::string ChunkFor(std::string_view id) const;
  static std::vector<uint8_t> MetaBytes(int type, std::string_view data);

  int division_ = 480;
  int format_ = 0;
  int trackCount_ = 1;
  bool macBinary_ = false;
  bool runningStatus_ = false;
  bool offAsZero_ = false;
  size_t seq_ = 0;
  std::vector<Event> main_;
  std::vector<Event> lyrics_;
  std::string xfihBody_;
  std::vector<std::string> order_{"MTrk", "XFIH", "XFKM"};
  std::vector<std::pair<std::string, int64_t>> lengthDeltas_;
  std::vector<std::string> withoutEnd_;
  size_t cut_ = 0;
  std::string trailing_;
};

}  // namespace crx::test
