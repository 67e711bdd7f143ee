#include "vocal/CVocalSequence.h"
#include "foundation/Diagnostics.h"

#include <array>
#include <charconv>

#include "lyrics/CSyllableTable.h"

namespace crx {
namespace {

constexpr const char* kNoteErrorMessage = "note error";
constexpr const char* kErrorNumMessage = "Error Num";

constexpr std::array<std::string_view, 18> kHeaderLines = {
    "[Common]",       "Version=DSB301", "Name=Voice1",  "Color=181,162,123", "DynamicsMode=1",
    "PlayMode=1",     "[Master]",       "PreMeasure=4", "[Mixer]",           "MasterFeder=0",
    "MasterPanpot=0", "MasterMute=0",   "OutputMode=0", "Tracks=1",          "Feder0=0",
    "Panpot0=0",      "Mute0=0",        "Solo0=0",
};

constexpr std::array<std::string_view, 8> kNoteFixedLines = {
    "Type=Anote",         "Dynamics=64",       "PMBendDepth=20", "PMBendLength=0",
    "PMbPortamentoUse=0", "DEMdecGainRate=50", "DEMaccent=50",   "VibratoDelay=160",
};

constexpr std::array<std::string_view, 9> kVibratoLines = {
    "IconID=$04040001", "IDS=normal",    "Original=1",   "Caption=[Normal] Type 1",
    "Length=320",       "StartDepth=64", "DepthBPNum=0", "StartRate=50",
    "RateBPNum=0",
};

// NRPN controllers: parameter number MSB and LSB, data entry MSB and LSB.
constexpr uint8_t kNrpnMsb = 99;
constexpr uint8_t kNrpnLsb = 98;
constexpr uint8_t kDataMsb = 6;
constexpr uint8_t kDataLsb = 38;

constexpr std::array<VocalControl, 26> kNoteTail = {{
    {kNrpnLsb, 0x4F}, {kDataMsb, 0x7F}, {kNrpnLsb, 0x50}, {kDataMsb, 0x0C}, {kNrpnLsb, 0x51},
    {kDataMsb, 0x08}, {kNrpnLsb, 0x52}, {kDataMsb, 0x14}, {kNrpnLsb, 0x53}, {kDataMsb, 0x1C},
    {kNrpnLsb, 0x54}, {kDataMsb, 0x18}, {kNrpnLsb, 0x55}, {kDataMsb, 0x0A}, {kNrpnLsb, 0x56},
    {kDataMsb, 0x0C}, {kNrpnLsb, 0x57}, {kDataMsb, 0x0C}, {kNrpnLsb, 0x58}, {kDataMsb, 0x00},
    {kNrpnLsb, 0x59}, {kDataMsb, 0x32}, {kNrpnLsb, 0x5A}, {kDataMsb, 0x32}, {kNrpnLsb, 0x7F},
    {kDataMsb, 0x7F},
}};

constexpr std::array<VocalControl, 6> kAfterNote = {{
    {kNrpnMsb, 0x65},
    {kNrpnLsb, 0x02},
    {kDataMsb, 0x40},
    {kNrpnMsb, 0x64},
    {kNrpnLsb, 0x02},
    {kDataMsb, 0x32},
}};

constexpr uint8_t kFirstSymbolParameter = 0x13;
constexpr uint8_t kSymbolMore = 0x40;
constexpr uint8_t kSymbolLast = 0x00;
// Controls of a note block besides the three per symbol character.
constexpr size_t kNoteBlockFixedCount = 52;

// Decimal text of a number, at least width digits (zero-padded).
void AppendNumber(std::string& out, long long value, int width = 0) {
  char digits[24];
  auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value < 0 ? -value : value);
  (void)ec;
  const int count = static_cast<int>(end - digits);
  if (value < 0) out.push_back('-');
  for (int i = count; i < width; ++i) out.push_back('0');
  out.append(digits, end);
}

// text, then the number, then the rest.
std::string Numbered(std::string_view text, long long value, int width = 0,
                     std::string_view rest = {}) {
  std::string out;
  out.reserve(text.size() + 12 + rest.size());
  out.append(text);
  AppendNumber(out, value, width);
  out.append(rest);
  return out;
}

// Ticks in the sequence: the record's start after the four lead-in measures.
long long SequenceTick(const VocalNote& note) {
  return static_cast<long long>(note.startTick) + CVocalSequence::kPreMeasureTicks;
}

std::string HandleLine(long long handle) { return Numbered("[h#", handle, 4, "]"); }

}  // namespace

