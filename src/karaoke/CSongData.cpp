#include "karaoke/CSongData.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "foundation/ByteReader.h"
#include "foundation/ByteWriter.h"
#include "foundation/Diagnostics.h"
#include "foundation/FileHelpers.h"
#include "platform/TextCodec.h"

namespace crx {
namespace {

using namespace songinfo;

constexpr ErrorEntry kSongErrors[] = {
    {CSongData::kErrorNoBeats, "楽曲情報でエラーがおきました。"},
};

ModuleReporter& Reporter() {
  static ModuleReporter reporter(CSongData::kTag, kSongErrors, CSongData::kDefaultMessage);
  return reporter;
}

bool IsLead(char c) { return TextCodec::IsCp932LeadByte(static_cast<unsigned char>(c)); }

// Length in bytes of the character starting at i (a lead byte at the very end
// counts alone).
size_t CharLength(std::string_view s, size_t i) { return IsLead(s[i]) && i + 1 < s.size() ? 2 : 1; }

bool IsSpaceAt(std::string_view s, size_t i, size_t len) {
  if (len == 1) return s[i] == ' ';
  return static_cast<unsigned char>(s[i]) == 0x81 && static_cast<unsigned char>(s[i + 1]) == 0x40;
}

// The longest prefix of at most max bytes that does not end inside a
// double-byte character.
std::string_view CutToBytes(std::string_view s, size_t max) {
  size_t end = 0;
  while (end < s.size()) {
    size_t len = CharLength(s, end);
    if (end + len > max) break;
    end += len;
  }
  return s.substr(0, end);
}

template <size_t N>
std::string NameText(const std::array<char, N>& name) {
  const char* end = std::find(name.begin(), name.end(), '\0');
  return std::string(name.data(), static_cast<size_t>(end - name.data()));
}

// Sets a fixed name field: the text (cut to the field less its terminator)
// and zeros after it.
template <size_t N>
void SetName(std::array<char, N>& name, std::string_view text) {
  name.fill('\0');
  std::memcpy(name.data(), text.data(), std::min(text.size(), N - 1));
}

template <size_t N>
std::span<const uint8_t> AsBytes(const std::array<char, N>& a) {
  return {reinterpret_cast<const uint8_t*>(a.data()), N};
}

// Copies a fixed field's bytes as they are.
template <size_t N>
void ReadName(ByteReader& r, std::array<char, N>& name) {
  std::span<const uint8_t> b;
  if (r.Bytes(N, b)) std::memcpy(name.data(), b.data(), N);
}

int32_t ReadI32(ByteReader& r) {
  uint32_t v = 0;
  r.U32LE(v);
  return static_cast<int32_t>(v);
}

int16_t ReadI16(ByteReader& r) {
  int16_t v = 0;
  r.I16LE(v);
  return v;
}

// Where the parts of one stored layout lie.
struct Layout {
  size_t chordEntrySize;
  size_t melodyEntrySize;
  bool textBlock;
  bool lyrics;
  bool beatArrays;
  bool carriedBlocks;

