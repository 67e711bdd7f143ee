#include "lyrics/CVocaloidConvert.h"
#include "foundation/Diagnostics.h"

#include <optional>

#include "karaoke/XfKaraokeData.h"
#include "lyrics/CImeLanguage.h"
#include "lyrics/CVocaloid.h"
#include "lyrics/CVocaloidConvertDictionary.h"
#include "lyrics/CVocaloidConvertDigit.h"
#include "lyrics/CVocaloidConvertEnglish.h"
#include "lyrics/CVocaloidConvertInternalData.h"
#include "lyrics/CVocaloidConvertLongVowel.h"
#include "lyrics/CVocaloidConvertPhonetic.h"
#include "lyrics/CVocaloidConvertRemoveChar.h"
#include "lyrics/Cp932Text.h"
#include "lyrics/LineReading.h"
#include "lyrics/LyricEvent.h"
#include "lyrics/LyricTrackPreparer.h"
#include "midi/MidiTrackData.h"

namespace crx {
namespace {

constexpr char kLineBreakMark = '/';
constexpr char kPageMark = '<';
constexpr char kAfterPageMark = '>';
constexpr char kSpace = ' ';
// A cut lyric keeps at least this many bytes: one double-byte character.
constexpr size_t kKeptLyricBytes = 2;
// A lyric shorter than this is not shared with the notes after it.
constexpr size_t kSharedLyricMinBytes = 4;

struct Marks {
  std::string intro = Cp932Text::FromUtf8("イントロ");
  std::string ending = Cp932Text::FromUtf8("エンディング");
  std::string wideSpace = Cp932Text::FromUtf8("　");
};

const Marks& GetMarks() {
  static const Marks marks;
  return marks;
}

bool IsLyric(const MidiEvent& event) { return event.IsMeta(kMetaLyric); }

std::string LyricText(const MidiEvent& event) {
  return std::string(Cp932Text::UpToZero(event.Text()));
}

// Where a lyric is cut when it is shared with the next note: after its first
// characters, at least two bytes, never inside a double-byte character.
size_t SharedLyricCut(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size() && pos < kKeptLyricBytes) pos += Cp932Text::CharLength(text, pos);
  return pos;
}

// A double-byte character that is no kana: the reading passes will read it.
bool NeedsReading(std::string_view text) {
  for (size_t pos = 0; pos < text.size();) {
    const size_t len = Cp932Text::CharLength(text, pos);
    if (len == 2 && !LineReading::IsKana(text.substr(pos, len))) return true;
    pos += len;
  }
  return false;
}

// The bytes of the first mora of a read lyric: a character with the small
// kana after it (きょ, not き and ょ).
size_t FirstMora(std::string_view text) {
  size_t pos = Cp932Text::CharLength(text, 0);
  while (pos < text.size()) {
    const size_t len = Cp932Text::CharLength(text, pos);
    if (MelodyReadings::Morae(text.substr(pos, len)) != 0) break;
    pos += len;
  }
  return pos;
}

// The ticks of the lyrics that start a page, before their marks go.
std::vector<int64_t> PageTicks(const MidiTrackData* lyrics) {
  std::vector<int64_t> ticks;
  if (lyrics == nullptr) return ticks;
  int64_t tick = 0;
  for (const MidiEvent& event : lyrics->Events()) {
    tick += event.delta;
    if (!IsLyric(event)) continue;
    const std::string text = LyricText(event);
    if (!text.empty() && text[0] == kPageMark) ticks.push_back(tick);
  }
  return ticks;
}

}  // namespace

std::string CVocaloidConvert::RemoveSpaces(std::string_view text) {
  const std::string& wide = GetMarks().wideSpace;
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t len = Cp932Text::CharLength(text, pos);
    const std::string_view ch = text.substr(pos, len);
    if (!(len == 1 && ch[0] == kSpace) && ch != wide) out.append(ch);
    pos += len;
  }
  return out;
}

void LyricCursor::Seek(const MidiTrackData& lyricTrack, int64_t at) {
  if (at < tick) *this = LyricCursor{};
  tick = at;
  const int count = lyricTrack.Count();
  while (index < count) {
    const int64_t time = timeBefore + lyricTrack.Event(index).delta;
    if (time >= at) break;
    timeBefore = time;
    ++index;
  }
}