int32_t CVocalSequence::FoldNote(int32_t note) {
  if (note > 127) return note - 12;
  if (note < 0) return note + 12;
  return note;
}

void CVocalSequence::ShortenOverlaps(std::span<VocalNote> notes) {
  for (size_t i = 0; i + 1 < notes.size(); ++i) {
    const long long end = static_cast<long long>(notes[i].startTick) + notes[i].length;
    if (notes[i + 1].startTick < end) notes[i].length = notes[i + 1].startTick - notes[i].startTick;
  }
}

std::vector<std::vector<std::string>> CVocalSequence::TextGroups(std::span<const VocalNote> notes,
                                                                 std::string_view singerName) {
  std::vector<std::vector<std::string>> groups;
  groups.reserve(3 + notes.size() * 3);

  groups.emplace_back(kHeaderLines.begin(), kHeaderLines.end());

  std::vector<std::string>& events = groups.emplace_back();
  events.reserve(notes.size() + 5);
  events.emplace_back("[EventList]");
  events.emplace_back("0=ID#0000");
  for (size_t i = 0; i < notes.size(); ++i) {
    const long long t = SequenceTick(notes[i]);
    std::string line = Numbered("", t);
    if (notes[i].noteNumber == kEndNoteNumber) {
      line += "=EOS";
    } else {
      line += "=ID#";
      AppendNumber(line, static_cast<long long>(i) + 1, 4);
    }
    events.push_back(std::move(line));
  }
  events.emplace_back("[ID#0000]");
  events.emplace_back("Type=Singer");
  events.emplace_back("IconHandle=h#0000");

  for (size_t i = 0; i + 1 < notes.size(); ++i) {
    const long long n = static_cast<long long>(i) + 1;
    std::vector<std::string>& id = groups.emplace_back();
    id.reserve(13);
    id.push_back(Numbered("[ID#", n, 4, "]"));
    id.push_back(Numbered("Length=", notes[i].length));
    id.push_back(Numbered("Note#=", FoldNote(notes[i].noteNumber)));
    id.push_back(Numbered("LyricHandle=h#", 2 * n - 1, 4));
    id.push_back(Numbered("VibratoHandle=h#", 2 * n, 4));
    id.insert(id.end(), kNoteFixedLines.begin(), kNoteFixedLines.end());
  }

  groups.push_back({"[h#0000]", "IconID=$07010000", "IDS=" + std::string(singerName), "Original=0",
                    "Caption=", "Length=1", "Language=0", "Program=0"});

  for (size_t i = 0; i < notes.size(); ++i) {
    const long long k = static_cast<long long>(i) + 1;
    std::string lyric = "L0=\"" + notes[i].lyric + "\",\"" + notes[i].phonetic + "\",1.000000," +
                        std::to_string(notes[i].consonant) + ",0,0";
    groups.push_back({HandleLine(2 * k - 1), std::move(lyric), HandleLine(2 * k)});
    groups.emplace_back(kVibratoLines.begin(), kVibratoLines.end());
  }
  return groups;
}

std::vector<std::string> CVocalSequence::PackTextEvents(
    const std::vector<std::vector<std::string>>& groups) {
  std::vector<std::string> events;
  std::string payload;
  // "DM:" and the counter in at least four digits, then ":".
  auto prefixSize = [&]() {
    size_t digits = 4;
    for (size_t n = events.size(); n >= 10000; n /= 10) ++digits;
    return 4 + digits;
  };
  auto emit = [&]() {
    std::string event = Numbered("DM:", static_cast<long long>(events.size()), 4, ":");
    event += payload;
    events.push_back(std::move(event));
    payload.clear();
  };
  for (const std::vector<std::string>& group : groups) {
    for (const std::string& line : group) {
      if (prefixSize() + payload.size() + line.size() + 1 > kMaxTextEventSize) emit();
      payload += line;
      payload += '\n';
    }
    emit();
  }
  return events;
}

std::vector<VocalControl> CVocalSequence::InitialControls(int32_t program) {
  const uint8_t value = static_cast<uint8_t>(program < 0 ? 0 : (program > 127 ? 127 : program));
  return {{kNrpnMsb, 0x60}, {kNrpnLsb, 0x00}, {kDataMsb, 0x00}, {kDataLsb, 0x00},
          {kNrpnLsb, 0x01}, {kDataMsb, 0x00}, {kDataLsb, 0x00}, {kNrpnLsb, 0x02},
          {kDataMsb, 0x00}, {kNrpnMsb, 0x53}, {kNrpnLsb, 0x02}, {kDataMsb, value}};
}

