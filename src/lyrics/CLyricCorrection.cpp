#include "lyrics/CLyricCorrection.h"

#include <algorithm>
#include <map>
#include <memory>
#include <span>
#include <utility>

#include "foundation/Diagnostics.h"
#include "karaoke/XfKaraokeData.h"
#include "lyrics/CSyllableTable.h"
#include "lyrics/CVocaloid.h"
#include "lyrics/CVocaloidConvert.h"
#include "lyrics/Cp932Text.h"
#include "lyrics/LyricEvent.h"
#include "lyrics/LyricLines.h"
#include "midi/MidiEvent.h"
#include "midi/MidiTrackData.h"

namespace crx {
namespace {

constexpr char kLineMark = '/';
constexpr char kPageMark = '<';
constexpr char kAfterPageMark = '>';
constexpr char kSpace = ' ';

const std::string& Cp932Of(const char* utf8Literal, std::string& cache) {
  if (cache.empty()) cache = Cp932Text::FromUtf8(utf8Literal);
  return cache;
}

const std::string& LongVowelMark() {
  static std::string mark;
  return Cp932Of("ー", mark);
}

bool HoldsParticle(std::string_view cp932) {
  static const std::string ha = Cp932Text::FromUtf8("は");
  static const std::string he = Cp932Text::FromUtf8("へ");
  for (size_t i = 0; i < cp932.size(); i += Cp932Text::CharLength(cp932, i)) {
    const std::string_view c = cp932.substr(i, Cp932Text::CharLength(cp932, i));
    if (c == ha || c == he) return true;
  }
  return false;
}

bool IsLeadingMark(char c) { return c == kLineMark || c == kPageMark || c == kAfterPageMark; }

// What the conversion left of a lyric, for the user to read: no marks, no
// spaces (single-byte characters only: a trail byte is never one of them).
std::string SungText(std::string_view cp932) {
  std::string out;
  for (size_t i = 0; i < cp932.size();) {
    const size_t len = Cp932Text::CharLength(cp932, i);
    const char c = cp932[i];
    if (len != 1 || (!IsLeadingMark(c) && c != kSpace)) out.append(cp932.substr(i, len));
    i += len;
  }
  return out;
}

std::unique_ptr<MidiTrackData> CopyOf(const MidiTrackData& track) {
  auto copy = std::make_unique<MidiTrackData>(track.Capacity());
  for (const MidiEvent& event : track.Events()) copy->Append(MidiEvent::CopyOf(&event));
  copy->SetForm(track.Form());
  return copy;
}

// The lyric texts of a track by their absolute tick, in track order.
std::multimap<int64_t, std::string> LyricsByTick(const MidiTrackData& track) {
  std::multimap<int64_t, std::string> lyrics;
  int64_t tick = 0;
  for (const MidiEvent& event : track.Events()) {
    tick += event.delta;
    if (LyricEvent::IsLyric(event)) lyrics.emplace(tick, LyricEvent::Text(event));
  }
  return lyrics;
}

}  // namespace

CLyricCorrection::CLyricCorrection(MidiTrackData& lyricTrack, bool particlesAsSung)
    : track_(lyricTrack), particlesAsSung_(particlesAsSung) {
  std::map<int, std::string> sung;
  if (particlesAsSung) {
    for (SungParticleLyric& p : LyricLines::SungParticles(lyricTrack)) {
      sung.emplace(p.event, std::move(p.text));
    }
  }
  std::span<const MidiEvent> events = std::as_const(lyricTrack).Events();
  for (size_t index = 0; index < events.size(); ++index) {
    if (!LyricEvent::IsLyric(events[index])) continue;
    std::string text = LyricEvent::Text(events[index]);
    if (!NeedsCorrection(text)) continue;
    LyricCorrectionItem item;
    item.event = static_cast<int>(index);
    SplitMarks(text, item.marksBefore, item.lyric, item.marksAfter);
    auto particles = sung.find(item.event);
    item.proposed = particles != sung.end() ? particles->second : text;
    std::string before, after;
    SplitMarks(item.proposed, before, item.reading, after);
    item.written = std::move(text);
    items_.push_back(std::move(item));
  }
}

void CLyricCorrection::SplitMarks(std::string_view cp932, std::string& before, std::string& lyric,
                                  std::string& after) {
  size_t start = 0;
  while (start < cp932.size() && IsLeadingMark(cp932[start])) ++start;
  // A trailing "/" is a mark only where it is a whole character.
  size_t end = cp932.size();
  for (size_t i = start; i < cp932.size();) {
    const size_t len = Cp932Text::CharLength(cp932, i);
    if (len != 1 || cp932[i] != kLineMark) end = i + len;
    i += len;
  }
  if (end < start) end = start;
  before = std::string(cp932.substr(0, start));
  lyric = std::string(cp932.substr(start, end - start));
  after = std::string(cp932.substr(end));
}

void CLyricCorrection::ProposeReadings(const XfKaraokeData& song, int melodyChannel,
                                       const std::string& dictionaryFolder) {
  if (items_.empty() || song.LyricTrack() == nullptr) return;
  // Built from the tracks, not read: an empty path would ask for a file.
  XfKaraokeData copy(std::span<const uint8_t>{}, song.Path());
  copy.Assemble(song.Kind(), song.Division(), CopyOf(song.MainTrack()), CopyOf(*song.LyricTrack()));
  // The copy's lyric track has the events of ours at the same indices.
  MidiTrackData& lyrics = *copy.LyricTrack();
  const std::vector<int64_t> ticks = std::as_const(track_).AbsoluteTimes();
  for (const LyricCorrectionItem& item : items_) {
    if (item.event < lyrics.Count()) LyricEvent::Rewrite(lyrics.Event(item.event), item.proposed);
  }
  {
    DiagnosticCollector dropped;
    CVocaloid vocaloid;
    std::vector<std::string> review;
    ConvertOptions options;
    options.particlesAsSung = particlesAsSung_;
    CVocaloidConvert::Run(copy, vocaloid, melodyChannel, dictionaryFolder, review, options);
  }
  const std::multimap<int64_t, std::string> sung = LyricsByTick(lyrics);
  // A lyric's reading is what the conversion left from its tick up to the
  // next lyric of ours: the conversion shares a word out over its notes.
  std::vector<int64_t> lyricTicks;
  std::span<const MidiEvent> events = std::as_const(track_).Events();
  for (size_t i = 0; i < events.size(); ++i) {
    if (LyricEvent::IsLyric(events[i])) lyricTicks.push_back(ticks[i]);
  }
  for (LyricCorrectionItem& item : items_) {
    const int64_t from = ticks[static_cast<size_t>(item.event)];
    auto next = std::upper_bound(lyricTicks.begin(), lyricTicks.end(), from);
    auto last = next == lyricTicks.end() ? sung.end() : sung.lower_bound(*next);
    std::string reading;
    for (auto it = sung.lower_bound(from); it != last; ++it) reading += SungText(it->second);
    if (!reading.empty()) item.reading = std::move(reading);
  }
}

std::string CLyricCorrection::ContextOf(size_t item) const {
  const LyricCorrectionItem& asked = items_.at(item);
  std::string context;
  std::span<const MidiEvent> events = std::as_const(track_).Events();
  for (int i = 0; i < asked.event && i < static_cast<int>(events.size()); ++i) {
    const MidiEvent& event = events[static_cast<size_t>(i)];
    if (!LyricEvent::IsLyric(event)) continue;
    context = std::string(Cp932Text::Tail(context + LyricEvent::Text(event), kContextBytes));
  }
  return context + asked.written;
}

void CLyricCorrection::Rewrite(size_t item, const std::string& text) {
  const LyricCorrectionItem& asked = items_.at(item);
  if (asked.event >= track_.Count()) return;
  MidiEvent& event = track_.Event(asked.event);
  // An unchanged lyric keeps its event's bytes as they are.
  if (text != LyricEvent::Text(event)) LyricEvent::Rewrite(event, text);
}

void CLyricCorrection::Apply(size_t item, std::string_view cp932Lyric) {
  const LyricCorrectionItem& asked = items_.at(item);
  if (cp932Lyric.empty()) return KeepWritten(item);
  Rewrite(item, asked.marksBefore + std::string(cp932Lyric) + asked.marksAfter);
}

void CLyricCorrection::AcceptProposal(size_t item) { Rewrite(item, items_.at(item).proposed); }

void CLyricCorrection::KeepWritten(size_t item) { Rewrite(item, items_.at(item).written); }

int CLyricCorrection::AcceptAll(MidiTrackData& lyricTrack, bool particlesAsSung) {
  CLyricCorrection correction(lyricTrack, particlesAsSung);
  for (size_t i = 0; i < correction.Items().size(); ++i) correction.AcceptProposal(i);
  return static_cast<int>(correction.Items().size());
}

int CLyricCorrection::AcceptAll(XfKaraokeData& song, bool particlesAsSung) {
  return song.LyricTrack() != nullptr ? AcceptAll(*song.LyricTrack(), particlesAsSung) : 0;
}

bool CLyricCorrection::IsPlainKana(std::string_view cp932) {
  for (size_t i = 0; i < cp932.size();) {
    const size_t len = Cp932Text::CharLength(cp932, i);
    const std::string_view c = cp932.substr(i, len);
    if (len != 2 || (!CSyllableTable::IsTableKana(c) && c != LongVowelMark())) return false;
    i += len;
  }
  return true;
}

bool CLyricCorrection::NeedsCorrection(std::string_view cp932) {
  std::string before, lyric, after;
  SplitMarks(cp932, before, lyric, after);
  if (lyric.empty()) return false;
  return !IsPlainKana(lyric) || HoldsParticle(lyric);
}

}  // namespace crx
