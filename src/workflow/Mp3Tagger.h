#pragma once

#include <string>
#include <string_view>

namespace crx {

struct SongCredits;
class SyncedLyrics;

// Writes the tags of a finished MP3: ID3v2.4 title, artist, lyricist,
// composer and year, and the lyrics as plain text (USLT) and timed by the
// syllable (SYLT, milliseconds from the first sample). Frames of these kinds
// that the file already has are replaced, others kept; an ID3v1 or APE tag is
// dropped. The tagged file is made as a copy and renamed over the MP3, so a
// failure leaves the encoder's file as it was.
class Mp3Tagger {
 public:
  static constexpr std::string_view kLyricsLanguage = "jpn";
  static constexpr std::string_view kNotMp3Message =
      "%sはMP3ファイルではないので、タグを書けませんでした。";
  static constexpr std::string_view kTagFailedMessage = "%sにタグを書けませんでした。";

  // True when the file starts as an MP3 does (an ID3v2 tag or an MPEG audio
  // frame) and its audio can be read.
  static bool IsMp3(const std::string& path);
  // After a message naming the file on failure.
  static bool Write(const std::string& mp3Path, const SongCredits& credits,
                    const SyncedLyrics& lyrics);
};

}  // namespace crx