  size_t MelodyOffset() const { return kBeatEntries * chordEntrySize; }
  size_t TextBlockOffset() const { return MelodyOffset() + kMelodyEntries * melodyEntrySize; }
  size_t HeaderOffset() const { return TextBlockOffset() + (textBlock ? kTextBlockSize : 0); }
  size_t LyricsOffset() const { return HeaderOffset() + kHeaderSize; }
  size_t ArraysOffset() const { return LyricsOffset() + kLyricsSize; }
  size_t CarriedOffset() const { return ArraysOffset() + 2 * kBeatEntries; }
};

Layout LayoutForSize(size_t size) {
  if (size == kSizeOldest)
    return {kOldChordEntrySize, kOldMelodyEntrySize, false, false, false, false};
  if (size == kSizeOldGrid)
    return {kOldChordEntrySize, kMelodyEntrySize, false, false, false, false};
  if (size == kSizeWithTextBlock)
    return {kChordEntrySize, kMelodyEntrySize, true, false, false, false};
  if (size == kSizeWithLyrics) return {kChordEntrySize, kMelodyEntrySize, true, true, false, false};
  // 94,540 bytes and more, and every size none of the five: the newest
  // layout, read as far as the file goes.
  return {kChordEntrySize, kMelodyEntrySize, true, true, true, size >= kSizeWithCarriedBlocks};
}

}  // namespace

CSongData::CSongData(const std::string& path, int& numerator, int& keyIndex, int& measures)
    : path_(path) {
  ClearAll();
  if (FileExists(path)) {
    fileRead_ = true;
    size_t size = GetFileSize32(path);
    std::vector<uint8_t> bytes;
    // Nothing past the newest layout is used, so nothing more is read. A file
    // that cannot be read counts as zeros.
    const size_t wanted = std::min<size_t>(size, kFileSize);
    if (!ReadFileLimited(path, bytes, wanted) || bytes.size() != wanted) damaged_ = true;
    Load(bytes, size);
  } else {
    BuildDefaults(numerator, keyIndex, measures, 1);
  }
  CheckTimeSignature();
  numerator = beats_;
  keyIndex = keyIndex_;
  measures = measures_;
}

void CSongData::ClearAll() {
  chords_.assign(kBeatEntries, ChordEntry{});
  melody_.assign(kMelodyEntries, MelodyEntry{});
  textBlock_.fill(0);
  measures_ = 0;
  beats_ = 0;
  secondValue_ = 0;
  keyIndex_ = 0;
  keyName_.clear();
  lyrics_.clear();
  arrayA_.fill(0);
  arrayB_.fill(0);
  carried_.assign(kCarriedSize, 0);
  for (std::string& t : extraTexts_) t.clear();
}

void CSongData::Load(std::span<const uint8_t> bytes, size_t fileSize) {
  const Layout layout = LayoutForSize(fileSize);
  // Missing bytes count as zeros: read from a zero-filled copy of the newest
  // layout's size (no layout is longer).
  std::vector<uint8_t> image(kFileSize, 0);
  std::copy_n(bytes.begin(), std::min(bytes.size(), image.size()), image.begin());
  ByteReader r(image);

  for (size_t i = 0; i < kBeatEntries; ++i) {
    r.Seek(i * layout.chordEntrySize);
    ReadName(r, chords_[i].first);
    if (layout.chordEntrySize == kChordEntrySize) ReadName(r, chords_[i].second);
  }

  for (size_t i = 0; i < kMelodyEntries; ++i) {
    MelodyEntry& e = melody_[i];
    r.Seek(layout.MelodyOffset() + i * layout.melodyEntrySize);
    if (layout.melodyEntrySize == kOldMelodyEntrySize) {
      e.x = {ReadI32(r), kMarkerOther, kMarkerThird};
      ReadName(r, e.text[0]);
    } else {
      for (int32_t& v : e.x) v = ReadI32(r);
      for (auto& slot : e.text) ReadName(r, slot);
    }
  }

  if (layout.textBlock) {
    std::span<const uint8_t> block;
    r.Seek(layout.TextBlockOffset());
    if (r.Bytes(kTextBlockSize, block)) std::copy(block.begin(), block.end(), textBlock_.begin());
  }

  auto readHeader = [&](size_t offset) {
    r.Seek(offset + kHeaderMeasures);
    measures_ = ReadI32(r);
    beats_ = ReadI16(r);
    secondValue_ = ReadI16(r);
    keyIndex_ = ReadI32(r);
  };
  readHeader(layout.HeaderOffset());
  if (measures_ <= 0 && layout.textBlock) readHeader(layout.HeaderOffset() - kTextBlockSize);

  if (layout.lyrics) {
    std::string text;
    r.Seek(layout.LyricsOffset());
    r.Text(kLyricsSize, text);
    lyrics_ = TidyLyricSpaces(std::string_view(text).substr(0, text.find('\0')));
  }
  if (layout.beatArrays) {
    std::span<const uint8_t> a;
    std::span<const uint8_t> b;
    r.Seek(layout.ArraysOffset());
    if (r.Bytes(kBeatEntries, a)) std::copy(a.begin(), a.end(), arrayA_.begin());
    if (r.Bytes(kBeatEntries, b)) std::copy(b.begin(), b.end(), arrayB_.begin());
  }
  if (layout.carriedBlocks) {
    std::span<const uint8_t> c;
    r.Seek(layout.CarriedOffset());
    if (r.Bytes(kCarriedSize, c)) std::copy(c.begin(), c.end(), carried_.begin());
  }

  keyName_ = KeyNameFor(keyIndex_);
  RepairTextBlock();
  TakeOutExtraTexts();
  RepairChords();
  RepairBeatArrays();
}

void CSongData::RepairTextBlock() {
  if (static_cast<uint32_t>(TextBlockInt(kValue192)) == kFreedMemoryPattern) {
    SetTextBlockInt(kValue192, 0);
  }
  if (static_cast<uint32_t>(TextBlockInt(kValue196)) == kFreedMemoryPattern) {
    SetTextBlockInt(kValue196, 1);
  }
  if (textBlock_[kLyricist.offset] == kUnsetLyricistByte) SetTextField(kLyricist, "");
  int32_t tempo = TextBlockInt(kTempo);
  if (tempo < kMinTempo || tempo > kMaxTempo) SetTextBlockInt(kTempo, kRepairedTempo);
  int32_t v204 = TextBlockInt(kValue204);
  if (v204 < 0 || v204 > 127) SetTextBlockInt(kValue204, 0);
}

void CSongData::TakeOutExtraTexts() {
  size_t count = 0;
  std::string current;
  for (MelodyEntry& e : melody_) {
    for (size_t s = 0; s < kSubPositions && count < kExtraTexts; ++s) {
      if (e.x[s] >= 0) continue;
      for (char c : e.text[s]) {
        if (count == kExtraTexts) break;
        if (c == '\0') {
          extraTexts_[count++] = std::move(current);
          current.clear();
        } else if (current.size() < kExtraTextCapacity - 1) {
          current.push_back(c);
        }
      }
      e.text[s].fill('\0');
    }
    if (count == kExtraTexts) break;
  }
  // The grid ended inside a text: keep what there is of it.
  if (count < kExtraTexts) extraTexts_[count] = std::move(current);
  for (std::string& t : extraTexts_) {
    if (!t.empty()) {
      uint8_t first = static_cast<uint8_t>(t[0]);
      if (first == kUnsetTextByte1 || first == kUnsetTextByte2) t.clear();
    }
  }
}

std::string CSongData::RepairChord(std::string_view chord) {
  std::string out(chord);
  if (out.size() >= 2 && out[1] == '9') {
    out.replace(1, 1, "add9");
  } else if (out.size() >= 3 && out[2] == '9') {
    out.replace(2, 1, "add9");
  } else {
    return out;
  }
  // The name and its terminator must fit the 8-byte field.
  if (out.size() > kChordNameSize - 1) return std::string(chord);
  return out;
}

void CSongData::RepairChords() {
  const size_t beats = SongBeats();
  for (size_t i = 0; i < beats; ++i) {
    std::string name = NameText(chords_[i].first);
    std::string repaired = RepairChord(name);
    if (repaired != name) SetName(chords_[i].first, repaired);
  }
}

void CSongData::RepairBeatArrays() {
  const size_t beats = SongBeats();
  auto equalNonEmpty = [&](size_t i) {
    std::string a = NameText(chords_[i].first);
    return !a.empty() && a == NameText(chords_[i].second);
  };
  for (size_t i = 0; i + 1 < beats; ++i) {
    std::string first = NameText(chords_[i].first);
    std::string second = NameText(chords_[i].second);
    if (first != second && !second.empty()) continue;
    if (arrayA_[i] == arrayB_[i]) continue;
    if (arrayA_[i + 1] == arrayB_[i + 1] && equalNonEmpty(i + 1)) continue;
    arrayB_[i] = arrayA_[i];
  }
}

std::string CSongData::TidyLyricSpaces(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  bool pending = false;
  for (size_t i = 0; i < text.size();) {
    size_t len = CharLength(text, i);
    if (IsSpaceAt(text, i, len)) {
      pending = true;
    } else if (len == 1 && (text[i] == '\r' || text[i] == '\n')) {
      pending = false;
      out.push_back(text[i]);
    } else {
      if (pending && !out.empty()) out.push_back(' ');
      pending = false;
      out.append(text.substr(i, len));
    }
    i += len;
  }
  return out;
}

std::string CSongData::CutTrailingSpaces(std::string_view text) {
  size_t firstLen = 0;
  size_t end = 0;  // end of the last character that is not a blank
  for (size_t i = 0; i < text.size();) {
    size_t len = CharLength(text, i);
    if (i == 0) firstLen = len;
    if (!IsSpaceAt(text, i, len)) end = i + len;
    i += len;
  }
  if (end == 0 && !text.empty()) end = firstLen;
  return std::string(text.substr(0, end));
}

std::string CSongData::KeyNameFor(int keyIndex) {
  if (keyIndex < 0 || static_cast<size_t>(keyIndex) >= kKeyNames.size()) keyIndex = 0;
  std::string name = kKeyNames[static_cast<size_t>(keyIndex)];
  if (name.back() != 'm') name.push_back(' ');
  return name;
}

void CSongData::BuildDefaults(int numerator, int keyIndex, int measures, int secondValue) {
  ClearAll();
  SetTextBlockInt(kTempo, kDefaultTempo);
  SetTextBlockInt(kValue196, 1);
  measures_ = measures;
  beats_ = static_cast<int16_t>(numerator);
  secondValue_ = static_cast<int16_t>(secondValue);
  keyIndex_ = keyIndex;
  keyName_ = KeyNameFor(keyIndex);
  if (beats_ == 0) {
    Reporter().Report(kErrorNoBeats);
    return;
  }
  if (beats_ < 0) return;  // refused by the time-signature check that follows
  const size_t songBeats = SongBeats();
  for (size_t i = 0; i < kBeatEntries; ++i) {
    SetName(chords_[i].first, i < songBeats ? std::string_view(keyName_) : kEmptyBeatChord);
  }
  for (size_t i = 0; i < kMelodyEntries; ++i) {
    bool start = i % 2 == 0 && IsMeasureStart(i / 2);
    melody_[i].x = {start ? kMarkerMeasureStart : kMarkerOther, kMarkerOther, kMarkerThird};
  }
}

void CSongData::CheckTimeSignature() {
  if (beats_ >= kMinBeats && beats_ <= kMaxBeats) return;
  damaged_ = true;
  char box[32];
  std::snprintf(box, sizeof box, "[%d]", static_cast<int>(beats_));
  ReportPlain(box);
  ReportPlain(kTimeSignBox);
  BuildDefaults(kFallbackBeats, 0, kFallbackMeasures, 0);
}

size_t CSongData::SongBeats() const {
  if (measures_ <= 0 || beats_ <= 0) return 0;
  int64_t beats = static_cast<int64_t>(measures_) * beats_;
  return static_cast<size_t>(std::min<int64_t>(beats, kBeatEntries));
}

bool CSongData::IsMeasureStart(size_t beat) const {
  return beats_ > 0 && beat % static_cast<size_t>(beats_) == 0;
}

void CSongData::TidyMarkersFirstPass() {
  const size_t entries = SongHalfBeats();
  int32_t last = -1;
  int open = 0;
  for (size_t i = 0; i < entries; ++i) {
    std::array<int32_t, 3>& x = melody_[i].x;
    const std::array<int32_t, 3> before = x;
    if (x[0] == kMarkerOther) {
      if (open == 1 && last == -1) x[0] = kMarkerMeasureStart;
      if (x[1] == kMarkerMeasureStart && x[2] == kMarkerOther) {
        if (last == -1) x = {kMarkerMeasureStart, kMarkerOther, kMarkerThird};
        open = 1;
      } else {
        open = x[2] == kMarkerThird ? 0 : 1;
      }
    } else {
      open = x[2] == kMarkerThird ? 0 : 1;
    }
    if (before[0] == -1 && before[1] == -1 && before[2] == -1) {
      x = {kMarkerMeasureStart, kMarkerOther, kMarkerThird};
    } else if (before[0] == -1 && before[1] == -2 && before[2] == -2) {
      x[2] = kMarkerThird;
    }
    for (int32_t v : x) {
      if (v >= -1) last = v;
    }
  }
}

void CSongData::TidyMarkersSecondPass() {
  const size_t beats = SongBeats();
  int32_t last = -1;
  for (size_t b = 0; b < beats; ++b) {
    for (size_t h = 0; h < 2; ++h) {
      for (size_t s = 0; s < kSubPositions; ++s) {
        int32_t& v = melody_[2 * b + h].x[s];
        bool measureStart = h == 0 && s == 0 && IsMeasureStart(b);
        if (v == -1 && last == -1 && !measureStart) {
          v = kMarkerOther;
        } else if (v >= -1) {
          last = v;
        }
      }
    }
  }
}

void CSongData::CutTrailingSpacesOfTexts() {
  for (songinfo::TextField f : {kTitle, kComposer, kLyricist, kText33, kText97, kText289}) {
    SetTextField(f, CutTrailingSpaces(TextField(f)));
  }
  for (size_t i = 0; i < kExtraTexts; ++i) {
    if (i != kUntrimmedExtraText) extraTexts_[i] = CutTrailingSpaces(extraTexts_[i]);
  }
}

std::vector<std::pair<size_t, size_t>> CSongData::PackExtraTexts() {
  std::string stream;
  for (const std::string& t : extraTexts_) {
    stream.append(t);
    stream.push_back('\0');
  }
  std::vector<std::pair<size_t, size_t>> packed;
  size_t pos = 0;
  for (size_t i = 0; i < kMelodyEntries && pos < stream.size(); ++i) {
    for (size_t s = 0; s < kSubPositions && pos < stream.size(); ++s) {
      if (melody_[i].x[s] >= 0) continue;
      auto& slot = melody_[i].text[s];
      slot.fill('\0');
      size_t n = std::min(kSlotTextSize, stream.size() - pos);
      std::memcpy(slot.data(), stream.data() + pos, n);
      pos += n;
      packed.emplace_back(i, s);
    }
  }
  return packed;
}

std::vector<uint8_t> CSongData::Record() const {
  ByteWriter w;
  for (const ChordEntry& c : chords_) {
    w.Bytes(AsBytes(c.first));
    w.Bytes(AsBytes(c.second));
  }
  for (const MelodyEntry& e : melody_) {
    for (int32_t v : e.x) w.U32LE(static_cast<uint32_t>(v));
    for (const auto& slot : e.text) w.Bytes(AsBytes(slot));
  }
  w.Bytes(textBlock_);
  w.U32LE(static_cast<uint32_t>(measures_));
  w.I16LE(beats_);
  w.I16LE(secondValue_);
  w.U32LE(static_cast<uint32_t>(keyIndex_));
  w.Text(std::string_view(lyrics_).substr(0, kLyricsSize - 1));
  w.Fill(kLyricsSize - std::min(lyrics_.size(), kLyricsSize - 1), 0);
  w.Bytes(arrayA_);
  w.Bytes(arrayB_);
  w.Bytes(carried_);
  return w.Take();
}

bool CSongData::Write(int numerator, int keyIndex, const std::string& path, int secondValue) {
  beats_ = static_cast<int16_t>(numerator);
  keyIndex_ = keyIndex;
  secondValue_ = static_cast<int16_t>(secondValue);
  TidyMarkersFirstPass();
  TidyMarkersSecondPass();
  CutTrailingSpacesOfTexts();
  std::vector<std::pair<size_t, size_t>> packed = PackExtraTexts();
  std::vector<uint8_t> record = Record();
  bool ok = WriteRecord(path.empty() ? path_ : path, record);
  for (auto [entry, sub] : packed) melody_[entry].text[sub].fill('\0');
  return ok;
}

std::string CSongData::FirstChord(size_t beat) const { return NameText(chords_.at(beat).first); }
std::string CSongData::SecondChord(size_t beat) const { return NameText(chords_.at(beat).second); }

void CSongData::SetExtraText(size_t index, std::string_view text) {
  extraTexts_.at(index) = std::string(CutToBytes(text, kExtraTextCapacity - 1));
}

void CSongData::SetTitle(std::string_view text) {
  SetTextField(kTitle, CutToBytes(text, kShortTextMax));
}
void CSongData::SetComposer(std::string_view text) {
  SetTextField(kComposer, CutToBytes(text, kShortTextMax));
}
void CSongData::SetLyricist(std::string_view text) {
  SetTextField(kLyricist, CutToBytes(text, kShortTextMax));
}
void CSongData::SetLyrics(std::string_view text) {
  lyrics_ = std::string(CutToBytes(text.substr(0, text.find('\0')), kLyricsSize - 1));
}
std::string CSongData::Title() const { return TextField(kTitle); }
std::string CSongData::Composer() const { return TextField(kComposer); }
std::string CSongData::Lyricist() const { return TextField(kLyricist); }

std::string CSongData::TextField(songinfo::TextField field) const {
  const char* begin = reinterpret_cast<const char*>(textBlock_.data()) + field.offset;
  const char* end = std::find(begin, begin + field.size, '\0');
  return std::string(begin, static_cast<size_t>(end - begin));
}

// Writes the text and clears the old text's bytes behind it; bytes after the
// old terminator are carried.
void CSongData::SetTextField(songinfo::TextField field, std::string_view text) {
  size_t oldLength = TextField(field).size();
  size_t n = std::min(text.substr(0, text.find('\0')).size(), field.size - 1);
  uint8_t* dst = textBlock_.data() + field.offset;
  std::memcpy(dst, text.data(), n);
  size_t clearEnd = std::min(field.size, std::max(oldLength + 1, n + 1));
  std::fill(dst + n, dst + clearEnd, 0);
}

int32_t CSongData::TextBlockInt(size_t offset) const {
  ByteReader r(textBlock_.data(), textBlock_.size());
  r.Seek(offset);
  return ReadI32(r);
}

void CSongData::SetTextBlockInt(size_t offset, int32_t value) {
  uint32_t v = static_cast<uint32_t>(value);
  for (size_t i = 0; i < 4; ++i) textBlock_[offset + i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace crx
