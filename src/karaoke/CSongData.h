#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/ModuleReporter.h"
#include "karaoke/SongInfoLayout.h"

namespace crx {

// The song-information file shared with the karaoke-video maker: title,
// composer, lyricist and lyrics, and the maker's own per-beat chord and melody
// grid, which is carried over and tidied. Reads all five sizes of the file and
// writes the newest one (121,880 bytes).
class CSongData {
 public:
  static constexpr std::string_view kTag = "SGDT";
  static constexpr uint32_t kErrorNoBeats = 0x00000000;
  static constexpr std::string_view kDefaultMessage = "楽曲情報でエラーがおきました。";
  static constexpr std::string_view kTimeSignBox = "time sign 0";

  // One beat of the chord grid: the chords of its first and second half.
  struct ChordEntry {
    std::array<char, songinfo::kChordNameSize> first{};
    std::array<char, songinfo::kChordNameSize> second{};
  };
  // One half beat of the melody grid: three values (a note, or a negative
  // marker) and a text slot for each.
  struct MelodyEntry {
    std::array<int32_t, songinfo::kSubPositions> x{};
    std::array<std::array<char, songinfo::kSlotTextSize>, songinfo::kSubPositions> text{};
  };

  // Reads the file at path if it exists, else builds defaults from the given
  // numerator, key index and measures. The three values in force afterwards
  // are given back.
  CSongData(const std::string& path, int& numerator, int& keyIndex, int& measures);

  // The texts the video dialog sets (CP932). Title, composer and lyricist keep
  // at most 32 bytes, the lyrics at most 2,047; a double-byte character is
  // never cut in half.
  void SetTitle(std::string_view text);
  void SetComposer(std::string_view text);
  void SetLyricist(std::string_view text);
  void SetLyrics(std::string_view text);
  std::string Title() const;
  std::string Composer() const;
  std::string Lyricist() const;
  const std::string& Lyrics() const { return lyrics_; }

  // Tidies the grid and the texts and writes the 121,880-byte file to the
  // path (the path it was created with when empty). True when written.
  bool Write(int numerator, int keyIndex, const std::string& path = {}, int secondValue = 1);

  // The record Write would write now, without tidying first.
  std::vector<uint8_t> Record() const;

  int Measures() const { return measures_; }
  int BeatsPerMeasure() const { return beats_; }
  int SecondValue() const { return secondValue_; }
  int KeyIndex() const { return keyIndex_; }
  const std::string& KeyName() const { return keyName_; }
  int32_t Tempo() const { return TextBlockInt(songinfo::kTempo); }
  const std::string& Path() const { return path_; }
  // The file could not be read as it stands: it could not be opened, ended
  // early, or held a time signature that was refused and replaced by the
  // defaults (each after its message). Defaults built without a file are
  // not damaged, whatever the caller gave.
  bool Damaged() const { return damaged_ && fileRead_; }

  std::string FirstChord(size_t beat) const;
  std::string SecondChord(size_t beat) const;
  const MelodyEntry& Melody(size_t entry) const { return melody_.at(entry); }
  uint8_t BeatArrayA(size_t beat) const { return arrayA_.at(beat); }
  uint8_t BeatArrayB(size_t beat) const { return arrayB_.at(beat); }
  const std::string& ExtraText(size_t index) const { return extraTexts_.at(index); }
  void SetExtraText(size_t index, std::string_view text);

  // The key table's name for an index, followed by a blank unless it ends
  // with "m"; an index outside the table gives the name of index 0.
  static std::string KeyNameFor(int keyIndex);
  // Runs of blanks between other characters become one ASCII blank; blanks at
  // the start, before a line break and at the end are dropped.
  static std::string TidyLyricSpaces(std::string_view text);
  // Cuts trailing ASCII and full-width blanks; a text of blanks only keeps
  // its first character.
  static std::string CutTrailingSpaces(std::string_view text);
  // C9 -> Cadd9, Cm9 -> Cmadd9; a result that does not fit the 8-byte name
  // leaves the chord unchanged.
  static std::string RepairChord(std::string_view chord);

 private:
  void Load(std::span<const uint8_t> bytes, size_t fileSize);
  void BuildDefaults(int numerator, int keyIndex, int measures, int secondValue);
  void CheckTimeSignature();
  void ClearAll();
  void RepairTextBlock();
  void TakeOutExtraTexts();
  void RepairChords();
  void RepairBeatArrays();
  void TidyMarkersFirstPass();
  void TidyMarkersSecondPass();
  void CutTrailingSpacesOfTexts();
  std::vector<std::pair<size_t, size_t>> PackExtraTexts();

  // Beats and half beats of the song, limited to the grid.
  size_t SongBeats() const;
  size_t SongHalfBeats() const { return SongBeats() * 2; }
  bool IsMeasureStart(size_t beat) const;

  std::string TextField(songinfo::TextField field) const;
  void SetTextField(songinfo::TextField field, std::string_view text);
  int32_t TextBlockInt(size_t offset) const;
  void SetTextBlockInt(size_t offset, int32_t value);

  std::string path_;
  bool fileRead_ = false;
  bool damaged_ = false;
  std::vector<ChordEntry> chords_;
  std::vector<MelodyEntry> melody_;
  std::array<uint8_t, songinfo::kTextBlockSize> textBlock_{};
  int32_t measures_ = 0;
  int16_t beats_ = 0;
  int16_t secondValue_ = 0;
  int32_t keyIndex_ = 0;
  std::string keyName_;
  std::string lyrics_;
  std::array<uint8_t, songinfo::kBeatEntries> arrayA_{};
  std::array<uint8_t, songinfo::kBeatEntries> arrayB_{};
  std::vector<uint8_t> carried_;  // the three trailing blocks, in file order
  std::array<std::string, songinfo::kExtraTexts> extraTexts_;
};

}  // namespace crx
