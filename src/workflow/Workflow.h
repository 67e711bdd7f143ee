#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "audio/MixSong.h"
#include "foundation/AppSettings.h"
#include "lyrics/CVocaloid.h"
#include "video/SongCredits.h"
#include "workflow/OutsidePrograms.h"
#include "workflow/StepMachine.h"
#include "workflow/WorkflowUser.h"

namespace crx {

class XfKaraokeData;

// The nine steps from a karaoke file to a sung song, by hand one at a time
// or all at once, and the state that passes between them: the files each
// step makes, the loaded song and its syllables. What a step needs from the
// user it asks through the WorkflowUser; what it has to say it reports as
// diagnostics. A run can be stopped from any thread (a signal handler
// included): the programs it started are stopped and what it had not
// finished is removed.
class Workflow {
 public:
  static constexpr std::string_view kFinishedMessage = "処理が終了しました。";
  static constexpr std::string_view kMsgSameAsKaraokeName =
      "元のmidiファイルと同じ名前は指定できません。";
  static constexpr std::string_view kMsgSameFileName = "同じファイル名は使用できません。";
  // The message followed by the file that clashes, on a line of its own.
  static std::string SameFileNameMessage(const std::string& path);
  // What the accompaniment of the manual steps adds to the song's name.
  static constexpr std::string_view kAccompanimentSuffix = "_伴奏";
  // What the proposed vocal MIDI file adds to the song's name.
  static constexpr std::string_view kVocalMidiSuffix = "_歌声";
  // The automatic run names its intermediate files itself, beside the
  // karaoke file.
  static constexpr std::string_view kVocalMidiName = "out.mid";
  static constexpr std::string_view kAccompanimentName = "acc.wav";
  static constexpr std::string_view kWavEnding = ".wav";
  static constexpr std::string_view kTemporaryMidiEnding = "_tmp.mid";
  static constexpr std::string_view kMp3Ending = ".mp3";
  static constexpr std::string_view kVideoEnding = ".wmv";

  // The modes, as the settings keep them.
  enum Mode { kManual = 0, kWav = 1, kMp3 = 2, kVideo = 3 };
  static constexpr int kModeCount = 4;

  static constexpr int kMelodyChannel = 0;
  // Left out of the accompaniment with the melody (MIDI channel 11).
  static constexpr int kRhythmChannel = 10;

  // settings: the settings of the session, read and changed by the steps.
  Workflow(OutsidePrograms programs, AppSettings& settings, std::string startFolder,
           std::string workFolder, WorkflowUser& user);
  ~Workflow();
  Workflow(const Workflow&) = delete;
  Workflow& operator=(const Workflow&) = delete;

  // --- manual mode --------------------------------------------------------
  // Runs one step (its execute or redo button). True when it succeeded;
  // false when it failed, was cancelled, stopped or may not run now.
  bool RunStep(Step step);
  // The file a step made that its edit button opens.
  std::string EditedFile(Step step) const;
  // The file a step makes (steps 2 and 9 make none: empty), named after the
  // files of the steps before it.
  std::string MadeFile(Step step) const;

  // --- the automatic run --------------------------------------------------
  // The whole chain in the mode of the settings, then the deletions the
  // delete flags ask for. The path of the run's product (mix, MP3 or video)
  // when it was made, else empty.
  std::string RunAutomatic();
  // Texts given for this run's MP3 tags, before the karaoke file's.
  void SetGivenCredits(SongCredits credits) { given_ = std::move(credits); }
  // The channel a headless run was told to sing; none: the song's own.
  void SetGivenMelodyChannel(std::optional<int> channel) { givenMelodyChannel_ = channel; }
  // Told the step the automatic run is at, as it begins it.
  void SetStepListener(std::function<void(Step)> listener) { onStep_ = std::move(listener); }

  // --- stopping -------------------------------------------------------------
  // Asks the running step or run to stop as soon as it can; safe from a
  // signal handler. A later run starts afresh.
  void RequestStop() { stop_.store(true); }
  // What our singer is told of the voice chosen in the settings
  // ({"--voice", "male"}; none: it chooses by the melody's range).
  void SetVoiceArguments(std::vector<std::string> arguments) {
    voiceArguments_ = std::move(arguments);
  }
  bool StopRequested() const { return stop_.load(); }
  // Whether the last step or run ended because it was stopped.
  bool Interrupted() const { return interrupted_; }

