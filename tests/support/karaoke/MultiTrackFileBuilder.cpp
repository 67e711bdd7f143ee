#include "support/karaoke/MultiTrackFileBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/karaoke/XfFileBuilder.h"
#include "support/platform/TempFolder.h"

namespace crx::test {
namespace {

std::string MetaBytes(int type, std::string_view data) {
  std::string out = {'\xFF', static_cast<char>(type)};
  out += XfFileBuilder::Vlq(static_cast<uint32_t>(data.size()));
  out += data;
  return out;
}

std::string U32(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
          static_cast<char>(v)};
}

std::string U16(int v) { return {static_cast<char>(v >> 8), static_cast<char>(v)}; }

}  // namespace

MultiTrackFileBuilder& MultiTrackFileBuilder::Format(int format) {
  format_ = format;
  return *this;
}

MultiTrackFileBuilder& MultiTrackFileBuilder::Division(int ticksPerQuarter) {
  division_ = ticksPerQuarter;
  return *this;
}

MultiTrackFileBuilder& MultiTrackFileBuilder::Track(std::string_view name) {
  pieces_.push_back({"MTrk", {}, {}});
  if (!name.empty()) Meta(0, 0x03, name);
  return *this;
}

void MultiTrackFileBuilder::Add(uint32_t tick, std::string bytes, int order) {
  if (pieces_.empty() || pieces_.back().id != "MTrk") Track();
  pieces_.back().events.push_back({tick, order, seq_++, std::move(bytes)});
}

MultiTrackFileBuilder& MultiTrackFileBuilder::Tempo(uint32_t tick, uint32_t us) {
  Add(tick, {'\xFF', '\x51', '\x03', static_cast<char>(us >> 16), static_cast<char>(us >> 8),
             static_cast<char>(us)});
  return *this;
}

MultiTrackFileBuilder& MultiTrackFileBuilder::Note(uint32_t tick, int channel, int note,
                                                   int velocity, uint32_t length) {
  Add(tick,
      {static_cast<char>(0x90 | channel), static_cast<char>(note), static_cast<char>(velocity)});
  Add(tick + length, {static_cast<char>(0x80 | channel), static_cast<char>(note), '\x40'}, 0);
  return *this;
}

MultiTrackFileBuilder& MultiTrackFileBuilder::Program(uint32_t tick, int channel, int program) {
  Add(tick, {static_cast<char>(0xC0 | channel), static_cast<char>(program)});
  return *this;
}

MultiTrackFileBuilder& MultiTrackFileBuilder::Meta(uint32_t tick, int type, std::string_view data) {
  Add(tick, MetaBytes(type, data));
  return *this;
}

MultiTrackFileBuilder& MultiTrackFileBuilder::GuideFlag(uint32_t tick, int rightHand,
                                                        int leftHand) {
  return Meta(tick, 0x7F,
              std::string{'\x43', '\x7B', '\x0C', static_cast<char>(rightHand),
                          static_cast<char>(leftHand)});
}

MultiTrackFileBuilder& MultiTrackFileBuilder::SungLyrics(uint32_t start, uint32_t step, int channel,
                                                         int firstNote,
                                                         const std::vector<std::string>& texts) {
  uint32_t tick = start;
  int note = firstNote;
  for (const std::string& text : texts) {
    Lyric(tick, text);
    Note(tick, channel, note++, 100, step);
    tick += step;
  }
  return *this;
}

MultiTrackFileBuilder& MultiTrackFileBuilder::OtherChunk(std::string_view id, std::string body) {
  pieces_.push_back({std::string(id), {}, std::move(body)});
  return *this;
}

MultiTrackFileBuilder& MultiTrackFileBuilder::Trailing(std::string bytes) {
  trailing_ = std::move(bytes);
  return *this;
}

int MultiTrackFileBuilder::TrackCount() const {
  return static_cast<int>(
      std::count_if(pieces_.begin(), pieces_.end(), [](const Piece& p) { return p.id == "MTrk"; }));
}

std::string MultiTrackFileBuilder::TrackBody(const std::vector<Event>& events) const {
  std::vector<const Event*> sorted;
  for (const Event& e : events) sorted.push_back(&e);
  std::stable_sort(sorted.begin(), sorted.end(), [](const Event* a, const Event* b) {
    if (a->tick != b->tick) return a->tick < b->tick;
    if (a->order != b->order) return a->order < b->order;
    return a->seq < b->seq;
  });
  std::string body;
  uint32_t now = 0;
  for (const Event* e : sorted) {
    body += XfFileBuilder::Vlq(e->tick - now);
    now = e->tick;
    body += e->bytes;
  }
  body += std::string("\x00\xFF\x2F\x00", 4);
  return body;
}

std::string MultiTrackFileBuilder::Bytes() const {
  std::string out = "MThd" + U32(6) + U16(format_) + U16(TrackCount()) + U16(division_);
  for (const Piece& p : pieces_) {
    const std::string body = p.id == "MTrk" ? TrackBody(p.events) : p.body;
    out += p.id.substr(0, 4) + U32(static_cast<uint32_t>(body.size())) + body;
  }
  return out + trailing_;
}

std::vector<uint8_t> MultiTrackFileBuilder::Data() const {
  const std::string b = Bytes();
  return {b.begin(), b.end()};
}

std::string MultiTrackFileBuilder::WriteTo(const std::string& path) const {
  WriteFileBytes(path, Bytes());
  return path;
}

}  // namespace crx::test
