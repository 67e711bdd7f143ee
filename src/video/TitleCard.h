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

  // What became of the song-information file.
  enum class Source { None, Missing, Broken, Read };
  struct Reading;

  // The card of the song-information file at path and what became of the
  // file: no path (None); missing (Missing, after a message); of an unknown
  // size or damaged (Broken, after one message of ours in place of the
  // reader's); read (Read). Only a file that was read gives texts.
  static Reading ReadSongInfo(const std::string& path);
  // The card alone.
  static TitleCard FromSongInfo(const std::string& path);
};

struct TitleCard::Reading {
  TitleCard card;
  Source source = Source::None;
};

}  // namespace crx
