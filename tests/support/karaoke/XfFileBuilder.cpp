#include "support/karaoke/XfFileBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "foundation/ByteWriter.h"
#include "platform/TextCodec.h"
#include "support/platform/TempFolder.h"

namespace crx::test {
namespace {

constexpr size_t kMacBinarySize = 128;

void AppendVlq(ByteWriter& w, uint32_t value) {
  uint8_t groups[5];
  int n = 0;
  groups[n++] = static_cast<uint8_t>(value & 0x7F);
  while ((value >>= 7) != 0) groups[n++] = static_cast<uint8_t>(0x80 | (value & 0x7F));
  while (n > 0) w.U8(groups[--n]);
}

std::string ToString(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

}  // namespace

XfFileBuilder::XfFileBuilder() { XfihText("XFhd:::::::::::"); }

XfFileBuilder& XfFileBuilder::Division(int ticksPerQuarter) {
  division_ = ticksPerQuarter;
  return *this;
}

void XfFileBuilder::Add(Track track, uint32_t tick, std::vector<uint8_t> bytes, bool channel,
                        int order) {
  Event e{tick, order, seq_++, std::move(bytes), channel};
  (track == Track::Main ? main_ : lyrics_).push_back(std::move(e));
}

std::vector<uint8_t> XfFileBuilder::MetaBytes(int type, std::string_view data) {
  ByteWriter w;
  w.U8(0xFF);
  w.U8(static_cast<uint8_t>(type));
  AppendVlq(w, static_cast<uint32_t>(data.size()));
  w.Text(data);
  return w.Take();
}

XfFileBuilder& XfFileBuilder::Tempo(uint32_t tick, uint32_t us) {
  Add(Track::Main, tick,
      {0xFF, 0x51, 0x03, static_cast<uint8_t>(us >> 16), static_cast<uint8_t>(us >> 8),
       static_cast<uint8_t>(us)});
  return *this;
}

XfFileBuilder& XfFileBuilder::TimeSignature(uint32_t tick, int numerator, int denominatorPower) {
  Add(Track::Main, tick,
      {0xFF, 0x58, 0x04, static_cast<uint8_t>(numerator), static_cast<uint8_t>(denominatorPower),
       0x18, 0x08});
  return *this;
}

XfFileBuilder& XfFileBuilder::NoteOn(uint32_t tick, int channel, int note, int velocity) {
  Add(Track::Main, tick,
      {static_cast<uint8_t>(0x90 | (channel & 0x0F)), static_cast<uint8_t>(note),
       static_cast<uint8_t>(velocity)},
      true);
  return *this;
}

XfFileBuilder& XfFileBuilder::NoteOff(uint32_t tick, int channel, int note) {
  if (offAsZero_) {
    Add(Track::Main, tick,
        {static_cast<uint8_t>(0x90 | (channel & 0x0F)), static_cast<uint8_t>(note), 0}, true, 0);
  } else {
    Add(Track::Main, tick,
        {static_cast<uint8_t>(0x80 | (channel & 0x0F)), static_cast<uint8_t>(note), 64}, true, 0);
  }
  return *this;
}

XfFileBuilder& XfFileBuilder::Note(uint32_t tick, int channel, int note, int velocity,
                                   uint32_t length) {
  NoteOn(tick, channel, note, velocity);
  return NoteOff(tick + length, channel, note);
}

XfFileBuilder& XfFileBuilder::Program(uint32_t tick, int channel, int program) {
  Add(Track::Main, tick,
      {static_cast<uint8_t>(0xC0 | (channel & 0x0F)), static_cast<uint8_t>(program)}, true);
  return *this;
}

XfFileBuilder& XfFileBuilder::Control(uint32_t tick, int channel, int controller, int value) {
  Add(Track::Main, tick,
      {static_cast<uint8_t>(0xB0 | (channel & 0x0F)), static_cast<uint8_t>(controller),
       static_cast<uint8_t>(value)},
      true);
  return *this;
}

XfFileBuilder& XfFileBuilder::SysEx(uint32_t tick, std::vector<uint8_t> body) {
  ByteWriter w;
  w.U8(0xF0);
  AppendVlq(w, static_cast<uint32_t>(body.size()));
  w.Bytes(body);
  Add(Track::Main, tick, w.Take());
  return *this;
}

XfFileBuilder& XfFileBuilder::GmReset(uint32_t tick) {
  return SysEx(tick, {0x7E, 0x7F, 0x09, 0x01, 0xF7});
}

XfFileBuilder& XfFileBuilder::MasterVolume(uint32_t tick, int volume) {
  return SysEx(tick, {0x7F, 0x7F, 0x04, 0x01, 0x00, static_cast<uint8_t>(volume), 0xF7});
}

XfFileBuilder& XfFileBuilder::MainMeta(uint32_t tick, int type, std::string_view data) {
  Add(Track::Main, tick, MetaBytes(type, data));
  return *this;
}

XfFileBuilder& XfFileBuilder::MainRaw(uint32_t tick, std::vector<uint8_t> bytes) {
  Add(Track::Main, tick, std::move(bytes));
  return *this;
}

XfFileBuilder& XfFileBuilder::RunningStatus(bool on) {
  runningStatus_ = on;
  return *this;
}

XfFileBuilder& XfFileBuilder::NoteOffAsVelocityZero(bool on) {
  offAsZero_ = on;
  return *this;
}

XfFileBuilder& XfFileBuilder::Lyric(uint32_t tick, std::string_view cp932) {
  Add(Track::Lyrics, tick, MetaBytes(0x05, cp932));
  return *this;
}

XfFileBuilder& XfFileBuilder::LyricUtf8(uint32_t tick, std::string_view utf8) {
  return Lyric(tick, Cp932(utf8));
}

XfFileBuilder& XfFileBuilder::LyricsUtf8(uint32_t start, uint32_t step,
                                         const std::vector<std::string>& utf8) {
  uint32_t tick = start;
  for (const std::string& text : utf8) {
    LyricUtf8(tick, text);
    tick += step;
  }
  return *this;
}

XfFileBuilder& XfFileBuilder::LyricMeta(uint32_t tick, int type, std::string_view data) {
  Add(Track::Lyrics, tick, MetaBytes(type, data));
  return *this;
}

XfFileBuilder& XfFileBuilder::XfihBody(std::string bytes) {
  xfihBody_ = std::move(bytes);
  return *this;
}

XfFileBuilder& XfFileBuilder::XfihText(std::string_view text) {
  ByteWriter w;
  w.U8(0x00);
  w.Bytes(MetaBytes(0x01, text));
  w.Bytes(std::vector<uint8_t>{0x00, 0xFF, 0x2F, 0x00});
  xfihBody_ = ToString(w.Data());
  return *this;
}

XfFileBuilder& XfFileBuilder::MacBinaryHeader(bool on) {
  macBinary_ = on;
  return *this;
}

XfFileBuilder& XfFileBuilder::Format(int format) {
  format_ = format;
  return *this;
}

XfFileBuilder& XfFileBuilder::TrackCount(int count) {
  trackCount_ = count;
  return *this;
}

XfFileBuilder& XfFileBuilder::ChunkOrder(std::vector<std::string> ids) {
  order_ = std::move(ids);
  return *this;
}

XfFileBuilder& XfFileBuilder::WithoutChunk(std::string_view id) {
  order_.erase(std::remove(order_.begin(), order_.end(), std::string(id)), order_.end());
  return *this;
}

XfFileBuilder& XfFileBuilder::LengthDelta(std::string_view id, int64_t delta) {
  lengthDeltas_.emplace_back(std::string(id), delta);
  return *this;
}

XfFileBuilder& XfFileBuilder::WithoutEndOfTrack(std::string_view id) {
  withoutEnd_.emplace_back(id);
  return *this;
}

XfFileBuilder& XfFileBuilder::CutEnd(size_t bytes) {
  cut_ = bytes;
  return *this;
}

XfFileBuilder& XfFileBuilder::Trailing(std::string bytes) {
  trailing_ = std::move(bytes);
  return *this;
}

std::string XfFileBuilder::TrackBody(const std::vector<Event>& events, bool endOfTrack) const {
  std::vector<const Event*> sorted;
  for (const Event& e : events) sorted.push_back(&e);
  std::stable_sort(sorted.begin(), sorted.end(), [](const Event* a, const Event* b) {
    if (a->tick != b->tick) return a->tick < b->tick;
    if (a->order != b->order) return a->order < b->order;
    return a->seq < b->seq;
  });
  ByteWriter w;
  uint32_t now = 0;
  int status = -1;
  for (const Event* e : sorted) {
    AppendVlq(w, e->tick - now);
    now = e->tick;
    size_t from = 0;
    if (e->bytes.empty()) continue;
    if (e->channelMessage) {
      if (runningStatus_ && e->bytes[0] == status) from = 1;
      status = e->bytes[0];
    } else if (e->bytes[0] == 0xF0 || e->bytes[0] == 0xF7) {
      status = -1;  // exclusive messages cancel the running status
    }
    w.Bytes(std::span<const uint8_t>(e->bytes).subspan(from));
  }
  if (endOfTrack) w.Bytes(std::vector<uint8_t>{0x00, 0xFF, 0x2F, 0x00});
  return ToString(w.Data());
}

std::string XfFileBuilder::ChunkFor(std::string_view id) const {
  std::string body;
  bool end =
      std::find(withoutEnd_.begin(), withoutEnd_.end(), std::string(id)) == withoutEnd_.end();
  if (id == "MTrk") {
    body = TrackBody(main_, end);
  } else if (id == "XFKM") {
    body = TrackBody(lyrics_, end);
  } else if (id == "XFIH") {
    body = xfihBody_;
    if (!end && body.size() >= 4 && body.compare(body.size() - 4, 4, "\x00\xFF\x2F\x00", 4) == 0) {
      body.resize(body.size() - 4);
    }
  }
  int64_t length = static_cast<int64_t>(body.size());
  for (const auto& [which, delta] : lengthDeltas_) {
    if (which == id) length += delta;
  }
  ByteWriter w;
  w.Text(id.substr(0, 4));
  w.U32BE(static_cast<uint32_t>(length));
  w.Text(body);
  return ToString(w.Data());
}

std::string XfFileBuilder::Chunk(std::string_view id) const {
  if (std::find(order_.begin(), order_.end(), std::string(id)) == order_.end()) return {};
  return ChunkFor(id);
}

std::string XfFileBuilder::Bytes() const {
  ByteWriter w;
  if (macBinary_) {
    w.Fill(kMacBinarySize, 0);
    w.Data()[1] = 8;  // a name length, as such headers carry
  }
  w.Text("MThd");
  w.U32BE(6);
  w.U16BE(static_cast<uint16_t>(format_));
  w.U16BE(static_cast<uint16_t>(trackCount_));
  w.U16BE(static_cast<uint16_t>(division_));
  for (const std::string& id : order_) w.Text(ChunkFor(id));
  w.Text(trailing_);
  std::string out = ToString(w.Data());
  out.resize(out.size() - std::min(cut_, out.size()));
  return out;
}

std::vector<uint8_t> XfFileBuilder::Data() const {
  std::string b = Bytes();
  return std::vector<uint8_t>(b.begin(), b.end());
}

std::string XfFileBuilder::WriteTo(const std::string& path) const {
  WriteFileBytes(path, Bytes());
  return path;
}

std::string XfFileBuilder::Vlq(uint32_t value) {
  ByteWriter w;
  AppendVlq(w, value);
  return ToString(w.Data());
}

std::string XfFileBuilder::Cp932(std::string_view utf8) {
  std::optional<std::string> out = TextCodec::Utf8ToCp932(utf8);
  if (!out) {
    ADD_FAILURE() << "no CP932 form for test text: " << utf8;
    return {};
  }
  return *out;
}

}  // namespace crx::test
