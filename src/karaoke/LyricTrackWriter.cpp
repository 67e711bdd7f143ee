#include "karaoke/LyricTrackWriter.h"

#include <algorithm>
#include <array>

#include "midi/MidiBytes.h"

namespace crx {
namespace {

constexpr char kKarPageMark = '\\';
constexpr char kKarLineMark = '/';
constexpr std::string_view kLineBreak = "/";
constexpr std::string_view kPageMark = "<";
constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
// Continuation marks of singing editors, in CP932, and what the lyric
// pipeline sings as the held vowel of the syllable before (ー).
constexpr std::array<std::string_view, 7> kContinuationMarks = {
    "+", "-", "_", "...", "\x81\x63" /* … */, "\x81\x5B" /* ー */, "\xB0" /* ｰ */};
constexpr std::string_view kHeldVowel = "\x81\x5B";
// An empty text is stored as one zero byte, as the track reader stores it.
constexpr std::string_view kEmptyText("\0", 1);

std::string_view Trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

LyricTrackWriter::LyricTrackWriter(KaraokeKind kind, LyricEncoding encoding)
    : kind_(kind), encoding_(encoding) {}

std::string LyricTrackWriter::Convert(std::string_view raw) const {
  return LyricTextDecoder::ToCp932(raw, encoding_);
}

void LyricTrackWriter::Lyric(int64_t tick, std::string_view raw) {
  std::string text = Convert(raw);
  if (kind_ == KaraokeKind::SoftKaraoke) {
    // The first byte of a CP932 text is never the second byte of a
    // character, so the prefixes are safe to look at.
    size_t skip = 0;
    for (; skip < text.size(); ++skip) {
      if (text[skip] == kKarPageMark) {
        pendingPage_ = true;
      } else if (text[skip] == kKarLineMark) {
        Put(tick, kMetaLyric, std::string(kLineBreak));
      } else {
        break;
      }
    }
    text.erase(0, skip);
  }
  // CR and LF are never part of a double-byte character.
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    const bool end = i == text.size();
    if (!end && text[i] != kCarriageReturn && text[i] != kLineFeed) continue;
    Segment(tick, text.substr(start, i - start));
    if (!end && text[i] == kCarriageReturn) Put(tick, kMetaLyric, std::string(kLineBreak));
    if (!end && text[i] == kLineFeed) pendingPage_ = true;
    start = i + 1;
  }
}

void LyricTrackWriter::Cue(int64_t tick, std::string_view raw) {
  Put(tick, kMetaCuePoint, Convert(raw));
}

void LyricTrackWriter::Segment(int64_t tick, std::string text) {
  if (text.empty()) return;
  if (kind_ == KaraokeKind::LyricMidi) {
    const std::string_view core = Trimmed(text);
    if (std::find(kContinuationMarks.begin(), kContinuationMarks.end(), core) !=
        kContinuationMarks.end()) {
      text = kHeldVowel;
    }
  }
  if (pendingPage_) {
    text.insert(0, kPageMark);
    pendingPage_ = false;
  }
  Put(tick, kMetaLyric, std::move(text));
}

void LyricTrackWriter::Put(int64_t tick, int type, std::string text) {
  items_.push_back({tick, type, std::move(text)});
}

std::unique_ptr<MidiTrackData> LyricTrackWriter::TakeTrack() {
  auto track = std::make_unique<MidiTrackData>(kMidiChunkCapacity);
  int64_t now = 0;
  for (const Item& item : items_) {
    MidiEvent ev;
    ev.kind = MidiKind::Meta;
    ev.subtype = item.type;
    const std::string_view text = item.text.empty() ? kEmptyText : std::string_view(item.text);
    ev.StoreData({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
    ev.delta = ClampToInt(item.tick - now);
    now = item.tick;
    if (!track->Append(std::move(ev))) break;  // a full table is reported there
  }
  items_.clear();
  track->AppendEndOfTrack();
  track->SetForm(kFormEvents);
  return track;
}

}  // namespace crx