  // --- the state ------------------------------------------------------------
  // Sets the mode (kManual or an automatic one) and starts again at step 1.
  void SetMode(int mode);
  StepMachine Machine() const;
  // Called (from the thread that works) whenever the machine changed.
  void SetChangeListener(std::function<void()> listener);
  // Called (from the thread that works) with the progress of the outside
  // program running: 0 to 100 percent while one that reports it runs, and
  // ProgramWatch::kNoProgress as one that does not starts and as one that
  // does ends.
  void SetProgressListener(std::function<void(int percent)> listener);

  const std::string& StartFolder() const { return startFolder_; }
  const std::string& WorkFolder() const { return workFolder_; }
  const OutsidePrograms& Programs() const { return programs_; }
  AppSettings& Settings() { return settings_; }
  std::string& KaraokeMidiPath() { return karaokeMidiPath_; }
  std::string& VocalMidiPath() { return vocalMidiPath_; }
  std::string& VocalWavPath() { return vocalWavPath_; }
  std::string& AccompanimentWavPath() { return accompanimentWavPath_; }
  std::string& MixWavPath() { return mixWavPath_; }
  std::string& VideoPath() { return videoPath_; }
  XfKaraokeData* Song() { return song_.get(); }
  CVocaloid& Vocaloid() { return vocaloid_; }
  int MelodyChannel() const { return melodyChannel_; }
  const std::string& MelodyChannelNote() const { return melodyChannelNote_; }
  int Transpose() const { return transpose_; }
  int FirstTempo() const { return firstTempo_; }

  // The file naming between the steps.
  std::string VocalWavPathFor(const std::string& vocalMidiPath) const;
  std::string AccompanimentWavPathFor(const std::string& vocalMidiPath) const;
  std::string TemporaryMidiPath() const;

  // The parts of the steps, shared by both modes.
  // Reads the karaoke file anew; choose shows the melody range.
  bool LoadKaraokeMidi(const MelodyRangeChooser& choose);
  bool WriteVocalMidiFile();
  // Asks for the singing-voice program while its path names no file; false
  // when the user cancels.
  bool EnsureVoiceProgram();
  bool RenderVocalWav();
  // Takes channels 0 and 10 out of the song, writes it beside the karaoke
  // file and has the renderer make the accompaniment WAV.
  bool RenderAccompanimentWav();
  // Deletes the files whose delete flags are 1.
  void RemoveFlaggedFiles();

 private:
  template <typename Change>
  void Transition(Change change);
  bool Stopping() const { return stop_.load(); }
  // A path the user chose, if it fits the settings' path fields.
  static std::optional<std::string> Fitting(std::optional<std::string> path);
  bool RunManualStep(Step step);
  std::string Interrupt();
  std::string FinishAutomatic(std::string product = {});
  void StopProgramsLeftRunning();

  OutsidePrograms programs_;
  AppSettings& settings_;
  std::string startFolder_;
  std::string workFolder_;
  WorkflowUser& user_;

  std::string karaokeMidiPath_;
  std::string vocalMidiPath_;
  std::string vocalWavPath_;
  std::string accompanimentWavPath_;
  std::string mixWavPath_;
  std::string videoPath_;
  std::unique_ptr<XfKaraokeData> song_;
  CVocaloid vocaloid_;
  int melodyChannel_ = kMelodyChannel;
  std::optional<int> givenMelodyChannel_;
  std::string melodyChannelNote_;
  int transpose_ = 0;
  // The first tempo before any song was loaded: the MIDI default.
  int firstTempo_ = static_cast<int>(kDefaultFirstTempo);
  SongCredits given_;
  std::function<void(Step)> onStep_;

  mutable std::mutex mutex_;  // guards machine_, the listeners and leftRunning_
  StepMachine machine_;
  std::vector<std::string> voiceArguments_;
  std::function<void()> listener_;
  std::function<void(int percent)> progressListener_;
  std::vector<int> leftRunning_;  // programs still running after their wait

  std::atomic<bool> stop_{false};
  bool interrupted_ = false;
  // The files the running automatic run named as its intermediates, and
  // products not finished yet: removed when it is stopped.
  std::vector<std::string> intermediates_;
  std::vector<std::string> unfinished_;
};

}  // namespace crx
