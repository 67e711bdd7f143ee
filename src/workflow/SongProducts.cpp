#include "workflow/SongProducts.h"

#include <optional>
#include <span>

#include "audio/LoudnessLeveler.h"
#include "audio/TemporaryFile.h"
#include "foundation/AppSettings.h"
#include "foundation/FileHelpers.h"
#include "karaoke/XfKaraokeData.h"
#include "platform/UiServices.h"
#include "video/LyricSheet.h"
#include "video/SyncedLyrics.h"
#include "workflow/Mp3Tagger.h"

namespace crx {
namespace {

void Tell(std::string_view message, const std::string& path) {
  Ui().ShowMessage(FillMessage(message, path), MessageKind::Plain);
}

// The sound the encoders get: the mixed WAV itself, or its leveled copy in
// a temporary file beside it, removed with this object.
class LeveledSound {
 public:
  LeveledSound(const std::string& mixWavPath, int32_t loudnessTenths) : mix_(mixWavPath) {
    double lufs = 0;
    if (!SongProducts::LoudnessTarget(loudnessTenths, lufs)) {
      ready_ = true;
      return;
    }
    copy_.emplace(mixWavPath);
    LoudnessLeveler leveler(lufs);
    ready_ = copy_->Created() && leveler.Level(mixWavPath, copy_->Path());
    if (!ready_) Tell(SongProducts::kLevelFailedMessage, mixWavPath);
  }
  bool Ready() const { return ready_; }
  const std::string& Path() const { return copy_ ? copy_->Path() : mix_; }

 private:
  std::string mix_;
  std::optional<TemporaryFile> copy_;
  bool ready_ = false;
};

bool WriteLrc(const std::string& path, const std::string& text) {
  TemporaryFile file(path);
  const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  if (!file.Created() || !WriteRecord(file.Path(), bytes, false) || !file.Commit()) {
    Tell(SongProducts::kLrcFailedMessage, path);
    return false;
  }
  return true;
}

}  // namespace

SongProducts::SongProducts(const OutsidePrograms& programs, int32_t loudnessTenths)
    : programs_(programs), loudness_(loudnessTenths) {}

bool SongProducts::LoudnessTarget(int32_t loudnessTenths, double& lufs) {
  if (loudnessTenths == AppSettings::kLoudnessOff) return false;
  lufs = static_cast<double>(loudnessTenths) / AppSettings::kLoudnessTenths;
  // A record from elsewhere may hold anything: out of range is the default.
  if (lufs < LoudnessLeveler::kMinTargetLufs || lufs > LoudnessLeveler::kMaxTargetLufs) {
    lufs = LoudnessLeveler::kDefaultTargetLufs;
  }
  return true;
}

std::string SongProducts::LrcPathFor(const std::string& mp3Path) {
  std::string path = mp3Path;
  RemoveExtension(path);
  return path + std::string(kLrcEnding);
}

SongCredits SongProducts::CreditsFor(const std::string& karaokePath) const {
  SongCredits credits = given_;
  credits.FillFrom(SongCredits::FromKaraoke(XfKaraokeData(karaokePath)));
  return credits;
}

SyncedLyrics SongProducts::LyricsOf(const std::string& karaokePath) {
  const XfKaraokeData song(karaokePath);
  if (song.ImageSize() == 0 || song.MainTrack().Empty()) return {};
  // As the video wipes them: from the song's first note, which the mix
  // starts with.
  return SyncedLyrics::FromSheet(LyricSheet::FromSong(song, 0));
}

bool SongProducts::MakeMp3(const std::string& encoderPath, const std::string& mixWavPath,
                           const std::string& mp3Path, const std::string& karaokePath) const {
  bool finished = false;
  {
    const LeveledSound sound(mixWavPath, loudness_);
    if (!sound.Ready()) return false;
    if (!programs_.EncodeMp3(encoderPath, sound.Path(), mp3Path, &finished)) return false;
  }
  // An encoder still writing is left to finish its file undisturbed.
  if (!finished) {
    Tell(kEncoderRunningMessage, mp3Path);
    return true;
  }
  const SyncedLyrics lyrics = LyricsOf(karaokePath);
  const SongCredits credits = CreditsFor(karaokePath);
  Mp3Tagger::Write(mp3Path, credits, lyrics);
  const std::string lrc = LrcPathFor(mp3Path);
  if (lyrics.Empty()) {
    RemoveFile(lrc);  // an earlier run's lines are not this song's
  } else {
    WriteLrc(lrc, lyrics.EnhancedLrc(credits));
  }
  return true;
}

bool SongProducts::MakeVideo(const std::string& mixWavPath, const std::string& karaokePath,
                             const std::string& videoPath, const std::string& backgroundPath,
                             const std::string& songInfoPath,
                             OutsidePrograms::VideoCheck check) const {
  const LeveledSound sound(mixWavPath, loudness_);
  if (!sound.Ready()) return false;
  return programs_.MakeVideo(sound.Path(), karaokePath, videoPath, backgroundPath, songInfoPath,
                             check);
}

}  // namespace crx
