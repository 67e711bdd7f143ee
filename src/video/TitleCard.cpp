#include "video/TitleCard.h"

#include <utility>

#include "foundation/Diagnostics.h"
#include "foundation/FileHelpers.h"
#include "karaoke/CSongData.h"
#include "platform/TextCodec.h"
#include "video/SongCredits.h"
#include "video/VideoMessages.h"
#include "video/VideoText.h"

namespace crx {
namespace {

// The sizes the song-information file has been written in; a file of 94,540
// bytes or more has the newest layout.
bool IsKnownSize(size_t size) {
  return size == songinfo::kSizeOldest || size == songinfo::kSizeOldGrid ||
         size == songinfo::kSizeWithTextBlock || size == songinfo::kSizeWithLyrics ||
         size >= songinfo::kSizeWithBeatArrays;
}

std::string Shown(const std::string& cp932) {
  return std::string(VideoText::TrimBlanks(TextCodec::Cp932ToUtf8Lossy(cp932)));
}

}  // namespace

TitleCard::Reading TitleCard::ReadSongInfo(const std::string& path) {
  Reading reading;
  if (path.empty()) return reading;
  if (!FileExists(path)) {
    ReportPlain(VideoText::WithArgument(kMsgSongInfoMissing, path));
    reading.source = Source::Missing;
    return reading;
  }
  reading.source = Source::Broken;
  if (!IsKnownSize(GetFileSize32(path))) {
    ReportPlain(VideoText::WithArgument(kMsgSongInfoBroken, path));
    return reading;
  }
  int numerator = songinfo::kFallbackBeats;
  int keyIndex = 0;
  int measures = songinfo::kFallbackMeasures;
  bool damaged = false;
  TitleCard card;
  {
    // The reader's own messages (a broken time signature, a short read)
    // only tell that the file is broken: one message of ours replaces them.
    DiagnosticCollector readersMessages;
    CSongData song(path, numerator, keyIndex, measures);
    damaged = song.Damaged();
    card.title = Shown(song.Title());
    card.composer = Shown(song.Composer());
    card.lyricist = Shown(song.Lyricist());
  }
  if (damaged) {
    ReportPlain(VideoText::WithArgument(kMsgSongInfoBroken, path));
    return reading;
  }
  reading.card = std::move(card);
  reading.source = Source::Read;
  return reading;
}

TitleCard TitleCard::FromSongInfo(const std::string& path) { return ReadSongInfo(path).card; }

void TitleCard::FillFrom(const SongCredits& credits) {
  if (title.empty()) title = credits.title;
  if (composer.empty()) composer = credits.composer;
  if (lyricist.empty()) lyricist = credits.lyricist;
  if (artist.empty()) artist = credits.artist;
}

}  // namespace crx
