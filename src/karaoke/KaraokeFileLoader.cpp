#include "karaoke/KaraokeFileLoader.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <vector>

#include "foundation/ByteWriter.h"
#include "foundation/FileHelpers.h"
#include "karaoke/LyricTextDecoder.h"
#include "karaoke/LyricTrackWriter.h"
#include "karaoke/MelodyChannelFinder.h"
#include "karaoke/MidiChunkList.h"
#include "midi/MidiBytes.h"
#include "midi/MidiFormat0Data.h"

namespace crx {
namespace {

constexpr std::string_view kXfLyricId = MidiChunkList::kXfLyricId;
constexpr std::string_view kLyrcCue = MelodyChannelFinder::kLyrcCue;
constexpr std::string_view kKarExtension = ".kar";
constexpr std::string_view kWordsTrackName = "words";
constexpr char kHeaderMark = '@';
constexpr std::string_view kKarFileHeader = "@K";
constexpr std::string_view kKarTitleHeader = "@T";
constexpr int kMaxFormat = 1;
// "$Lyrc:" fields: channels, offset, language.
constexpr size_t kLyrcLanguageField = 3;
constexpr std::string_view kLanguageJapanese = "JP";
constexpr std::string_view kLanguageLatin1 = "L1";
// The XF version event: FF 7F len 43 7B 00 'X' 'F' ...
constexpr std::array<uint8_t, 5> kXfVersionPrefix = {0x43, 0x7B, 0x00, 'X', 'F'};
// No pauses while a file is read.
constexpr int kNoPause = 0;
constexpr int kNoChannelFound = -1;
constexpr int kChannels = 16;

// One track chunk of the file, read, with the absolute tick of each event
// and whether it went to the lyric track.
struct SourceTrack {
  std::unique_ptr<MidiTrackData> track;
  std::vector<int64_t> ticks;
  std::vector<bool> moved;
  bool lyricChunk = false;  // "XFKM"
};

std::string TextOf(const MidiEvent& ev) {
  std::string text = ev.Text();
  const size_t zero = text.find('\0');
  if (zero != std::string::npos) text.resize(zero);
  return text;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string_view Trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool IsLyric(const MidiEvent& ev) { return ev.IsMeta(kMetaLyric); }
// A .kar text: a text event that is no "@" header line.
bool IsKarText(const MidiEvent& ev) {
  return ev.IsMeta(kMetaText) && !StartsWith(TextOf(ev), std::string_view(&kHeaderMark, 1));
}

bool IsXfVersion(const MidiEvent& ev) {
  auto bytes = ev.Bytes();
  return ev.IsMeta(kMetaSequencerSpecific) && bytes.size() >= kXfVersionPrefix.size() &&
         std::equal(kXfVersionPrefix.begin(), kXfVersionPrefix.end(), bytes.begin());
}

// Reads a chunk of the list into a track. A chunk cut short is given its
// real length first, so that what the file holds of it is still read.
std::unique_ptr<MidiTrackData> ReadChunk(std::span<const uint8_t> bytes, const MidiChunkList& list,
                                         const MidiChunkList::Chunk& chunk) {
  // Running status does not carry from one track into the next: each chunk
  // is read on its own.
  std::span<const uint8_t> whole = list.ChunkBytes(bytes, chunk);
  std::vector<uint8_t> mended;
  if (chunk.cut) {
    ByteWriter out;
    out.Text(chunk.id);
    out.U32BE(static_cast<uint32_t>(chunk.bodySize));
    out.Bytes(whole.subspan(kChunkHeaderSize));
    mended = out.Take();
    whole = mended;
  }
  return MidiTrackData::FromChunk(whole, whole.size(), 0, kMidiLargeChunkCapacity, kNoPause);
}

using EventTest = bool (*)(const MidiEvent&);

int CountIn(const SourceTrack& t, EventTest test) {
  if (t.lyricChunk) return 0;
  return static_cast<int>(std::count_if(t.track->Events().begin(), t.track->Events().end(), test));
}

// The track with the most events the test picks (the first on a tie), or -1;
// count is their number.
int MostOf(const std::vector<SourceTrack>& tracks, EventTest test, int& count) {
  int best = -1;
  count = 0;
  for (size_t i = 0; i < tracks.size(); ++i) {
    const int n = CountIn(tracks[i], test);
    if (n > count) {
      count = n;
      best = static_cast<int>(i);
    }
  }
  return best;
}

bool AnyIn(const std::vector<SourceTrack>& tracks, EventTest test) {
  return std::any_of(tracks.begin(), tracks.end(),
                     [test](const SourceTrack& t) { return CountIn(t, test) > 0; });
}

// The first track named "Words" that holds .kar texts, or -1.
int WordsTrack(const std::vector<SourceTrack>& tracks) {
  for (size_t i = 0; i < tracks.size(); ++i) {
    const auto events = tracks[i].track->Events();
    const bool named = std::any_of(events.begin(), events.end(), [](const MidiEvent& ev) {
      return ev.IsMeta(kMetaTrackName) && Lower(Trimmed(TextOf(ev))) == kWordsTrackName;
    });
    if (named && CountIn(tracks[i], IsKarText) > 0) return static_cast<int>(i);
  }
  return -1;
}

bool IsKarHeader(const MidiEvent& ev) {
  return ev.IsMeta(kMetaText) && StartsWith(TextOf(ev), kKarFileHeader);
}
bool IsLyrcCue(const MidiEvent& ev) {
  return ev.IsMeta(kMetaCuePoint) && StartsWith(TextOf(ev), kLyrcCue);
}

// The first "$Lyrc:" cue of the tracks, or empty.
std::string FirstLyrcCue(const std::vector<SourceTrack>& tracks) {
  for (const SourceTrack& t : tracks) {
    for (const MidiEvent& ev : t.track->Events()) {
      if (IsLyrcCue(ev)) return TextOf(ev);
    }
  }
  return {};
}

// The language field of a "$Lyrc:" cue, or empty.
std::string LyrcLanguage(std::string_view cue) {
  size_t field = 0;
  size_t start = 0;
  for (size_t i = 0; i <= cue.size(); ++i) {
    if (i == cue.size() || cue[i] == ':') {
      if (field == kLyrcLanguageField) return std::string(Trimmed(cue.substr(start, i - start)));
      ++field;
      start = i + 1;
    }
  }
  return {};
}

void AppendAt(MidiTrackData& track, MidiEvent ev, int64_t tick, int64_t& now, bool& full) {
  if (full) return;
  ev.delta = ClampToInt(tick - now);
  now = tick;
  if (!track.Append(std::move(ev))) full = true;  // a full table is reported there
}

// Every event of the track chunks that stayed, in time order (at one tick,
// track by track, each in its own order), ending where the longest ended.
std::unique_ptr<MidiTrackData> MergedMainTrack(std::vector<SourceTrack>& tracks) {
  struct Ref {
    int64_t tick;
    size_t track;
    size_t index;
  };
  std::vector<Ref> refs;
  int64_t end = 0;
  for (size_t t = 0; t < tracks.size(); ++t) {
    if (tracks[t].lyricChunk) continue;
    auto events = tracks[t].track->Events();
    for (size_t i = 0; i < events.size(); ++i) {
      const int64_t tick = tracks[t].ticks[i];
      end = std::max(end, tick);
      if (tracks[t].moved[i] || events[i].kind == MidiKind::None || events[i].IsEndOfTrack()) {
        continue;
      }
      refs.push_back({tick, t, i});
    }
  }
  std::stable_sort(refs.begin(), refs.end(),
                   [](const Ref& a, const Ref& b) { return a.tick < b.tick; });
  auto main = std::make_unique<MidiTrackData>(kMidiChunkCapacity);
  int64_t now = 0;
  bool full = false;
  for (const Ref& r : refs) {
    AppendAt(*main, std::move(tracks[r.track].track->Event(static_cast<int>(r.index))), r.tick, now,
             full);
  }
  if (!full) main->AppendEndOfTrack(ClampToInt(end - now));
  main->SetForm(kFormEvents);
  main->PairNotes();
  return main;
}

// The channel with the most note-ons in the track, or -1.
int BusiestChannel(const MidiTrackData& track) {
  std::array<int, kChannels> counts{};
  for (const MidiEvent& ev : track.Events()) {
    if (ev.kind == MidiKind::NoteOn && ev.velocity > 0 && ev.channel >= 0 &&
        ev.channel < kChannels) {
      ++counts[static_cast<size_t>(ev.channel)];
    }
  }
  const auto most = std::max_element(counts.begin(), counts.end());
  return *most == 0 ? kNoChannelFound : static_cast<int>(most - counts.begin());
}

// The texts of the track's events the predicate picks.
std::vector<std::string> TextsOf(const SourceTrack& t, EventTest pred) {
  std::vector<std::string> texts;
  for (const MidiEvent& ev : t.track->Events()) {
    if (pred(ev)) texts.push_back(TextOf(ev));
  }
  return texts;
}

bool HasKarExtension(const std::string& path) {
  return path.size() >= kKarExtension.size() &&
         Lower(std::string_view(path).substr(path.size() - kKarExtension.size())) == kKarExtension;
}

}  // namespace

std::unique_ptr<XfKaraokeData> KaraokeFileLoader::Load(const std::string& path) {
  if (path.empty()) return nullptr;  // nothing chosen
  std::vector<uint8_t> bytes;
  if (!ReadFileLimited(path, bytes, kWholeFileReadLimit)) return nullptr;
  return LoadBytes(bytes, path);
}

std::unique_ptr<XfKaraokeData> KaraokeFileLoader::LoadBytes(std::span<const uint8_t> bytes,
                                                            const std::string& path) {
  auto song = std::make_unique<XfKaraokeData>(bytes, path);
  const std::optional<MidiChunkList> list = MidiChunkList::Scan(bytes);
  if (!list || list->Format() > kMaxFormat) {
    XfKaraokeData::Reporter().Report(XfKaraokeData::kNotKaraoke);
    return nullptr;
  }
  if (list->IsXfLayout()) {
    // The XF reader itself, unchanged.
    if (song->Read() != 1 || song->LyricTrack() == nullptr) return nullptr;
    return song;
  }

  std::vector<SourceTrack> tracks;
  for (const MidiChunkList::Chunk& chunk : list->Chunks()) {
    const bool lyricChunk = chunk.id == kXfLyricId;
    if (chunk.id != kTrackChunkId && !lyricChunk) continue;  // unknown chunks are skipped
    SourceTrack t;
    t.track = ReadChunk(bytes, *list, chunk);
    t.ticks = t.track->AbsoluteTimes();
    t.moved.assign(t.ticks.size(), false);
    t.lyricChunk = lyricChunk;
    tracks.push_back(std::move(t));
  }

  // An "XFKM" chunk without the information header (as written for a song
  // that came from another kind of file) still holds XF lyrics.
  const auto xfkm = std::find_if(tracks.begin(), tracks.end(), [](const SourceTrack& t) {
    return t.lyricChunk && std::any_of(t.track->Events().begin(), t.track->Events().end(), IsLyric);
  });
  int lyrics = 0;
  int texts = 0;
  const int lyricTrack = MostOf(tracks, IsLyric, lyrics);
  const int textTrack = MostOf(tracks, IsKarText, texts);
  const int wordsTrack = WordsTrack(tracks);
  const bool kar = AnyIn(tracks, IsKarHeader) || wordsTrack >= 0 || HasKarExtension(path);

  KaraokeKind kind = KaraokeKind::LyricMidi;
  if (xfkm != tracks.end()) {
    kind = KaraokeKind::Xf;
  } else if (kar && (lyrics > 0 || texts > 0)) {
    kind = KaraokeKind::SoftKaraoke;
  } else if (lyrics > 0) {
    kind = AnyIn(tracks, IsLyrcCue) || AnyIn(tracks, IsXfVersion) ? KaraokeKind::XfInMainTrack
                                                                  : KaraokeKind::LyricMidi;
  } else {
    XfKaraokeData::Reporter().Report(XfKaraokeData::kNoLyrics);
    return nullptr;
  }

  std::unique_ptr<MidiTrackData> lyricTrackData;
  std::vector<std::string> titles;
  int source = -1;
  if (kind == KaraokeKind::Xf) {
    lyricTrackData = std::move(xfkm->track);
    if (lyricTrackData->ChunkLength() > 0) lyricTrackData->EnsureEndOfTrack();
  } else {
    // Which events of which track are the lyrics. A .kar file takes the kind
    // of event it has more of (text events on a tie), from its "Words"
    // track or else the track with the most of them.
    EventTest pick = IsLyric;
    source = lyricTrack;
    if (kind == KaraokeKind::SoftKaraoke && texts >= lyrics) {
      pick = IsKarText;
      source = wordsTrack >= 0 ? wordsTrack : textTrack;
    }
    SourceTrack& from = tracks[static_cast<size_t>(source)];

    LyricEncoding encoding = LyricTextDecoder::Detect(TextsOf(from, pick));
    if (kind == KaraokeKind::XfInMainTrack) {
      const std::string language = LyrcLanguage(FirstLyrcCue(tracks));
      if (language == kLanguageJapanese) encoding = LyricEncoding::Cp932;
      if (language == kLanguageLatin1) encoding = LyricEncoding::Cp1252;
    }
    LyricTrackWriter writer(kind, encoding);
    auto events = from.track->Events();
    for (size_t i = 0; i < events.size(); ++i) {
      if (pick(events[i])) {
        writer.Lyric(from.ticks[i], TextOf(events[i]));
        from.moved[i] = true;
      } else if (events[i].IsMeta(kMetaCuePoint)) {
        writer.Cue(from.ticks[i], TextOf(events[i]));
        from.moved[i] = true;
      }
    }
    lyricTrackData = writer.TakeTrack();

    if (kind == KaraokeKind::SoftKaraoke) {
      for (const SourceTrack& t : tracks) {
        for (const MidiEvent& ev : t.track->Events()) {
          const std::string text = TextOf(ev);
          if (ev.IsMeta(kMetaText) && StartsWith(text, kKarTitleHeader)) {
            titles.push_back(writer.Convert(std::string_view(text).substr(kKarTitleHeader.size())));
          }
        }
      }
    }
  }

  const int sourceChannel = list->Format() == 1 && source >= 0
                                ? BusiestChannel(*tracks[static_cast<size_t>(source)].track)
                                : kNoChannelFound;
  song->Assemble(kind, list->Division(), MergedMainTrack(tracks), std::move(lyricTrackData));
  song->SetTitleLines(std::move(titles));
  song->SetLyricSourceChannel(sourceChannel);
  return song;
}

}  // namespace crx
