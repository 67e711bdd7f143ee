#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "app/CResultDlg.h"
#include "app/RecentFiles.h"
#include "platform/DialogModel.h"
#include "platform/FileChooser.h"
#include "workflow/OutsidePrograms.h"
#include "workflow/SettingsSession.h"
#include "workflow/Workflow.h"
#include "workflow/WorkflowUser.h"

namespace crx {

// The main dialog of Cantorix: nine numbered steps that turn a karaoke MIDI
// file into a sung song, by hand or all at once. The class holds every
// control as data (id, caption, text, enabled state), which follow from
// where the Workflow stands, and answers the Workflow's questions with the
// step dialogs; a window shows the controls and forwards clicks to Click(),
// and drives the progress timer.
//
// Any thread may read the controls; the steps run on the thread that clicks,
// except step 3 and the automatic run, which run on a worker thread owned
// by the dialog (joined before it closes).
class CCantorixDlg : public DialogModel, private WorkflowUser {
 public:
  static constexpr int kResourceId = 102;
  static constexpr std::string_view kCaption = "歌声・伴奏合成ツール";
  static constexpr int kStepCount = crx::kStepCount;

  enum class ControlKind { Description, Execute, Redo, Edit, ModeBox, Button, StatusLine };
  // One row of the dialog: its label, its read-only description field and
  // its buttons (0: the row has no such button).
  struct StepRow {
    std::string_view label;
    int descriptionId;
    int executeId;
    int redoId;
    int editId;
    std::string_view description;
  };
  // Rows 0-8 are steps 1-9, row 9 the automatic run.
  static constexpr std::array<StepRow, kStepCount + 1> kRows = {{
      {"STEP 1", 1000, 1001, 1013, 0, "カラオケ用のmidiファイルを読み込みます。"},
      {"STEP 2", 1002, 1003, 1015, 0, "歌詞の修正と確認を行います。"},
      {"STEP 3", 1004, 1005, 1016, 0, "歌声用のmidiを出力します。"},
      {"STEP 4", 1006, 1007, 1017, 1023, "外部ソフトを使用して歌声用WAVを生成します。"},
      {"STEP 5", 1008, 1009, 1018, 1024, "伴奏用WAVを生成します。"},
      {"STEP 6", 1010, 1011, 1019, 1025, "歌声と伴奏を合成します。"},
      {"STEP 7", 1012, 1014, 1022, 0, "MP3ファイルを作成します。"},
      {"STEP 8", 1020, 1027, 1033, 0, "動画ファイルを作成します。"},
      {"STEP 9", 1030, 1031, 0, 0, "不要ファイルを削除します。"},
      {"全自動", 1026, 1021, 0, 0,
       "全ての処理を自動で行います。外部プログラムが起動したらout."
       "wavという名前でファイルをエクスポートしてください。"},
  }};
  static constexpr int kFullAutoRow = kStepCount;
  static constexpr int kFullAutoId = 1021;
  static constexpr int kModeBoxId = 1028;
  static constexpr int kSettingsId = 1029;
  static constexpr int kHelpId = 1040;
  static constexpr int kCloseId = 1;
  static constexpr int kStatusLineId = 1032;
  static constexpr std::string_view kExecuteCaption = "実行";
  static constexpr std::string_view kRedoCaption = "やりなおし";
  static constexpr std::string_view kEditCaption = "編集";
  static constexpr std::string_view kSettingsCaption = "設定";
  static constexpr std::string_view kHelpCaption = "ヘルプ";
  static constexpr std::string_view kCloseCaption = "終了";
  // The entries of the mode box; the index is the mode kept in the settings.
  static constexpr std::array<std::string_view, 4> kModes = {"手動", "自動(wav)", "自動(mp3)",
                                                             "自動(wmv)"};
  static constexpr int kManualMode = Workflow::kManual;
  static_assert(kModes.size() == Workflow::kModeCount);

  // The about box (system-menu command 16).
  static constexpr int kAboutCommand = 16;
  static constexpr std::string_view kAboutMenuEntry = "バージョン情報 Cantorix(&A)...";
  static constexpr std::string_view kAboutCaption = "バージョン情報 Cantorix";
  static constexpr std::string_view kAboutText = "Cantorix, Version 1.0";

  // The progress indicator: a tick every 500 ms grows a row of asterisks
  // that empties after 48.
  static constexpr int kProgressTimerId = 1;
  static constexpr int kProgressIntervalMs = 500;
  static constexpr size_t kProgressMaxLength = 48;
  static constexpr size_t kStatusReadLimit = 255;

