#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "app/VocalPipeline.h"
#include "video/SongCredits.h"

namespace crx {

class CCantorixDlg;

// The automatic run of the main dialog: the whole chain of steps from one
// karaoke file, naming every intermediate file itself. In mode 1 it ends
// with the mixed WAV, in mode 2 with an MP3, in mode 3 with a video; then it
// deletes the files chosen by the delete flags.
class CFullAutoRun {
 public:
  static constexpr std::string_view kFinishedMessage = "処理が終了しました。";
  static constexpr std::string_view kVocalMidiName = "out.mid";
  static constexpr std::string_view kAccompanimentName = "acc.wav";

  enum Mode { kWav = 1, kMp3 = 2, kVideo = 3 };

  // The stages of a run, as the rows of the main dialog name them (0 = step
  // 1 ... 8 = step 9).
  using StepListener = std::function<void(int step)>;

  // choose: the melody range (empty: the melody-range dialog).
  explicit CFullAutoRun(CCantorixDlg& dialog, MelodyRangeChooser choose = {});

  // Makes the full-auto button of the dialog start this kind of run.
  static void Install(CCantorixDlg& dialog, MelodyRangeChooser choose = {});
  // The button: starts RunFullAuto on the dialog's worker thread and shows
  // kFinishedMessage when it returns, whatever the outcome. Returns at once;
  // false when a worker was already running.
  static bool OnFullAuto(CCantorixDlg& dialog, MelodyRangeChooser choose = {});

  void SetStepListener(StepListener listener) { onStep_ = std::move(listener); }
  // Texts given for this run's MP3 tags, before the karaoke file's.
  void SetGivenCredits(SongCredits credits) { given_ = std::move(credits); }

  // The whole run on the calling thread. Returns the path of the run's
  // product (mixed WAV, MP3 or video) when it was made, else empty.
  std::string RunFullAuto();

 private:
  void Step(int step) const;
  // Ends the run: the timer stopped, the status line emptied; with
  // reenable, the full-auto button enabled again.
  std::string Finish(bool reenable, std::string product = {});

  CCantorixDlg& dialog_;
  MelodyRangeChooser choose_;
  StepListener onStep_;
  SongCredits given_;
};

}  // namespace crx
