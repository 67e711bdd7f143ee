#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/ModuleReporter.h"
#include "midi/MidiFormat0Data.h"
#include "midi/MidiTrackData.h"

namespace crx {

// A karaoke MIDI file in the XF manner: a format 0 file whose "MTrk" chunk is
// followed by an "XFIH" chunk (information header, carried unchanged) and an
// "XFKM" chunk (the lyrics as lyric meta events in CP932). The main track is
// the format 0 track, kept in form 2 (notes) after reading.
class XfKaraokeData : public MidiFormat0Data {
 public:
  static constexpr std::string_view kTag = "XFDT";
  static constexpr uint32_t kNotKaraoke = 0x2F000001;
  static constexpr uint32_t kInternal = 0x2F000002;
  static constexpr uint32_t kNoMasterVolume = 0x2F000003;
  static constexpr std::string_view kDefaultMessage =
      "カラオケ用MIDIファイルでエラーが発生しました。";

  // Reads the whole file (asks for one with "SMF files|*.mid|" when the path
  // is empty) and runs Read. A file that cannot be read leaves the object
  // empty (image size 0).
  explicit XfKaraokeData(const std::string& path = {});

  // 1 when the main track and the "XFIH" chunk were read, else 0. A file
  // without "XFKM" gives 1 after the message, with no lyric track.
  int Read();
  // Writes the karaoke file to the path (asks when empty). The object stays
  // usable as before. True when every chunk was written and the file saved.
  bool Write(const std::string& path = {});

  // Replaces every base character that has a ruby reading by the reading:
  // 漢[かん] becomes かん.
  void StripRuby();
  // 1 when every lyric text is made of single-byte characters (the pair
  // 0x81 0x7C tolerated), else 0.
  int IsSingleByteLyrics() const;

  static std::string StripRubyText(std::string_view cp932);
  static bool IsSingleByteText(std::string_view cp932);

  MidiTrackData& MainTrack() { return Track(); }
  const MidiTrackData& MainTrack() const { return Track(); }
  // The "XFKM" track, or null when the file had none.
  MidiTrackData* LyricTrack() { return lyrics_.get(); }
  const MidiTrackData* LyricTrack() const { return lyrics_.get(); }
  // The raw "XFIH" chunk (header and body) as read.
  const std::vector<uint8_t>& XfihChunk() const { return xfihRaw_; }
  const MidiTrackData* XfihTrack() const { return xfihTrack_.get(); }
  const std::string& Path() const { return path_; }

  static ModuleReporter& Reporter();

 private:
  // The chunk id at the position, empty when fewer than 4 bytes remain.
  std::string ChunkIdAt(size_t position) const;

  std::string path_;
  std::vector<uint8_t> xfihRaw_;
  std::unique_ptr<MidiTrackData> xfihTrack_;
  std::unique_ptr<MidiTrackData> lyrics_;
};

}  // namespace crx
