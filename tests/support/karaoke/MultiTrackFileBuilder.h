#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace crx::test {

// Builds MIDI files of one or more track chunks byte by byte, independently
// of the readers: .kar files, singing-editor files with one lyric per note,
// XF data inside the track. Events are given at absolute ticks to the track
// begun last; at one tick they keep their order, except that note-offs come
// first. Every track ends with an end-of-track event at its last event.
//
//   MultiTrackFileBuilder b;
//   b.Format(1).Track().Tempo(0, 500000);
//   b.Track("Words").Text(0, "@TTitle").Text(480, "\\Hel");
//   b.WriteTo(folder.File("song.kar"));
class MultiTrackFileBuilder {
 public:
  MultiTrackFileBuilder& Format(int format);             // 1 unless set
  MultiTrackFileBuilder& Division(int ticksPerQuarter);  // 480 unless set
  // Begins a track; a name adds a track-name event (FF 03) at tick 0.
  MultiTrackFileBuilder& Track(std::string_view name = {});

  MultiTrackFileBuilder& Tempo(uint32_t tick, uint32_t microsecondsPerQuarter);
  MultiTrackFileBuilder& Note(uint32_t tick, int channel, int note, int velocity, uint32_t length);
  MultiTrackFileBuilder& Program(uint32_t tick, int channel, int program);
  MultiTrackFileBuilder& Meta(uint32_t tick, int type, std::string_view data);
  MultiTrackFileBuilder& Text(uint32_t tick, std::string_view data) {
    return Meta(tick, 0x01, data);
  }
  MultiTrackFileBuilder& Lyric(uint32_t tick, std::string_view data) {
    return Meta(tick, 0x05, data);
  }
  MultiTrackFileBuilder& Cue(uint32_t tick, std::string_view data) {
    return Meta(tick, 0x07, data);
  }
  // The XF guide-track flag: FF 7F 05 43 7B 0C rr ll.
  MultiTrackFileBuilder& GuideFlag(uint32_t tick, int rightHand, int leftHand);
  // Lyrics at start, start + step, ..., each over a note of the channel
  // lasting step ticks.
  MultiTrackFileBuilder& SungLyrics(uint32_t start, uint32_t step, int channel, int firstNote,
                                    const std::vector<std::string>& texts);

  // A chunk of another id after the tracks begun so far.
  MultiTrackFileBuilder& OtherChunk(std::string_view id, std::string body);
  // Bytes after the last chunk.
  MultiTrackFileBuilder& Trailing(std::string bytes);

  std::string Bytes() const;
  std::vector<uint8_t> Data() const;
  std::string WriteTo(const std::string& path) const;
  int TrackCount() const;

 private:
  struct Event {
    uint32_t tick;
    int order;  // 0 note-off, 1 everything else
    size_t seq;
    std::string bytes;
  };
  struct Piece {
    std::string id;  // "MTrk" or another chunk's id
    std::vector<Event> events;
    std::string body;  // of another chunk
  };
  void Add(uint32_t tick, std::string bytes, int order = 1);
  std::string TrackBody(const std::vector<Event>& events) const;

  int format_ = 1;
  int division_ = 480;
  size_t seq_ = 0;
  std::vector<Piece> pieces_;
  std::string trailing_;
};

}  // namespace crx::test
