#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "video/SongCredits.h"
#include "workflow/OutsidePrograms.h"

namespace crx {

class SyncedLyrics;

// The finished products of a mixed song, as the MP3 step, the video step
// and the automatic run make them: the sound brought to the loudness of the
// settings on its way into the encoder (the mixed WAV stays as it is), and
// the MP3 tagged with the song's credits and lyrics, with an enhanced LRC
// file beside it.
class SongProducts {
 public:
  static constexpr std::string_view kLrcEnding = ".lrc";
  static constexpr std::string_view kLevelFailedMessage = "%sの音量をそろえられませんでした。";
  static constexpr std::string_view kLrcFailedMessage = "%sを書けませんでした。";
  static constexpr std::string_view kEncoderRunningMessage =
      "MP3エンコーダーが終わらないので、%sにタグと歌詞を付けませんでした。";

  // loudnessTenths: the target in tenths of LUFS, or AppSettings::kLoudnessOff.
  SongProducts(const OutsidePrograms& programs, int32_t loudnessTenths);
  // The programs are held by reference: a temporary would be gone before use.
  SongProducts(OutsidePrograms&& programs, int32_t loudnessTenths) = delete;

  // Texts given for this run: they go before the karaoke file's.
  void SetGivenCredits(SongCredits credits) { given_ = std::move(credits); }

  // Levels, encodes, then tags the MP3 and writes the LRC file. True when
  // the encoder made the MP3 (a tag or LRC file that could not be written is
  // told, and the MP3 stays as the encoder wrote it).
  bool MakeMp3(const std::string& encoderPath, const std::string& mixWavPath,
               const std::string& mp3Path, const std::string& karaokePath) const;
  // Levels, then has the video maker make the video of the leveled sound.
  bool MakeVideo(const std::string& mixWavPath, const std::string& karaokePath,
                 const std::string& videoPath, const std::string& backgroundPath,
                 const std::string& songInfoPath, OutsidePrograms::VideoCheck check) const;

  // The credits of the run: the given texts, else the karaoke file's.
  SongCredits CreditsFor(const std::string& karaokePath) const;
  // The sung lines of the karaoke file, timed from the mix's first sample.
  static SyncedLyrics LyricsOf(const std::string& karaokePath);
  // The MP3's path with ".lrc" for its extension.
  static std::string LrcPathFor(const std::string& mp3Path);
  // The loudness of the settings, or none when off or out of range.
  static bool LoudnessTarget(int32_t loudnessTenths, double& lufs);

 private:
  const OutsidePrograms& programs_;
  int32_t loudness_;
  SongCredits given_;
};

}  // namespace crx
