#include "support/karaoke/SongInfoFileBuilder.h"

#include <algorithm>
#include <cstring>

#include "support/platform/TempFolder.h"

namespace crx::test {
namespace {

constexpr size_t kBeats = 1024;
constexpr size_t kHalfBeats = 2048;
constexpr size_t kTextBlock = 320;
// The newest layout, for the reading helpers.
constexpr size_t kNewMelodyOffset = 16384;

uint32_t Le32(const std::string& s, size_t offset) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i) {
    v |= static_cast<uint32_t>(static_cast<uint8_t>(s.at(offset + i))) << (8 * i);
  }
  return v;
}

}  // namespace

SongInfoFileBuilder::SongInfoFileBuilder(size_t size) : bytes_(size, '\0') {
  const bool oldChords = size == 32780 || size == 81932;
  chordSize_ = oldChords ? 8 : 16;
  melodySize_ = size == 32780 ? 12 : 36;
  textBlock_ = !oldChords;
  melodyOffset_ = kBeats * chordSize_;
  headerOffset_ = melodyOffset_ + kHalfBeats * melodySize_ + (textBlock_ ? kTextBlock : 0);
  lyricsOffset_ = headerOffset_ + 12;
  arraysOffset_ = lyricsOffset_ + 2048;
}

void SongInfoFileBuilder::Put(size_t offset, std::string_view bytes, size_t fieldSize) {
  for (size_t i = 0; i < fieldSize; ++i) {
    if (offset + i >= bytes_.size()) return;
    bytes_[offset + i] = i < bytes.size() ? bytes[i] : '\0';
  }
}

void SongInfoFileBuilder::PutI32(size_t offset, int32_t v) {
  uint32_t u = static_cast<uint32_t>(v);
  std::string b;
  for (size_t i = 0; i < 4; ++i) b.push_back(static_cast<char>(u >> (8 * i)));
  Put(offset, b, 4);
}

