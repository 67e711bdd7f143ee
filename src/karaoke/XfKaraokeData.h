#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "foundation/ModuleReporter.h"
#include "karaoke/KaraokeKind.h"
#include "midi/MidiFormat0Data.h"
#include "midi/MidiTrackData.h"

namespace crx {

// A karaoke MIDI file in the XF manner: a format 0 file whose "MTrk" chunk is
// followed by an "XFIH" chunk (information header, carried unchanged) and an
// "XFKM" chunk (the lyrics as lyric meta events in CP932). The main track is
// the format 0 track, kept in form 2 (notes) after reading.
//
// KaraokeFileLoader also builds songs of this model from other kinds of
// files (Assemble): the main track then holds every channel of the file as
// one track and the lyric track the lyrics in CP932, as "XFKM" would.
class XfKaraokeData : public MidiFormat0Data {
 public:
  static constexpr std::string_view kTag = "XFDT";
  static constexpr uint32_t kNotKaraoke = 0x2F000001;
  static constexpr uint32_t kInternal = 0x2F000002;
  static constexpr uint32_t kNoMasterVolume = 0x2F000003;
  static constexpr uint32_t kNoLyrics = 0x2F000004;
  static constexpr std::string_view kDefaultMessage =
      "カラオケ用MIDIファイルでエラーが発生しました。";

  // Reads the whole file and runs Read. A file that cannot be read, or no
  // path chosen (empty), leaves the object empty (image size 0).
  explicit XfKaraokeData(const std::string& path = {});
  // Takes the bytes as the image (cut at the capacity) without reading them;
  // the path is only remembered.
  XfKaraokeData(std::span<const uint8_t> bytes, const std::string& path);

  // 1 when the main track and the "XFIH" chunk were read, else 0. A file
  // without "XFKM" gives 1 after the message, with no lyric track. A song
  // built by Assemble is not read again: 1 when it has a lyric track.
  int Read();
  // Makes the song from tracks read elsewhere: the main track (put in form 2
  // here when it is in form 1) and the lyric track (form 1, CP932). There is
  // no "XFIH" chunk afterwards.
  void Assemble(KaraokeKind kind, int division, std::unique_ptr<MidiTrackData> main,
                std::unique_ptr<MidiTrackData> lyrics);
  // Writes the karaoke file to the path (nothing without one): the main track,
  // the "XFIH" chunk when the song has one, the lyric track as "XFKM". The
  // object stays usable as before. True when every chunk was written and the
  // file saved.
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

  // The kind of file the song came from (Xf unless Assemble said otherwise).
  KaraokeKind Kind() const { return kind_; }
  // Title lines a file carries apart from its lyrics (the "@T" lines of a
  // .kar file: title, artist, copyright), in CP932; empty for other kinds.
  const std::vector<std::string>& TitleLines() const { return titleLines_; }
  void SetTitleLines(std::vector<std::string> lines) { titleLines_ = std::move(lines); }
  // The channel (0-15) whose notes shared the lyrics' track in a format 1
  // file, or -1 when the lyrics had no track of their own with notes.
  int LyricSourceChannel() const { return lyricSourceChannel_; }
  void SetLyricSourceChannel(int channel) { lyricSourceChannel_ = channel; }

  static ModuleReporter& Reporter();

 private:
  // The chunk id at the position, empty when fewer than 4 bytes remain.
  std::string ChunkIdAt(size_t position) const;

  std::string path_;
  std::vector<uint8_t> xfihRaw_;
  std::unique_ptr<MidiTrackData> xfihTrack_;
  std::unique_ptr<MidiTrackData> lyrics_;
  KaraokeKind kind_ = KaraokeKind::Xf;
  bool assembled_ = false;
  std::vector<std::string> titleLines_;
  int lyricSourceChannel_ = -1;
};

}  // namespace crx
