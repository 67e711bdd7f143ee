#pragma once

#include <string>

namespace crx {

// The opening card of the video: the song's title and its composer and
// lyricist, as UTF-8, from the song-information file.
struct TitleCard {
  std::string title;
  std::string composer;
  std::string lyricist;

  bool Empty() const { return title.empty() && composer.empty() && lyricist.empty(); }

  // The card of the song-information file at path; an empty card when the
  // file is missing, or, after a message, when it cannot be read.
  static TitleCard FromSongInfo(const std::string& path);
};

}  // namespace crx
