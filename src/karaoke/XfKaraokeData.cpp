#include "karaoke/XfKaraokeData.h"

#include <algorithm>

#include "foundation/ByteReader.h"
#include "foundation/FileHelpers.h"
#include "platform/TextCodec.h"

namespace crx {
namespace {

constexpr ErrorEntry kXfErrors[] = {
    {XfKaraokeData::kNotKaraoke, "カラオケ用MIDIファイルではありません。"},
    {XfKaraokeData::kInternal, "カラオケ用MIDIファイルで内部エラーが発生しました。"},
    {XfKaraokeData::kNoMasterVolume,
     "GM Restのあとにマスターボリュームがないため、無音になる可能性があります。"},
    {XfKaraokeData::kNoLyrics, "歌詞のないMIDIファイルです。"},
};

constexpr std::string_view kMainId = "MTrk";
constexpr std::string_view kInfoId = "XFIH";
constexpr std::string_view kLyricId = "XFKM";
constexpr size_t kFormatOffset = 8;
// No pauses while a karaoke file is read.
constexpr int kNoPause = 0;
// The double-byte character that the single-byte check tolerates.
constexpr uint8_t kToleratedLead = 0x81;
constexpr uint8_t kToleratedTrail = 0x7C;

bool IsLead(uint8_t c) { return TextCodec::IsCp932LeadByte(c); }

}  // namespace

ModuleReporter& XfKaraokeData::Reporter() {
  static ModuleReporter reporter(kTag, kXfErrors, kDefaultMessage);
  return reporter;
}

XfKaraokeData::XfKaraokeData(const std::string& path) : path_(path) {
  if (path_.empty()) return;  // nothing chosen
  if (!LoadFile(path_)) return;
  Read();
}

XfKaraokeData::XfKaraokeData(std::span<const uint8_t> bytes, const std::string& path)
    : path_(path) {
  LoadImage(bytes);
}

void XfKaraokeData::Assemble(KaraokeKind kind, int division, std::unique_ptr<MidiTrackData> main,
                             std::unique_ptr<MidiTrackData> lyrics) {
  kind_ = kind;
  assembled_ = true;
  SetDivision(division);
  SetTrack(std::move(main));
  if (Track().Form() == kFormEvents) Track().PairNotes();
  xfihRaw_.clear();
  xfihTrack_.reset();
  lyrics_ = std::move(lyrics);
}

std::string XfKaraokeData::ChunkIdAt(size_t position) const {
  ByteReader in(ImageBytes());
  std::string id;
  if (!in.Seek(position) || !in.Text(4, id)) return {};
  return id;
}

int XfKaraokeData::Read() {
  if (assembled_) return lyrics_ ? 1 : 0;
  xfihRaw_.clear();
  xfihTrack_.reset();
  lyrics_.reset();
  if (imageSize_ == 0) return 0;
  RemoveMacBinaryHeader(image_, imageSize_);

  ByteReader header(ImageBytes());
  uint8_t formatHigh = 0;
  uint8_t formatLow = 0;
  if (header.Seek(kFormatOffset) && header.U8(formatHigh) && header.U8(formatLow) &&
      (formatHigh != 0 || formatLow != 0)) {
    Reporter().Report(kNotKaraoke);
    return 0;
  }
  if (ReadHeader() == 0) return 0;

  size_t pos = position_;
  MidiParseState state(kNoPause);  // the chunks are one reading
  if (ChunkIdAt(pos) == kMainId) {
    SetTrack(MidiTrackData::FromChunk(ImageBytes(), imageSize_, pos, kMidiChunkCapacity, state));
    Track().PairNotes();
    // A chunk cut short has lost its end of track (the library reported the
    // cut); one is put back so that the song can still be written.
    if (Track().ChunkLength() > 0) Track().EnsureEndOfTrack();
    pos += Track().ChunkLength();
  } else {
    Reporter().Report(kNotKaraoke);
  }

  if (ChunkIdAt(pos) != kInfoId) {
    Reporter().Report(kNotKaraoke);
    return 0;
  }
  xfihTrack_ = MidiTrackData::FromChunk(ImageBytes(), imageSize_, pos, kMidiChunkCapacity, state);
  const size_t infoLength = xfihTrack_->ChunkLength();
  if (infoLength == 0) {
    // The chunk runs past the file: there is no information header to carry.
    xfihTrack_.reset();
    Reporter().Report(kNotKaraoke);
    return 0;
  }
  auto info = ImageBytes().subspan(pos, infoLength);
  xfihRaw_.assign(info.begin(), info.end());
  pos += infoLength;

  if (ChunkIdAt(pos) != kLyricId) {
    Reporter().Report(kNotKaraoke);
    return 1;
  }
  lyrics_ = MidiTrackData::FromChunk(ImageBytes(), imageSize_, pos, kMidiChunkCapacity, state);
  if (lyrics_->ChunkLength() > 0) lyrics_->EnsureEndOfTrack();
  position_ = pos + lyrics_->ChunkLength();
  return 1;
}

bool XfKaraokeData::Write(const std::string& path) {
  bool complete = true;
  MidiTrackData& main = Track();
  if (main.CheckResetVolume() == 0) Reporter().Report(kNoMasterVolume);

  WriteHeader();

  const int mainForm = main.Form();
  if (mainForm == kFormNotes) main.SplitNotes();
  if (main.Form() == kFormEvents) main.Serialise(kMainId);
  const bool mainWritten = main.Form() == kFormRaw;
  if (!mainWritten || !AppendChunk(main.Chunk())) {
    Reporter().Report(kInternal);
    complete = false;
  }

  // A song assembled from another kind of file has no information header.
  if (!xfihRaw_.empty() && !AppendChunk(xfihRaw_)) {
    Reporter().Report(kInternal);
    complete = false;
  }

  if (lyrics_ && lyrics_->Form() == kFormEvents) {
    lyrics_->Serialise(kLyricId);
    if (lyrics_->Form() == kFormRaw) {
      if (!AppendChunk(lyrics_->Chunk())) {
        Reporter().Report(kInternal);
        complete = false;
      }
      lyrics_->Parse();
    } else {
      Reporter().Report(kInternal);
      complete = false;
    }
  } else {
    Reporter().Report(kInternal);
    complete = false;
  }

  const bool saved = !path.empty() && SaveFile(path);

  // Back to the form the caller had. Only a track that was serialised is
  // parsed again; one that was not keeps its events as they are.
  if (mainWritten && (mainForm == kFormEvents || mainForm == kFormNotes)) main.Parse();
  if (mainForm == kFormNotes && main.Form() == kFormEvents) main.PairNotes();
  return saved && complete;
}

std::string XfKaraokeData::StripRubyText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::vector<size_t> starts;  // where each character of out begins
  for (size_t i = 0; i < text.size();) {
    const uint8_t c = static_cast<uint8_t>(text[i]);
    const size_t len = IsLead(c) && i + 1 < text.size() ? 2 : 1;
    if (len == 1 && c == '[') {
      // The reading replaces its base character; with none before it only
      // the bracket goes.
      if (!starts.empty()) {
        out.resize(starts.back());
        starts.pop_back();
      }
    } else if (len == 1 && c == ']') {
      // dropped
    } else {
      starts.push_back(out.size());
      out.append(text.substr(i, len));
    }
    i += len;
  }
  return out;
}

void XfKaraokeData::StripRuby() {
  if (!lyrics_) return;
  for (MidiEvent& ev : lyrics_->Events()) {
    if (!ev.IsMeta(kMetaLyric) || !ev.HasData()) continue;
    std::string text = ev.Text();
    std::string stripped = StripRubyText(text);
    if (stripped != text) ev.SetData(stripped);
  }
}

bool XfKaraokeData::IsSingleByteText(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const uint8_t c = static_cast<uint8_t>(text[i]);
    if (!IsLead(c)) continue;
    if (c == kToleratedLead && i + 1 < text.size() &&
        static_cast<uint8_t>(text[i + 1]) == kToleratedTrail) {
      continue;
    }
    return false;
  }
  return true;
}

int XfKaraokeData::IsSingleByteLyrics() const {
  if (!lyrics_) return 1;
  for (const MidiEvent& ev : lyrics_->Events()) {
    if (!ev.IsMeta(kMetaLyric) || !ev.HasData()) continue;
    if (!IsSingleByteText(ev.Text())) return 0;
  }
  return 1;
}

}  // namespace crx