NoteLyric CVocaloidConvert::LyricAtTick(const MidiTrackData& lyricTrack, int64_t tick) {
  LyricCursor cursor;
  return LyricAtTick(lyricTrack, tick, cursor);
}

NoteLyric CVocaloidConvert::LyricAtTick(const MidiTrackData& lyricTrack, int64_t tick,
                                        LyricCursor& cursor) {
  const Marks& marks = GetMarks();
  NoteLyric result;
  // The events the cursor passed lie before the tick: none of them is at it.
  cursor.Seek(lyricTrack, tick);
  int64_t time = cursor.timeBefore;
  bool found = false;
  std::string text;
  const int count = lyricTrack.Count();
  for (int i = cursor.index; i < count; ++i) {
    const MidiEvent& event = lyricTrack.Event(i);
    time += event.delta;
    if (time > tick) break;
    if (time != tick || !IsLyric(event)) continue;
    if (result.firstIndex < 0) result.firstIndex = i;
    text = LyricText(event);
    if (!text.empty() && (text[0] == kPageMark || text[0] == kAfterPageMark)) text.erase(0, 1);
    if (text == marks.intro || text == marks.ending) continue;
    if (text.size() == 1 && text[0] == kLineBreakMark) {
      result.lineBreak = true;
      continue;
    }
    found = true;
    break;
  }
  if (!found) return result;
  // A line-break mark is never sung: one in front of the lyric breaks the
  // line before it, one elsewhere is dropped.
  if (!text.empty() && text[0] == kLineBreakMark) result.lineBreak = true;
  std::erase(text, kLineBreakMark);
  result.text = RemoveSpaces(text);
  return result;
}

void CVocaloidConvert::InsertNoteLyrics(const MidiTrackData& mainTrack, MidiTrackData& lyricTrack,
                                        int melodyChannel) {
  InsertNoteLyrics(mainTrack, lyricTrack, melodyChannel, Sharing::Characters);
}

void CVocaloidConvert::InsertNoteLyrics(const MidiTrackData& mainTrack, MidiTrackData& lyricTrack,
                                        int melodyChannel, Sharing sharing) {
  int64_t tick = 0;
  // Insertions happen at the note's tick, after every event the cursor
  // passed, so it stays valid for the notes after.
  LyricCursor cursor;
  for (const MidiEvent& note : mainTrack.Events()) {
    tick += note.delta;
    if (note.kind != MidiKind::Note || note.channel != melodyChannel) continue;

    // The first lyric-track event at the note's tick or later.
    cursor.Seek(lyricTrack, tick);
    int next = -1;
    int64_t time = cursor.timeBefore;
    if (cursor.index < lyricTrack.Count()) {
      next = cursor.index;
      time += lyricTrack.Event(next).delta;
    }
    if (next < 0) {
      // Every event lies before the note. The track's end-of-track event
      // stands for the note's tick: the last lyric is shared up to the end of
      // the melody, and the new lyric goes before the end of the track.
      const int last = lyricTrack.Count() - 1;
      if (last < 0 || !lyricTrack.Event(last).IsEndOfTrack()) return;
      next = last;
    } else if (time == tick) {
      continue;
    }
    if (next == 0) continue;

    int previous = next - 1;
    if (!IsLyric(lyricTrack.Event(previous))) continue;
    std::string text = LyricText(lyricTrack.Event(previous));
    if (text.size() == 1 && text[0] == kLineBreakMark) {
      if (previous == 0) continue;
      --previous;
      if (!IsLyric(lyricTrack.Event(previous))) continue;
      text = LyricText(lyricTrack.Event(previous));
    }
    if (text.size() < kSharedLyricMinBytes) continue;
    if (sharing == Sharing::Written && NeedsReading(text)) continue;
    const size_t cut = sharing == Sharing::Morae ? FirstMora(text) : SharedLyricCut(text);
    if (cut >= text.size()) continue;
    // A lyric may have grown beyond the usual event size while a reading was
    // spread over it.
    constexpr size_t kMaxBytes = CVocaloidConvertDictionary::kMaxSpreadEventBytes;
    LyricEvent::RewriteLong(lyricTrack.Event(previous), std::string_view(text).substr(0, cut),
                            kMaxBytes);
    MidiEvent rest;
    rest.kind = MidiKind::Meta;
    rest.subtype = kMetaLyric;
    LyricEvent::RewriteLong(rest, std::string_view(text).substr(cut), kMaxBytes);
    lyricTrack.InsertAt(std::move(rest), tick);
  }
}