  static constexpr std::string_view kHelpPage = "help/index.html";

  // The file dialogs of the steps.
  // XF karaoke files, Soft Karaoke files and MIDI files with a lyric per note.
  static constexpr std::string_view kKaraokeFilter =
      "カラオケ・歌詞付きMIDIファイル (XF, .kar)|*.mid;*.kar;*.midi|";
  static constexpr std::string_view kKaraokeExtension = "mid";
  static constexpr std::string_view kKaraokeTitle = "カラオケMIDIファイルを開く";
  static constexpr std::string_view kVocalMidiTitle = "歌声用MIDIファイルの保存";
  static constexpr std::string_view kMixTitle = "合成したWAVファイルの保存";
  static constexpr std::string_view kSingerTitle = "歌声合成プログラムを選ぶ";
  static constexpr std::string_view kVocalMidiFilter = "歌声用 midi files|*.mid|";
  static constexpr std::string_view kVocalMidiExtension = "*.mid";
  static constexpr std::string_view kMixFilter = "合成 wave files|*.wav|";
  static constexpr std::string_view kMixExtension = "*.wav";

  // One control as a window shows it.
  struct Control {
    int id;
    ControlKind kind;
    int row;  // the step row (0-9), -1 for the others
    std::string text;
    bool enabled;
  };

  // startFolder: where the companion files and programs lie (by default the
  // folder of the running executable).
  explicit CCantorixDlg(std::string startFolder = {});
  // The outside programs as given (tests use stand-ins); the start folder is
  // theirs.
  explicit CCantorixDlg(OutsidePrograms programs);
  // Waits for a running worker, then shuts down (writes the settings).
  ~CCantorixDlg() override;
  CCantorixDlg(const CCantorixDlg&) = delete;
  CCantorixDlg& operator=(const CCantorixDlg&) = delete;

  const char* DialogName() const override { return "CCantorixDlg"; }
  // Start-up: working folder, default settings with the search for the
  // outside programs, the settings file over them, a fresh Workflow and the
  // mode.
  bool OnInitDialog() override;
  // "終了": refused while a worker thread runs.
  bool OnOK() override;
  void OnCancel() override {}
  // Writes the settings file; runs once.
  void OnDestroy();

  // --- the controls -------------------------------------------------------
  std::vector<Control> Controls() const;
  bool IsEnabled(int id) const;
  // The caption, the description text or the status line.
  std::string Text(int id) const;
  std::string StatusLine() const;
  int ModeSelection() const;
  // Runs the command of a control (a click on an enabled button). Disabled
  // or unknown controls do nothing.
  void Click(int id);
  // A new selection in the mode box.
  void SelectMode(int index);
  // Called (from any thread) whenever the enabled states or the status line
  // changed.
  void SetChangeListener(std::function<void()> listener);
  // Whether the host should drive ProgressTimer() every 500 ms now.
  bool ProgressRunning() const;
  // One tick of the progress timer.
  void ProgressTimer();
  void StartProgress();
  void StopProgress();
  // Waits until the worker thread, if any, has ended.
  void WaitForWorker();
  bool WorkerRunning() const;
  // Asks the running step or automatic run to stop: its programs are
  // stopped and what it had not finished is removed.
  void RequestStop() { flow_->RequestStop(); }
  // The question before leaving during the steps or a run.
  static constexpr std::string_view kQuitQuestion = "作業中です。終了しますか？";
  // A step or run is going, or the manual steps are half way: leaving asks.
  bool WorkInProgress() const { return WorkerRunning() || flow_->Machine().Midway(); }
  // Step 1 with the karaoke file named (dropped on the window) instead of
  // chosen in the file dialog.
  void LoadDroppedKaraoke(const std::string& path);
  // The karaoke files loaded last, newest first.
  std::vector<std::string> RecentKaraokeFiles() const;
  // Step 1 with a file of that list; one that is gone is told of and taken
  // off the list.
  void LoadRecentKaraoke(const std::string& path);

