#include "video/TitleCard.h"

#include "foundation/FileHelpers.h"
#include "karaoke/CSongData.h"
#include "platform/ScriptedHost.h"
#include "platform/TextCodec.h"
#include "platform/UiServices.h"
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

TitleCard TitleCard::FromSongInfo(const std::string& path) {
  TitleCard card;
  if (path.empty()) return card;
  if (!FileExists(path)) {
    Ui().ShowMessage(VideoText::WithArgument(kMsgSongInfoMissing, path), MessageKind::Plain);
    return card;
  }
  if (!IsKnownSize(GetFileSize32(path))) {
    Ui().ShowMessage(VideoText::WithArgument(kMsgSongInfoBroken, path), MessageKind::Plain);
    return card;
  }
  // The reader's own boxes (a broken time signature, a short read) only tell
  // that the file is broken: they are replaced by one message of ours.
  ScriptedHost quiet;
  int numerator = songinfo::kFallbackBeats;
  int keyIndex = 0;
  int measures = songinfo::kFallbackMeasures;
  bool broken = false;
  {
    ScopedUi scope(quiet);
    CSongData song(path, numerator, keyIndex, measures);
    broken = !quiet.Messages().empty();
    card.title = Shown(song.Title());
    card.composer = Shown(song.Composer());
    card.lyricist = Shown(song.Lyricist());
  }
  if (broken) {
    Ui().ShowMessage(VideoText::WithArgument(kMsgSongInfoBroken, path), MessageKind::Plain);
    return {};
  }
  return card;
}

void TitleCard::FillFrom(const SongCredits& credits) {
  if (title.empty()) title = credits.title;
  if (composer.empty()) composer = credits.composer;
  if (lyricist.empty()) lyricist = credits.lyricist;
  if (artist.empty()) artist = credits.artist;
}

}  // namespace crx
