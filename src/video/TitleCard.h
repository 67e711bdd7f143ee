#pragma once

#include <string>

namespace crx {

struct SongCredits;

// The opening card of the video: the song's title, its composer, lyricist
// and singer, as UTF-8, from the song-information file.
struct TitleCard {
  std::string title;
  std::string composer;
  std::string lyricist;
  std::string artist;

  bool Empty() const {
    return title.empty() && composer.empty() && lyricist.empty() && artist.empty();
  }
  // Every text that is empty here takes the credits'.
  void FillFrom(const SongCredits& credits);

  // The card of the song-information file at path; an empty card when the
  // file is missing, or, after a message, when it cannot be read.
  static TitleCard FromSongInfo(const std::string& path);
};

}  // namespace crx