  // --- what the rows show ---------------------------------------------------
  // A finished step's row says so on a line under its description, with the
  // name of the file it made ("完了：ふるさと_歌声.mid").
  static constexpr std::string_view kDoneMark = "完了";
  static constexpr std::string_view kDoneSeparator = "：";
  // What each step's file is, in the list at the end of a run (empty: the
  // step makes nothing to list).
  static constexpr std::array<std::string_view, kStepCount> kMadeKinds = {
      "", "", "歌声用MIDI", "歌声WAV", "伴奏WAV", "合成WAV", "MP3", "動画", ""};
  // The row of the step running now, also within the automatic run; -1: none.
  int RunningRow() const;
  // How far the outside program running now has come (0-100); -1 when it
  // does not tell.
  int ProgressPercent() const;
  // The file name of the loaded song; empty before one is loaded.
  std::string SongFileName() const;
  // The files the last run made that still exist, for the list at its end.
  std::vector<CResultDlg::Entry> MadeFiles() const;
  // The program that opens a file from that list (tests use a stand-in).
  void SetDesktopOpener(std::string program) { opener_ = std::move(program); }

  // --- the commands besides the steps -------------------------------------
  void OnEditSound(Step step);
  void OnSettings();
  void OnHelp();
  std::string HelpPath() const;

  // --- the state ----------------------------------------------------------
  Workflow& Flow() { return *flow_; }
  const std::string& StartFolder() const { return startFolder_; }
  const std::string& WorkFolder() const { return settings_.WorkFolder(); }
  AppSettings& Settings() { return settings_.Values(); }
  const OutsidePrograms& Programs() const { return programs_; }
  std::string SettingsPath() const { return settings_.FilePath(); }

 private:
  struct ControlState {
    bool modeBox = true;
    bool close = true;
    int mode = 0;
    bool progress = false;
    std::string status;
    int runningRow = -1;
    int percent = -1;
    // Dialogs open for the user's answer: the indicator stands still.
    int userTurns = 0;
    std::string song;
    // Per step: the line its row shows once finished, and the file it made
    // in this run (empty: none).
    std::array<std::string, kStepCount> notes;
    std::array<std::string, kStepCount> made;
  };
  class UserTurn;
  // Marks the step's row finished, with the file the step made since
  // startedAt; a new song clears the rows after step 1.
  void StepDone(Step step, std::filesystem::file_time_type startedAt);
  void ClearRowsFrom(int row);
  void SetRunningRow(int row);
  // The list of the files made, headed by the end-of-run message.
  void ShowResults();
  void Changed();
  // A file of the program's own in the working folder; empty without one.
  std::string InWorkFolder(std::string_view name) const;
  // The voice chosen in the settings goes to the singer of the next run.
  void ApplyVoiceChoice();
  // Runs the step with the progress indicator going.
  void RunStep(Step step);
  // The automatic run on the worker thread, kFinishedMessage at its end.
  void OnFullAuto();
  // Runs work on the dialog's worker thread with the mode box and "終了"
  // disabled until it ends. False (nothing started) while one runs.
  bool StartWorker(std::function<void()> work);

  // A file dialog in the loaded song's folder, proposing its name with the
  // suffix (none: no name).
  FileDialogPlace NearSong(std::string_view title, const std::string& suffix);
  // The answers of the step dialogs.
  std::optional<std::string> KaraokeFile() override;
  bool MelodyRange(crx::MelodyRange& range) override;
  void ReviewLyrics(LyricsReview& review) override;
  std::optional<std::string> VocalMidiPath() override;
  void BeforeSinger(const std::string& vocalMidiPath, const std::string& vocalWavPath,
                    ProgramField& singer) override;
  std::optional<std::string> SingerProgram() override;
  std::optional<std::string> MixPath() override;
  void MixValues(const std::string& vocalWavPath, const std::string& accompanimentWavPath,
                 const std::string& mixWavPath, MixSettings& values) override;
  bool WantMp3(ProgramField& encoder) override;
  std::string VideoTexts(const VideoRequest& request) override;
  void FilesToRemove(const std::array<std::string, 4>& files,
                     std::array<int32_t, 4>& flags) override;

  std::string startFolder_;
  OutsidePrograms programs_;
  SettingsSession settings_;
  std::unique_ptr<Workflow> flow_;
  std::optional<std::string> droppedKaraoke_;
  std::string opener_ = CResultDlg::kDesktopOpener;
  // When the automatic run's current step began (its thread only).
  std::filesystem::file_time_type autoStepStart_;
  std::unique_ptr<RecentFiles> recent_;  // under mutex_
  bool destroyed_ = false;

  mutable std::mutex mutex_;  // guards controls_ and listener_
  ControlState controls_;
  std::function<void()> listener_;
  std::thread worker_;
  bool workerRunning_ = false;  // under mutex_
};

}  // namespace crx