std::string CVocalSequence::SymbolCharacters(const VocalNote& note) {
  std::vector<SyllableEntry> syllables = CSyllableTable::Split(note.lyric, false);
  const std::string& symbol = syllables.empty() ? note.phonetic : syllables.front().phonetic;
  std::string out;
  for (char c : symbol) {
    if (c == ' ') continue;
    if (out.size() >= kMaxSymbolLength) break;
    out.push_back(c);
  }
  return out;
}

size_t CVocalSequence::NoteControlCount(size_t symbolLength) {
  return kNoteBlockFixedCount + 3 * symbolLength - (symbolLength == 3 ? 1 : 0);
}

std::vector<VocalControl> CVocalSequence::NoteControls(int32_t note, std::string_view symbol) {
  std::vector<VocalControl> c;
  c.reserve(NoteControlCount(symbol.size()));
  const uint8_t noteValue = static_cast<uint8_t>(note < 0 ? 0 : (note > 127 ? 127 : note));
  c.insert(c.end(),
           {{kNrpnMsb, 0x50},      {kNrpnLsb, 0x00},
            {kDataMsb, 0x00},      {kDataLsb, 0x00},
            {kNrpnLsb, 0x01},      {kDataMsb, 0x0F},
            {kDataLsb, 0x50},      {kNrpnLsb, 0x02},
            {kDataMsb, noteValue}, {kNrpnLsb, 0x03},
            {kDataMsb, 0x40},      {kNrpnLsb, 0x04},
            {kDataMsb, 0x03},      {kDataLsb, 0x74},
            {kNrpnLsb, 0x05},      {kDataMsb, 0x03},
            {kNrpnLsb, 0x0C},      {kDataMsb, 0x00},
            {kDataLsb, 0x00},      {kNrpnLsb, 0x0D},
            {kDataMsb, 0x01},      {kDataLsb, 0x55},
            {kNrpnLsb, 0x0E},      {kDataMsb, 0x2A},
            {kNrpnLsb, 0x12},      {kDataMsb, static_cast<uint8_t>(symbol.size() & 0x7F)}});
  for (size_t j = 0; j < symbol.size(); ++j) {
    c.push_back({kNrpnLsb, static_cast<uint8_t>(kFirstSymbolParameter + j)});
    c.push_back({kDataMsb, static_cast<uint8_t>(symbol[j] & 0x7F)});
    // A three-character symbol sends its middle character without a data LSB.
    if (symbol.size() == 3 && j == 1) continue;
    c.push_back({kDataLsb, j + 1 == symbol.size() ? kSymbolLast : kSymbolMore});
  }
  c.insert(c.end(), kNoteTail.begin(), kNoteTail.end());
  return c;
}

std::vector<VocalControl> CVocalSequence::TrailingControls() {
  return std::vector<VocalControl>(kAfterNote.begin(), kAfterNote.end());
}

std::vector<VocalControlBlock> CVocalSequence::ControlStream(std::span<const VocalNote> notes) {
  std::vector<VocalControlBlock> blocks;
  blocks.reserve(notes.size());
  long long sentTick = 0;
  for (size_t i = 0; i < notes.size(); ++i) {
    const VocalNote& record = notes[i];
    int32_t note = record.noteNumber;
    if (note == kEndNoteNumber) {
      if (i + 1 == notes.size()) break;
      ReportPlain(kNoteErrorMessage);
      note = kErrorNoteNumber;
    } else {
      note = FoldNote(note);
    }
    const std::string symbol = SymbolCharacters(record);
    VocalControlBlock& block = blocks.emplace_back();
    // Each block stands at its record's start tick. Records come in time
    // order; one that starts before the previous one is sent at the previous
    // one's time rather than with a negative delta.
    const long long delta = static_cast<long long>(record.startTick) - sentTick;
    block.delta = delta < 0 ? 0 : static_cast<int32_t>(delta);
    sentTick += block.delta;
    block.controls = NoteControls(note, symbol);
    if (block.controls.size() != NoteControlCount(symbol.size())) {
      ReportPlain(kErrorNumMessage);
    }
    block.controls.insert(block.controls.end(), kAfterNote.begin(), kAfterNote.end());
  }
  return blocks;
}

}  // namespace crx
