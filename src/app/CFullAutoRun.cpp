#include "app/CFullAutoRun.h"

#include <utility>

#include "app/CCantorixDlg.h"
#include "app/CVideoDlg.h"
#include "app/OutsidePrograms.h"
#include "app/SongProducts.h"
#include "audio/MixSettings.h"
#include "audio/MixSong.h"
#include "foundation/FileHelpers.h"
#include "foundation/FixedField.h"
#include "karaoke/XfKaraokeData.h"
#include "platform/FileChooser.h"
#include "platform/UiServices.h"

namespace crx {
namespace {

// The stages, as rows of the main dialog.
enum Stage {
  kLoad = 0,
  kConvert = 1,
  kVocalMidi = 2,
  kVoice = 3,
  kAccompaniment = 4,
  kMix = 5,
  kMp3Stage = 6,
  kVideoStage = 7,
  kRemove = 8
};

std::string WithoutExtension(std::string path) {
  RemoveExtension(path);
  return path;
}

}  // namespace

CFullAutoRun::CFullAutoRun(CCantorixDlg& dialog, MelodyRangeChooser choose)
    : dialog_(dialog), choose_(std::move(choose)) {}

void CFullAutoRun::Install(CCantorixDlg& dialog, MelodyRangeChooser choose) {
  dialog.SetFullAutoHandler(
      [choose = std::move(choose)](CCantorixDlg& d) { OnFullAuto(d, choose); });
}

bool CFullAutoRun::OnFullAuto(CCantorixDlg& dialog, MelodyRangeChooser choose) {
  return dialog.StartWorker([&dialog, choose = std::move(choose)] {
    CFullAutoRun run(dialog, choose);
    run.RunFullAuto();
    Ui().ShowMessage(kFinishedMessage, MessageKind::Plain);
  });
}

void CFullAutoRun::Step(int step) const {
  if (onStep_) onStep_(step);
}

std::string CFullAutoRun::Finish(bool reenable, std::string product) {
  if (reenable) dialog_.EnableFullAuto(true);
  dialog_.StopProgress();
  return product;
}

std::string CFullAutoRun::RunFullAuto() {
  CCantorixDlg& d = dialog_;
  AppSettings& settings = d.Settings();
  const int mode = settings.mode;
  d.StartProgress();

  if (!d.EnsureVoiceProgram()) return Finish(false);

  std::string karaoke;
  if (!SelectOpenFile(CCantorixDlg::kKaraokeExtension, CCantorixDlg::kKaraokeFilter, karaoke)) {
    return Finish(false);
  }
  if (!FitsPathField(karaoke)) {
    ReportPathTooLong(karaoke);
    return Finish(false);
  }
  d.KaraokeMidiPath() = karaoke;
  Step(kLoad);
  // The load has told what went wrong; without a song nothing is written.
  if (!d.LoadKaraokeMidi(choose_)) return Finish(false);

  const std::string folder = GetFolderOfPath(karaoke);
  d.VocalMidiPath() = JoinPath(folder, kVocalMidiName);
  d.AccompanimentWavPath() = JoinPath(GetFolderOfPath(d.VocalMidiPath()), kAccompanimentName);
  const std::string mixPath = WithoutExtension(karaoke) + std::string(CCantorixDlg::kWavEnding);
  // This run's vocal WAV is the folder's out.wav, named only after the
  // singer ends: compare with it, not with an earlier run's.
  const std::string vocalWav = d.VocalWavPathFor(d.VocalMidiPath());
  if (mixPath == vocalWav || mixPath == d.AccompanimentWavPath()) {
    Ui().ShowMessage(CCantorixDlg::kMsgSameFileName, MessageKind::Plain);
    return Finish(false);
  }
  d.EnableFullAuto(false);

  Step(kConvert);
  std::vector<std::string> reviewLines;
  VocalPipeline::ConvertLyrics(*d.Song(), d.Vocaloid(), d.MelodyChannel(), d.StartFolder(),
                               reviewLines);

  Step(kVocalMidi);
  if (!d.WriteVocalMidiFile()) return Finish(true);

  Step(kVoice);
  d.VocalWavPath() = vocalWav;
  if (!d.RenderVocalWav()) return Finish(true);

  Step(kAccompaniment);
  if (!d.RenderAccompanimentWav()) return Finish(true);

  Step(kMix);
  if (!MixSong(d.VocalWavPath(), d.AccompanimentWavPath(), mixPath, MixSettings::From(settings),
               static_cast<uint32_t>(d.FirstTempo()), ReadFixedField(settings.voiceProgramPath))) {
    return Finish(true);
  }
  d.MixWavPath() = mixPath;
  std::string product = mixPath;

  SongProducts products(d.Programs(), settings.loudness);
  products.SetGivenCredits(given_);
  if (mode == kMp3) {
    Step(kMp3Stage);
    product = WithoutExtension(mixPath) + std::string(CCantorixDlg::kMp3Ending);
    if (!products.MakeMp3(ReadFixedField(settings.mp3EncoderPath), mixPath, product, karaoke)) {
      return Finish(true);
    }
  } else if (mode == kVideo) {
    Step(kVideoStage);
    d.VideoPath() = WithoutExtension(mixPath) + std::string(CCantorixDlg::kVideoEnding);
    product = d.VideoPath();
    CVideoDlg video(mixPath, karaoke, settings.videoBackgroundPath, d.VideoPath(), d.WorkFolder());
    Ui().RunModal(video);
    if (!products.MakeVideo(mixPath, karaoke, d.VideoPath(),
                            ReadFixedField(settings.videoBackgroundPath), video.SongInfoPath(),
                            OutsidePrograms::VideoCheck::Repeated)) {
      return Finish(true);
    }
  }

  Step(kRemove);
  d.RemoveFlaggedFiles();
  return Finish(true, FileExists(product) ? product : std::string());
}

}  // namespace crx
