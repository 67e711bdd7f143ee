#include "lyrics/CVocaloidConvertInternalData.h"
#include "foundation/Diagnostics.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "lyrics/CVocaloid.h"
#include "lyrics/CVocaloidConvert.h"
#include "lyrics/Cp932Text.h"
#include "midi/MidiTrackData.h"

namespace crx {
namespace {

// The end entry: "あ" in CP932, sung as "a".
constexpr const char* kEndSyllable = "\x82\xa0";
constexpr const char* kEndPhonetic = "a";

int32_t ClampToInt32(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

}  // namespace

CVocaloidConvertInternalData::CVocaloidConvertInternalData(std::vector<std::string>& reviewLines)
    : reviewLines_(reviewLines) {}

void CVocaloidConvertInternalData::WarnOnce(bool& shown, const char* message) {
  if (shown) return;
  shown = true;
  ReportPlain(message);
}

void CVocaloidConvertInternalData::CloseReviewLine() {
  if (static_cast<int>(reviewLines_.size()) >= kMaxReviewLines) {
    WarnOnce(linesWarned_, kTooManyReviewLinesMessage);
  } else {
    reviewLines_.push_back(currentLine_);
  }
  currentLine_.clear();
}

void CVocaloidConvertInternalData::AppendToReviewLine(std::string_view text) {
  // Syllables are whole characters: a syllable that does not fit is left out
  // whole.
  if (currentLine_.size() + text.size() > kMaxReviewLineBytes) {
    WarnOnce(lineLengthWarned_, kReviewLineTooLongMessage);
    return;
  }
  currentLine_.append(text);
}

void CVocaloidConvertInternalData::AddNote(std::string_view lyric, bool lineBreak,
                                           int32_t noteNumber, int32_t length, int32_t startTick,
                                           bool singleByteOnly) {
  if (lineBreak && !currentLine_.empty()) CloseReviewLine();
  if (currentLine_.size() > kReviewLineWrapBytes) CloseReviewLine();

  std::vector<SyllableEntry> entries = CSyllableTable::Split(lyric, singleByteOnly);
  if (entries.empty()) return;  // not sung
  if (static_cast<int>(notes_.size()) >= kMaxMelodyNotes - 1) {
    // The last place belongs to the end entry.
    WarnOnce(notesWarned_, kTooManyNotesMessage);
    return;
  }
  if (entries.size() > static_cast<size_t>(kMaxSyllablesPerNote)) {
    WarnOnce(syllablesWarned_, kTooManySyllablesMessage);
    entries.resize(static_cast<size_t>(kMaxSyllablesPerNote));
  }
  bool unsung = false;
  for (const SyllableEntry& e : entries) {
    if (singleByteOnly || CSyllableTable::IsSingable(e.text)) {
      AppendToReviewLine(e.text);
      continue;
    }
    static const std::string open = Cp932Text::FromUtf8(kUnsungOpenUtf8);
    static const std::string close = Cp932Text::FromUtf8(kUnsungCloseUtf8);
    AppendToReviewLine(open + e.text + close);
    unsung = true;
  }
  if (unsung) unsung_.push_back(UnsungLyric{startTick, std::string(lyric)});
  notes_.push_back(NoteSyllables{noteNumber, length, startTick, std::move(entries)});
}

void CVocaloidConvertInternalData::AddEnd(int32_t tick) {
  if (endAdded_) return;
  endAdded_ = true;
  notes_.push_back(NoteSyllables{
      kEndNoteNumber, 0, tick, {SyllableEntry{kEndSyllable, kEndPhonetic, kConsonantValue}}});
}

void CVocaloidConvertInternalData::Collect(const MidiTrackData& mainTrack,
                                           const MidiTrackData* lyricTrack, int melodyChannel,
                                           bool singleByteOnly) {
  int64_t tick = 0;
  LyricCursor cursor;
  for (const MidiEvent& event : mainTrack.Events()) {
    tick += event.delta;
    if (event.IsEndOfTrack()) {
      AddEnd(ClampToInt32(tick));
      break;
    }
    if (event.kind != MidiKind::Note || event.channel != melodyChannel) continue;
    if (lyricTrack == nullptr) {
      AddNote({}, false, event.note, event.duration, ClampToInt32(tick), singleByteOnly);
      continue;
    }
    NoteLyric lyric = CVocaloidConvert::LyricAtTick(*lyricTrack, tick, cursor);
    AddNote(lyric.text, lyric.lineBreak, event.note, event.duration, ClampToInt32(tick),
            singleByteOnly);
  }
  // The end record is always the last one, also for a track without an end.
  AddEnd(ClampToInt32(tick));
  FinishReviewLines();
}

void CVocaloidConvertInternalData::FinishReviewLines() {
  if (!currentLine_.empty()) CloseReviewLine();
}

void CVocaloidConvertInternalData::FillVocaloid(CVocaloid& vocaloid) {
  for (const NoteSyllables& note : notes_) {
    const int32_t n = static_cast<int32_t>(note.entries.size());
    if (n == 0) continue;
    const int32_t share = std::max<int32_t>(note.length, 0) / n;
    const int32_t length = share <= 1 ? kShortSyllableLength : share - 1;
    const bool isEnd = note.noteNumber == kEndNoteNumber;
    for (int32_t k = 0; k < n; ++k) {
      // Keep the last place of the holder for the end record.
      if (!isEnd && vocaloid.Count() >= CVocaloid::Capacity() - 1) {
        WarnOnce(recordsWarned_, kTooManyRecordsMessage);
        break;
      }
      const SyllableEntry& e = note.entries[static_cast<size_t>(k)];
      const int64_t start = static_cast<int64_t>(note.startTick) + static_cast<int64_t>(k) * share;
      vocaloid.Add(
          VocalNote{ClampToInt32(start), note.noteNumber, length, e.text, e.phonetic, e.consonant});
    }
  }
}

}  // namespace crx