ConvertResult CVocaloidConvert::Run(XfKaraokeData& song, CVocaloid& vocaloid, int melodyChannel,
                                    const std::string& dictionaryFolder,
                                    std::vector<std::string>& reviewLines) {
  return Run(song, vocaloid, melodyChannel, dictionaryFolder, reviewLines, ConvertOptions{});
}

ConvertResult CVocaloidConvert::Run(XfKaraokeData& song, CVocaloid& vocaloid, int melodyChannel,
                                    const std::string& dictionaryFolder,
                                    std::vector<std::string>& reviewLines,
                                    const ConvertOptions& options,
                                    std::vector<UnsungLyric>* unsung) {
  ConvertResult result;
  vocaloid.Clear();
  vocaloid.SetMelodyChannel(melodyChannel);
  if (song.Division() != kVocalDivision) {
    ReportPlain(kDivisionWarningMessage);
  }

  // Real karaoke files first become what the passes read (nothing happens
  // to a track that already is).
  LyricTrackPreparer::Prepare(song, melodyChannel);
  song.StripRuby();
  PhoneticOptions phonetic;
  phonetic.particlesAsSung = options.particlesAsSung;
  phonetic.pageTicks = PageTicks(song.LyricTrack());
  CVocaloidConvertRemoveChar(song, kSpace, GetMarks().wideSpace);
  CVocaloidConvertRemoveChar(song, kPageMark);
  CVocaloidConvertDigit{song};
  {
    const CVocaloidConvertDictionary dictionary(song, melodyChannel, dictionaryFolder);
    phonetic.dictionaryReadings = dictionary.Replaced();
    result.candidatesCut = dictionary.CandidatesCut();
  }
  // A lyric still to be read is shared with the notes after it once it is
  // read, by its morae: 光 over three notes sings ひ, か, り.
  if (MidiTrackData* lyrics = song.LyricTrack()) {
    InsertNoteLyrics(song.Track(), *lyrics, melodyChannel, Sharing::Written);
  }
  CVocaloidConvertLongVowel{song};
  const bool singleByteOnly = song.IsSingleByteLyrics() == 1;
  std::optional<MelodyReadings> melody;
  if (!singleByteOnly && options.readingsByMelody && song.LyricTrack() != nullptr) {
    const MidiTrackData& lyrics = *song.LyricTrack();
    melody.emplace(MelodyReadings::NotesPerLyric(song.Track(), lyrics, melodyChannel),
                   lyrics.AbsoluteTimes());
    phonetic.melody = &*melody;
  }
  if (!singleByteOnly) {
    CVocaloidConvertPhonetic(song, phonetic);
    CVocaloidConvertEnglish(song, dictionaryFolder);
    // Nothing is left unsung by accident: what still cannot be sung is read
    // once more, as a word of its own.
    if (CVocaloidConvertPhonetic::HasUnsingable(song)) {
      CImeLanguage ime;
      CVocaloidConvertPhonetic::ReadLoneWords(song, ime);
    }
  }

  if (melody && options.melodyChoices != nullptr) *options.melodyChoices = melody->Choices();
  if (MidiTrackData* lyrics = song.LyricTrack(); lyrics != nullptr && !singleByteOnly) {
    InsertNoteLyrics(song.Track(), *lyrics, melodyChannel, Sharing::Morae);
  }

  CVocaloidConvertInternalData data(reviewLines);
  data.Collect(song.Track(), song.LyricTrack(), melodyChannel, singleByteOnly);
  data.FillVocaloid(vocaloid);
  if (unsung != nullptr) *unsung = data.Unsung();
  if (vocaloid.Count() <= 1) ReportPlain(kNothingToSingMessage);
  result.limitHit = data.LimitHit();
  return result;
}

}  // namespace crx
