#pragma once

#include <string>
#include <vector>

namespace crx {

// Lyricreel [--size WxH] [--offset-ms N]
//           MIXED.wav KARAOKE.mid VIDEO BACKGROUND SONG_INFO START_FOLDER
// The karaoke video of a mixed WAV: the background image for the WAV's whole
// length with the WAV as its sound, a title card from the song-information
// file, then the karaoke file's lyrics two lines at a time, wiped in time.
// Messages go to standard error, progress in percent too. 0 when VIDEO was
// written.
int RunLyricreelCommand(const std::vector<std::string>& args);

}  // namespace crx
