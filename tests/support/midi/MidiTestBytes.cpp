#include "support/midi/MidiTestBytes.h"

#include <cctype>
#include <cstdio>
#include <sstream>

#include <unistd.h>

#include "foundation/ByteWriter.h"

namespace crx::test {

std::vector<uint8_t> Hex(std::string_view text) {
  std::vector<uint8_t> out;
  int nibbles = 0;
  int value = 0;
  for (char c : text) {
    if (std::isxdigit(static_cast<unsigned char>(c)) == 0) continue;
    value = value * 16 + (std::isdigit(static_cast<unsigned char>(c)) != 0
                              ? c - '0'
                              : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
    if (++nibbles == 2) {
      out.push_back(static_cast<uint8_t>(value));
      nibbles = 0;
      value = 0;
    }
  }
  return out;
}

std::string ToHex(std::span<const uint8_t> bytes) {
  std::string out;
  char buf[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%02X", bytes[i]);
    if (i > 0) out += ' ';
    out += buf;
  }
  return out;
}

std::vector<uint8_t> Chunk(std::string_view id, std::span<const uint8_t> body) {
  ByteWriter w;
  w.Text(id);
  w.U32BE(static_cast<uint32_t>(body.size()));
  w.Bytes(body);
  return w.Take();
}

std::vector<uint8_t> TrackChunk(std::string_view bodyHex, std::string_view id) {
  return Chunk(id, Hex(bodyHex));
}

std::vector<uint8_t> HeaderChunk(int format, int tracks, int division) {
  ByteWriter w;
  w.Text("MThd");
  w.U32BE(6);
  w.U16BE(static_cast<uint16_t>(format));
  w.U16BE(static_cast<uint16_t>(tracks));
  w.U16BE(static_cast<uint16_t>(division));
  return w.Take();
}

std::vector<uint8_t> SmfFile(int format, int division,
                             const std::vector<std::vector<uint8_t>>& chunks) {
  std::vector<uint8_t> out = HeaderChunk(format, static_cast<int>(chunks.size()), division);
  for (const auto& c : chunks) out.insert(out.end(), c.begin(), c.end());
  return out;
}

std::unique_ptr<MidiTrackData> ParseTrack(std::string_view bodyHex, size_t capacity) {
  std::vector<uint8_t> chunk = TrackChunk(bodyHex);
  return MidiTrackData::FromChunk(chunk, chunk.size(), 0, capacity, 0);
}

std::string BodyHex(const MidiTrackData& track) {
  auto chunk = track.Chunk();
  if (chunk.size() < kChunkHeaderSize) return "";
  return ToHex(chunk.subspan(kChunkHeaderSize));
}

MidiEvent NoteOnEvent(int delta, int channel, int note, int velocity) {
  MidiEvent ev;
  ev.kind = MidiKind::NoteOn;
  ev.delta = delta;
  ev.channel = channel;
  ev.note = note;
  ev.velocity = velocity;
  return ev;
}

MidiEvent NoteOffEvent(int delta, int channel, int note) {
  MidiEvent ev = NoteOnEvent(delta, channel, note, 64);
  ev.kind = MidiKind::NoteOff;
  return ev;
}

MidiEvent NoteEvent(int delta, int channel, int note, int velocity, int duration) {
  MidiEvent ev = NoteOnEvent(delta, channel, note, velocity);
  ev.kind = MidiKind::Note;
  ev.duration = duration;
  return ev;
}

MidiEvent ControlEvent(int delta, int channel, int controller, int value) {
  MidiEvent ev;
  ev.kind = MidiKind::ControlChange;
  ev.delta = delta;
  ev.channel = channel;
  ev.subtype = controller;
  ev.value = value;
  return ev;
}

MidiEvent EndOfTrackEvent(int delta) {
  MidiEvent ev;
  ev.kind = MidiKind::Meta;
  ev.subtype = kMetaEndOfTrack;
  ev.delta = delta;
  return ev;
}

MidiEvent SysExEvent(int delta, std::string_view hex) {
  MidiEvent ev;
  ev.kind = MidiKind::SysEx;
  ev.delta = delta;
  ev.SetData(Hex(hex));
  return ev;
}

namespace {
const char* KindName(MidiKind k) {
  switch (k) {
    case MidiKind::None:
      return "None";
    case MidiKind::Note:
      return "Note";
    case MidiKind::NoteOff:
      return "Off";
    case MidiKind::NoteOn:
      return "On";
    case MidiKind::PolyPressure:
      return "Poly";
    case MidiKind::ControlChange:
      return "CC";
    case MidiKind::ProgramChange:
      return "PC";
    case MidiKind::ChannelPressure:
      return "Pressure";
    case MidiKind::PitchBend:
      return "Bend";
    case MidiKind::SysEx:
      return "SysEx";
    case MidiKind::SysExEscape:
      return "Escape";
    case MidiKind::Meta:
      return "Meta";
  }
  return "?";
}
}  // namespace

std::vector<std::string> Describe(const MidiTrackData& track) {
  std::vector<std::string> out;
  int64_t t = 0;
  for (const MidiEvent& ev : track.Events()) {
    t += ev.delta;
    std::ostringstream s;
    s << "t=" << t << ' ' << KindName(ev.kind);
    switch (ev.kind) {
      case MidiKind::Note:
        s << " ch=" << ev.channel << " n=" << ev.note << " v=" << ev.velocity
          << " d=" << ev.duration;
        break;
      case MidiKind::NoteOn:
        s << " ch=" << ev.channel << " n=" << ev.note << " v=" << ev.velocity;
        break;
      case MidiKind::NoteOff:
        s << " ch=" << ev.channel << " n=" << ev.note;
        break;
      case MidiKind::Meta:
        s << " type=" << ev.subtype << " value=" << ev.value << " [" << ToHex(ev.Bytes()) << "]";
        break;
      case MidiKind::SysEx:
      case MidiKind::SysExEscape:
        s << " sub=" << ev.subtype << " [" << ToHex(ev.Bytes()) << "]";
        break;
      default:
        s << " ch=" << ev.channel << " n=" << ev.note << " sub=" << ev.subtype
          << " value=" << ev.value;
        break;
    }
    out.push_back(s.str());
  }
  return out;
}

bool HaveMidiCsv() { return access("/usr/bin/midicsv", X_OK) == 0; }

std::vector<std::string> MidiCsv(const std::string& path) {
  std::vector<std::string> lines;
  std::string command = "/usr/bin/midicsv '" + path + "' 2>/dev/null";
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return lines;
  std::string line;
  int c;
  while ((c = std::fgetc(pipe)) != EOF) {
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
      line.clear();
    } else {
      line += static_cast<char>(c);
    }
  }
  if (!line.empty()) lines.push_back(line);
  if (pclose(pipe) != 0) lines.clear();
  return lines;
}

}  // namespace crx::test
