#include "support/lyrics/KanaPassFixture.h"

#include <gtest/gtest.h>

#include "lyrics/LyricEvent.h"
#include "platform/TextCodec.h"

namespace crx::test {

void WriteDictionary(const std::string& path, const DictionaryRows& rows) {
  std::string bytes;
  for (const auto& [written, reading] : rows) {
    bytes += XfFileBuilder::Cp932(written) + "," + XfFileBuilder::Cp932(reading) + "\r\n";
  }
  WriteFileBytes(path, bytes);
}

std::unique_ptr<XfKaraokeData> LoadSong(const XfFileBuilder& builder, const TempFolder& folder) {
  auto song = std::make_unique<XfKaraokeData>(builder.WriteTo(folder.File("song.mid")));
  EXPECT_NE(song->LyricTrack(), nullptr);
  return song;
}

std::vector<std::string> LyricsUtf8(const XfKaraokeData& song) {
  std::vector<std::string> out;
  const MidiTrackData* lyrics = song.LyricTrack();
  if (lyrics == nullptr) return out;
  for (const MidiEvent& e : lyrics->Events()) {
    if (LyricEvent::IsLyric(e)) out.push_back(TextCodec::Cp932ToUtf8Lossy(LyricEvent::Text(e)));
  }
  return out;
}

XfFileBuilder NotePerLyric(const std::vector<std::string>& utf8Lyrics) {
  XfFileBuilder b;
  b.Tempo(0, 500000);
  for (size_t k = 0; k < utf8Lyrics.size(); ++k) {
    auto tick = static_cast<uint32_t>(480 * k);
    b.Note(tick, 0, 60, 100, 480).LyricUtf8(tick, utf8Lyrics[k]);
  }
  return b;
}

}  // namespace crx::test
