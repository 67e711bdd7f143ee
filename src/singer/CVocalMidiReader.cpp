#include "singer/CVocalMidiReader.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "foundation/FileHelpers.h"
#include "midi/MidiChunkReader.h"
#include "midi/MidiHeader.h"
#include "midi/MidiTrackData.h"
#include "singer/CSequenceText.h"

namespace crx {
namespace {

constexpr std::string_view kTextPrefix = "DM:";
constexpr const char* kNotVocalMidi = "not a vocal MIDI file: ";

// "DM:nnnn:payload" into its number and payload.
bool SplitTextEvent(std::string_view text, long& number, std::string_view& payload) {
  if (text.rfind(kTextPrefix, 0) != 0) return false;
  text.remove_prefix(kTextPrefix.size());
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos || colon == 0) return false;
  auto [end, ec] = std::from_chars(text.data(), text.data() + colon, number);
  if (ec != std::errc() || end != text.data() + colon || number < 0) return false;
  payload = text.substr(colon + 1);
  return true;
}

}  // namespace

std::string CVocalMidiReader::JoinText(std::span<const std::string> payloads, std::string& error) {
  std::vector<std::pair<long, std::string_view>> parts;
  for (const std::string& p : payloads) {
    long number = 0;
    std::string_view payload;
    if (SplitTextEvent(p, number, payload)) parts.emplace_back(number, payload);
  }
  if (parts.empty()) {
    error = "no sequence text (\"DM:\" text events) in the voice track";
    return {};
  }
  std::stable_sort(parts.begin(), parts.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::string text;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (parts[i].first != static_cast<long>(i)) {
      error = "the sequence text is cut short: text event " + std::to_string(i) + " is missing";
      return {};
    }
    text.append(parts[i].second);
  }
  return text;
}

CVocalMidiReader::Result CVocalMidiReader::FromBytes(std::span<const uint8_t> bytes) {
  Result result;
  const std::optional<MidiHeader> header = MidiHeader::Read(bytes);
  if (!header || header->Offset() != 0 || !header->Complete() || header->End() > bytes.size()) {
    result.error = "it has no MIDI header";
    return result;
  }
  if (*header->Format() > 1 || !header->HasMetricalDivision()) {
    result.error = "its MIDI header is not a format 0 or 1 file with ticks per quarter note";
    return result;
  }
  SingerSequence& seq = result.sequence;
  seq.division = *header->Division();

  std::vector<std::string> texts;
  std::vector<TempoChange> tempos;
  bool textTrackSeen = false;
  // The tracks are one reading, as the library reads a file it wrote.
  MidiParseState reading;
  MidiChunkReader chunks(bytes, header->End());
  while (std::optional<MidiChunkReader::Chunk> chunk = chunks.Next()) {
    if (chunk->Cut()) {
      result.error = "a track is cut short";
      return result;
    }
    if (chunk->id != kTrackChunkId) continue;
    // Room for the chunk and for an event per two of its bytes, the shortest
    // an event can be.
    const size_t capacity = 2 * chunk->Size();
    std::unique_ptr<MidiTrackData> track =
        MidiTrackData::FromChunk(bytes, bytes.size(), chunk->offset, capacity, reading);
    int64_t tick = 0;
    std::vector<std::string> trackTexts;
    for (const MidiEvent& e : track->Events()) {
      tick += e.delta;
      if (e.IsMeta(kMetaTempo)) tempos.push_back({tick, static_cast<int32_t>(e.value)});
      if (e.IsMeta(kMetaText) && e.Text().rfind(kTextPrefix, 0) == 0)
        trackTexts.push_back(e.Text());
    }
    // The first track that carries sequence text is the voice track.
    if (!textTrackSeen && !trackTexts.empty()) {
      texts = std::move(trackTexts);
      textTrackSeen = true;
    }
  }
  if (!textTrackSeen) {
    result.error = "no sequence text (\"DM:\" text events) in any track";
    return result;
  }
  const std::string text = JoinText(texts, result.error);
  if (!result.error.empty()) return result;

  CSequenceText::Result parsed = CSequenceText::Parse(text);
  if (!parsed.error.empty()) {
    result.error = parsed.error;
    return result;
  }
  seq.notes = std::move(parsed.notes);
  std::stable_sort(seq.notes.begin(), seq.notes.end(),
                   [](const SungNote& a, const SungNote& b) { return a.tick < b.tick; });
  int64_t lastEnd = 0;
  for (const SungNote& n : seq.notes) lastEnd = std::max(lastEnd, n.tick + n.length);
  seq.endTick = std::max(parsed.endTick, lastEnd);

  std::stable_sort(tempos.begin(), tempos.end(),
                   [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
  if (tempos.empty() || tempos.front().tick != 0) seq.tempos.push_back({0, kDefaultInitialTempo});
  for (const TempoChange& t : tempos) {
    if (t.microsecondsPerQuarter <= 0) continue;
    // Of several tempos at one tick the last holds.
    if (!seq.tempos.empty() && seq.tempos.back().tick == t.tick)
      seq.tempos.back() = t;
    else
      seq.tempos.push_back(t);
  }
  return result;
}

CVocalMidiReader::Result CVocalMidiReader::FromFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (!ReadFileLimited(path, bytes, kMaxFileSize + 1)) {
    Result r;
    r.error = "cannot read " + path;
    return r;
  }
  if (bytes.size() > kMaxFileSize) {
    Result r;
    r.error = std::string(kNotVocalMidi) + path + ": it is larger than 8 MB";
    return r;
  }
  Result r = FromBytes(bytes);
  if (!r.error.empty()) r.error = std::string(kNotVocalMidi) + path + ": " + r.error;
  return r;
}

}  // namespace crx
