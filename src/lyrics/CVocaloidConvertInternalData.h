#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "lyrics/CSyllableTable.h"

namespace crx {

class CVocaloid;
class MidiTrackData;

// Limits of one conversion.
inline constexpr int kMaxMelodyNotes = 2048;       // sung notes, the end entry included
inline constexpr int kMaxSyllablesPerNote = 2048;  // syllable entries of one note
inline constexpr int kMaxReviewLines = 2048;
inline constexpr size_t kMaxReviewLineBytes = 1023;
// A review line longer than this is closed before the next note's syllables.
inline constexpr size_t kReviewLineWrapBytes = 29;
// Length given to a syllable whose share of its note is 0 or 1 tick.
inline constexpr int32_t kShortSyllableLength = 10;

// The messages shown when a song exceeds a limit; the conversion goes on
// without what did not fit.
inline constexpr const char* kTooManyNotesMessage =
    "メロディの音符が多すぎます。2048個を超えた音符は歌いません。";
inline constexpr const char* kTooManySyllablesMessage =
    "1つの音符の音節が多すぎます。2048個を超えた音節は歌いません。";
inline constexpr const char* kTooManyRecordsMessage =
    "音節の数が多すぎます。2048個を超えた音節は歌いません。";
inline constexpr const char* kTooManyReviewLinesMessage =
    "確認用の歌詞の行が多すぎます。2048行を超えた行は表示しません。";
inline constexpr const char* kReviewLineTooLongMessage =
    "確認用の歌詞の行が長すぎます。1023バイトを超えた部分は表示しません。";

// A lyric at a melody note that holds a syllable the split cannot sing (a
// kanji, Latin letter or symbol without a reading); it is sung as "a".
struct UnsungLyric {
  int32_t tick = 0;  // the note's absolute tick
  std::string text;  // CP932: the whole lyric of the note
  bool operator==(const UnsungLyric&) const = default;
};

// In a review line, a syllable that cannot be sung stands between these.
inline constexpr const char* kUnsungOpenUtf8 = "【";
inline constexpr const char* kUnsungCloseUtf8 = "】";

// One sung melody note with its syllables (the end entry has note number -1).
struct NoteSyllables {
  int32_t noteNumber = 0;
  int32_t length = 0;
  int32_t startTick = 0;
  std::vector<SyllableEntry> entries;
};

// The syllable collection of a conversion: every melody note's syllables,
// the end entry, and the short lines the review dialog lists. The review
// lines are the caller's list; it is appended to.
class CVocaloidConvertInternalData {
 public:
  explicit CVocaloidConvertInternalData(std::vector<std::string>& reviewLines);

  // Walks the main track: each note of the melody channel gets the syllables
  // of its lyric (none without a lyric track); the end-of-track event, or the
  // end of a track that lacks one, gives the end entry. The current review
  // line is added at the end.
  void Collect(const MidiTrackData& mainTrack, const MidiTrackData* lyricTrack, int melodyChannel,
               bool singleByteOnly);

  // One melody note with its lyric (as the lookup at the note gives it).
  void AddNote(std::string_view lyric, bool lineBreak, int32_t noteNumber, int32_t length,
               int32_t startTick, bool singleByteOnly);
  // The end entry: "あ", "a", 64, note number -1, length 0.
  void AddEnd(int32_t tick);
  // Adds a non-empty current review line.
  void FinishReviewLines();

  // Divides every note among its syllables and appends the records to the
  // holder, keeping the last place for the end record.
  void FillVocaloid(CVocaloid& vocaloid);

  const std::vector<NoteSyllables>& Notes() const { return notes_; }
  const std::string& CurrentReviewLine() const { return currentLine_; }
  // The lyrics with a syllable that cannot be sung, in note order (none in
  // a song of single-byte lyrics only).
  const std::vector<UnsungLyric>& Unsung() const { return unsung_; }
  // The song went past a limit of the sung notes or syllables, so that some
  // were left out (each limit's message was reported once).
  bool LimitHit() const { return notesWarned_ || syllablesWarned_ || recordsWarned_; }

 private:
  void CloseReviewLine();
  void AppendToReviewLine(std::string_view text);
  void WarnOnce(bool& shown, const char* message);

  std::vector<std::string>& reviewLines_;
  std::vector<NoteSyllables> notes_;
  std::string currentLine_;
  std::vector<UnsungLyric> unsung_;
  bool endAdded_ = false;
  bool notesWarned_ = false;
  bool syllablesWarned_ = false;
  bool recordsWarned_ = false;
  bool linesWarned_ = false;
  bool lineLengthWarned_ = false;
};

}  // namespace crx
