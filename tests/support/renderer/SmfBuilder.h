#pragma once

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

namespace crx::test {

// Builds Standard MIDI Files in a few lines: events at absolute ticks on
// tracks, serialised in time order with full status bytes and an end of
// track after the last event. Header-only so the benchmarks can use it too.
class SmfBuilder {
 public:
  explicit SmfBuilder(uint16_t division = 480) : division_(division) {}

  int AddTrack() {
    tracks_.emplace_back();
    return static_cast<int>(tracks_.size()) - 1;
  }
  SmfBuilder& Tempo(int track, uint32_t tick, uint32_t usPerQuarter) {
    return Add(track, tick,
               {0xFF, 0x51, 0x03, static_cast<uint8_t>(usPerQuarter >> 16),
                static_cast<uint8_t>(usPerQuarter >> 8), static_cast<uint8_t>(usPerQuarter)});
  }
  SmfBuilder& Program(int track, uint32_t tick, int channel, int program) {
    return Add(track, tick, {Status(0xC0, channel), static_cast<uint8_t>(program)});
  }
  SmfBuilder& Control(int track, uint32_t tick, int channel, int controller, int value) {
    return Add(
        track, tick,
        {Status(0xB0, channel), static_cast<uint8_t>(controller), static_cast<uint8_t>(value)});
  }
  SmfBuilder& Note(int track, uint32_t tick, int channel, int key, int velocity, uint32_t length) {
    Add(track, tick,
        {Status(0x90, channel), static_cast<uint8_t>(key), static_cast<uint8_t>(velocity)});
    return Add(track, tick + length, {Status(0x80, channel), static_cast<uint8_t>(key), 64});
  }
  // The universal master-volume exclusive message at full volume.
  SmfBuilder& MasterVolume(int track, uint32_t tick) {
    return Add(track, tick, {0xF0, 0x07, 0x7F, 0x7F, 0x04, 0x01, 0x00, 0x7F, 0xF7});
  }
  SmfBuilder& Raw(int track, uint32_t tick, std::vector<uint8_t> bytes) {
    return Add(track, tick, std::move(bytes));
  }
  // The end of track comes no earlier than this tick.
  SmfBuilder& EndAt(int track, uint32_t tick) {
    tracks_[static_cast<size_t>(track)].end =
        std::max(tracks_[static_cast<size_t>(track)].end, tick);
    return *this;
  }

  std::vector<uint8_t> Format1() const {
    std::vector<uint8_t> out = Header(1, static_cast<uint16_t>(tracks_.size()));
    for (const Track& t : tracks_) AppendTrack(out, t);
    return out;
  }
  // Every track merged into the one track of a format 0 file.
  std::vector<uint8_t> Format0() const {
    Track merged;
    for (const Track& t : tracks_) {
      merged.events.insert(merged.events.end(), t.events.begin(), t.events.end());
      merged.end = std::max(merged.end, t.end);
    }
    std::vector<uint8_t> out = Header(0, 1);
    AppendTrack(out, merged);
    return out;
  }

  static void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  }

 private:
  struct Event {
    uint32_t tick;
    uint32_t order;
    std::vector<uint8_t> bytes;
  };
  struct Track {
    std::vector<Event> events;
    uint32_t end = 0;
  };

  static uint8_t Status(int kind, int channel) {
    return static_cast<uint8_t>(kind | (channel & 0x0F));
  }
  SmfBuilder& Add(int track, uint32_t tick, std::vector<uint8_t> bytes) {
    tracks_[static_cast<size_t>(track)].events.push_back({tick, order_++, std::move(bytes)});
    return *this;
  }
  std::vector<uint8_t> Header(uint16_t format, uint16_t count) const {
    std::vector<uint8_t> out = {'M', 'T', 'h', 'd', 0, 0, 0, 6};
    Put16(out, format);
    Put16(out, count);
    Put16(out, division_);
    return out;
  }
  static void Put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
  }
  static void PutVlq(std::vector<uint8_t>& out, uint32_t v) {
    uint8_t tmp[5];
    int n = 0;
    tmp[n++] = static_cast<uint8_t>(v & 0x7F);
    while ((v >>= 7) != 0) tmp[n++] = static_cast<uint8_t>(0x80 | (v & 0x7F));
    while (n > 0) out.push_back(tmp[--n]);
  }
  static void AppendTrack(std::vector<uint8_t>& out, const Track& track) {
    std::vector<Event> events = track.events;
    // Note-offs before other events of the same tick, otherwise in order.
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
      bool offA = (a.bytes[0] & 0xF0) == 0x80, offB = (b.bytes[0] & 0xF0) == 0x80;
      return std::tie(a.tick, offB, a.order) < std::tie(b.tick, offA, b.order);
    });
    std::vector<uint8_t> body;
    uint32_t now = 0;
    for (const Event& e : events) {
      PutVlq(body, e.tick - now);
      now = e.tick;
      body.insert(body.end(), e.bytes.begin(), e.bytes.end());
    }
    PutVlq(body, track.end > now ? track.end - now : 0);
    body.insert(body.end(), {0xFF, 0x2F, 0x00});
    out.insert(out.end(), {'M', 'T', 'r', 'k'});
    uint32_t n = static_cast<uint32_t>(body.size());
    out.insert(out.end(), {static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16),
                           static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)});
    out.insert(out.end(), body.begin(), body.end());
  }

  uint16_t division_;
  uint32_t order_ = 0;
  std::vector<Track> tracks_;
};

}  // namespace crx::test
