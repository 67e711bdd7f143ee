#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace crx::test {

// Builds "song_info.lrd" files byte by byte in any of the stored layouts,
// chosen by the file size: 32,780 (8-byte chords, 12-byte melody entries),
// 81,932 (8-byte chords), 90,444 (with the text block), 92,492 (with the
// lyrics), 94,540 or more (the newest, 121,880 bytes in full). Any other size
// gets the newest layout cut or padded to that size. Numbers little-endian.
class SongInfoFileBuilder {
 public:
  explicit SongInfoFileBuilder(size_t size = 121880);

  SongInfoFileBuilder& Chord(size_t beat, std::string_view first, std::string_view second = {});
  SongInfoFileBuilder& Melody(size_t entry, int32_t x1, int32_t x2, int32_t x3);
  // The 8-byte text slot of a sub-position (0-2; only 0 in the oldest layout).
  SongInfoFileBuilder& Slot(size_t entry, size_t sub, std::string_view bytes);
  // Markers as the video maker writes them: -1 opening a measure, -2
  // elsewhere, then -2 and -3, for every melody entry.
  SongInfoFileBuilder& MarkerGrid(int beatsPerMeasure);
  // Texts each ended by a zero, packed into the slots of negative values.
  SongInfoFileBuilder& ExtraTexts(const std::vector<std::string>& texts);
  SongInfoFileBuilder& Header(int32_t measures, int16_t beats, int16_t secondValue,
                              int32_t keyIndex);
  // Header bytes written at the position without the text block's offset.
  SongInfoFileBuilder& HeaderAtGridEnd(int32_t measures, int16_t beats, int16_t secondValue,
                                       int32_t keyIndex);
  // Text block: a text or an int32 at an offset inside the 320 bytes.
  SongInfoFileBuilder& BlockText(size_t offset, std::string_view text);
  SongInfoFileBuilder& BlockInt(size_t offset, int32_t value);
  SongInfoFileBuilder& Lyrics(std::string_view cp932);
  SongInfoFileBuilder& ArrayA(size_t beat, uint8_t value);
  SongInfoFileBuilder& ArrayB(size_t beat, uint8_t value);
  // Any byte of the file (for the carried blocks).
  SongInfoFileBuilder& Byte(size_t offset, uint8_t value);

  const std::string& Bytes() const { return bytes_; }
  std::string WriteTo(const std::string& path) const;

  // Reading helpers for a written 121,880-byte file.
  static std::string ChordAt(const std::string& file, size_t beat, int half);
  static int32_t Int32At(const std::string& file, size_t offset);
  static int16_t Int16At(const std::string& file, size_t offset);
  static std::string TextAt(const std::string& file, size_t offset, size_t max);
  static int32_t MelodyValue(const std::string& file, size_t entry, size_t sub);
  static std::string SlotAt(const std::string& file, size_t entry, size_t sub);

 private:
  void Put(size_t offset, std::string_view bytes, size_t fieldSize);
  void PutI32(size_t offset, int32_t v);
  void PutI16(size_t offset, int16_t v);
  int32_t ValueAt(size_t entry, size_t sub) const;

  size_t chordSize_;
  size_t melodySize_;
  bool textBlock_;
  size_t melodyOffset_;
  size_t headerOffset_;
  size_t lyricsOffset_;
  size_t arraysOffset_;
  std::string bytes_;
};

}  // namespace crx::test