void SongInfoFileBuilder::PutI16(size_t offset, int16_t v) {
  uint16_t u = static_cast<uint16_t>(v);
  std::string b{static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
  Put(offset, b, 2);
}

int32_t SongInfoFileBuilder::ValueAt(size_t entry, size_t sub) const {
  if (melodySize_ == 12)
    return sub == 0 ? static_cast<int32_t>(Le32(bytes_, melodyOffset_ + entry * 12))
                    : -2 - static_cast<int32_t>(sub - 1);
  return static_cast<int32_t>(Le32(bytes_, melodyOffset_ + entry * 36 + sub * 4));
}

SongInfoFileBuilder& SongInfoFileBuilder::Chord(size_t beat, std::string_view first,
                                                std::string_view second) {
  Put(beat * chordSize_, first, 8);
  if (chordSize_ == 16) Put(beat * chordSize_ + 8, second, 8);
  return *this;
}

SongInfoFileBuilder& SongInfoFileBuilder::Melody(size_t entry, int32_t x1, int32_t x2, int32_t x3) {
  size_t at = melodyOffset_ + entry * melodySize_;
  PutI32(at, x1);
  if (melodySize_ == 36) {
    PutI32(at + 4, x2);
    PutI32(at + 8, x3);
  }
  return *this;
}

SongInfoFileBuilder& SongInfoFileBuilder::Slot(size_t entry, size_t sub, std::string_view bytes) {
  size_t at = melodyOffset_ + entry * melodySize_ + (melodySize_ == 36 ? 12 + sub * 8 : 4);
  Put(at, bytes, 8);
  return *this;
}

SongInfoFileBuilder& SongInfoFileBuilder::MarkerGrid(int beatsPerMeasure) {
  for (size_t e = 0; e < kHalfBeats; ++e) {
    bool start = e % 2 == 0 && (e / 2) % static_cast<size_t>(beatsPerMeasure) == 0;
    Melody(e, start ? -1 : -2, -2, -3);
  }
  return *this;
}

SongInfoFileBuilder& SongInfoFileBuilder::ExtraTexts(const std::vector<std::string>& texts) {
  std::string stream;
  for (const std::string& t : texts) stream.append(t).push_back('\0');
  size_t pos = 0;
  size_t subs = melodySize_ == 36 ? 3 : 1;
  for (size_t e = 0; e < kHalfBeats && pos < stream.size(); ++e) {
    for (size_t s = 0; s < subs && pos < stream.size(); ++s) {
      if (ValueAt(e, s) >= 0) continue;
      Slot(e, s, std::string_view(stream).substr(pos, 8));
      pos += 8;
    }
  }
  return *this;
}

SongInfoFileBuilder& SongInfoFileBuilder::Header(int32_t measures, int16_t beats,
                                                 int16_t secondValue, int32_t keyIndex) {
  PutI32(headerOffset_, measures);
  PutI16(headerOffset_ + 4, beats);
  PutI16(headerOffset_ + 6, secondValue);
  PutI32(headerOffset_ + 8, keyIndex);
  return *this;
}

SongInfoFileBuilder& SongInfoFileBuilder::HeaderAtGridEnd(int32_t measures, int16_t beats,
                                                          int16_t secondValue, int32_t keyIndex) {
  size_t at = headerOffset_ - (textBlock_ ? kTextBlock : 0);
  PutI32(at, measures);
  PutI16(at + 4, beats);
  PutI16(at + 6, secondValue);
  PutI32(at + 8, keyIndex);
  return *this;
}

SongInfoFileBuilder& SongInfoFileBuilder::BlockText(size_t offset, std::string_view text) {
  Put(headerOffset_ - kTextBlock + offset, text, text.size() + 1);
  return *this;
}

SongInfoFileBuilder& SongInfoFileBuilder::BlockInt(size_t offset, int32_t value) {
  PutI32(headerOffset_ - kTextBlock + offset, value);
  return *this;
}

SongInfoFileBuilder& SongInfoFileBuilder::Lyrics(std::string_view cp932) {
  Put(lyricsOffset_, cp932, 2048);
  return *this;
}

SongInfoFileBuilder& SongInfoFileBuilder::ArrayA(size_t beat, uint8_t value) {
  return Byte(arraysOffset_ + beat, value);
}

SongInfoFileBuilder& SongInfoFileBuilder::ArrayB(size_t beat, uint8_t value) {
  return Byte(arraysOffset_ + kBeats + beat, value);
}

SongInfoFileBuilder& SongInfoFileBuilder::Byte(size_t offset, uint8_t value) {
  if (offset < bytes_.size()) bytes_[offset] = static_cast<char>(value);
  return *this;
}

std::string SongInfoFileBuilder::WriteTo(const std::string& path) const {
  WriteFileBytes(path, bytes_);
  return path;
}

std::string SongInfoFileBuilder::ChordAt(const std::string& file, size_t beat, int half) {
  return TextAt(file, beat * 16 + static_cast<size_t>(half) * 8, 8);
}

int32_t SongInfoFileBuilder::Int32At(const std::string& file, size_t offset) {
  return static_cast<int32_t>(Le32(file, offset));
}

int16_t SongInfoFileBuilder::Int16At(const std::string& file, size_t offset) {
  uint16_t v = static_cast<uint16_t>(static_cast<uint8_t>(file.at(offset)) |
                                     (static_cast<uint8_t>(file.at(offset + 1)) << 8));
  return static_cast<int16_t>(v);
}

std::string SongInfoFileBuilder::TextAt(const std::string& file, size_t offset, size_t max) {
  std::string field = file.substr(offset, max);
  return field.substr(0, field.find('\0'));
}

int32_t SongInfoFileBuilder::MelodyValue(const std::string& file, size_t entry, size_t sub) {
  return Int32At(file, kNewMelodyOffset + entry * 36 + sub * 4);
}

std::string SongInfoFileBuilder::SlotAt(const std::string& file, size_t entry, size_t sub) {
  return file.substr(kNewMelodyOffset + entry * 36 + 12 + sub * 8, 8);
}

}  // namespace crx::test
