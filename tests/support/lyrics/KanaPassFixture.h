#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "karaoke/XfKaraokeData.h"
#include "support/karaoke/XfFileBuilder.h"
#include "support/platform/TempFolder.h"

namespace crx::test {

// Rows of a dictionary, written as UTF-8 pairs.
using DictionaryRows = std::vector<std::pair<std::string, std::string>>;

// Writes a two-column list file in CP932 with CR LF line ends.
void WriteDictionary(const std::string& path, const DictionaryRows& rows);

// Writes the song of the builder into the folder and reads it back.
std::unique_ptr<XfKaraokeData> LoadSong(const XfFileBuilder& builder, const TempFolder& folder);

// The texts of the song's lyric events in UTF-8 (up to a zero byte), in order.
std::vector<std::string> LyricsUtf8(const XfKaraokeData& song);

// A song whose melody (channel 0) has one note per lyric: lyric k at tick
// 480 * k on a note of 480 ticks.
XfFileBuilder NotePerLyric(const std::vector<std::string>& utf8Lyrics);

}  // namespace crx::test
