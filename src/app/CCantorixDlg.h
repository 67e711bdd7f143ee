#pragma once

#include <array>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "app/OutsidePrograms.h"
#include "app/VocalPipeline.h"
#include "foundation/AppSettings.h"
#include "foundation/CConfigControl.h"
#include "foundation/StandardTempo.h"
#include "lyrics/CVocaloid.h"
#include "platform/DialogModel.h"

namespace crx {

class XfKaraokeData;

// The main dialog of Cantorix: nine numbered steps that turn a karaoke MIDI
// file into a sung song, by hand or all at once. The class holds every
// control as data (id, caption, text, enabled state), the state that passes
// between the steps and the step operations themselves; a window shows the
// controls and forwards clicks to Click(), and drives the progress timer.
//
// Any thread may read the controls; the step operations run on the thread
// that clicks, except the writing of the vocal MIDI, which runs on a worker
// thread owned by the dialog (joined before it closes).
class CCantorixDlg : public DialogModel {
 public:
  static constexpr int kResourceId = 102;
  static constexpr std::string_view kCaption = "歌声・伴奏合成ツール";
  static constexpr int kStepCount = 9;

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
  static constexpr int kManualMode = 0;

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

  // The first tempo before any song was loaded: the MIDI default.
  static constexpr int kDefaultFirstTempo = kStandardTempo;
  static constexpr int kMelodyChannel = 0;
  // Left out of the accompaniment with the melody (MIDI channel 11).
  static constexpr int kRhythmChannel = 10;

  static constexpr std::string_view kHelpPage = "help/index.html";

  // Messages and file dialogs of the steps.
  static constexpr std::string_view kMsgSameAsKaraokeName =
      "元のmidiファイルと同じ名前は指定できません。";
  static constexpr std::string_view kMsgSameFileName = "同じファイル名は使用できません。";
  // XF karaoke files, Soft Karaoke files and MIDI files with a lyric per note.
  static constexpr std::string_view kKaraokeFilter =
      "カラオケ・歌詞付きMIDIファイル (XF, .kar)|*.mid;*.kar;*.midi|";
  static constexpr std::string_view kKaraokeExtension = "mid";
  static constexpr std::string_view kVocalMidiFilter = "歌声用 midi files|*.mid|";
  static constexpr std::string_view kVocalMidiExtension = "*.mid";
  static constexpr std::string_view kMixFilter = "合成 wave files|*.wav|";
  static constexpr std::string_view kMixExtension = "*.wav";
  static constexpr std::string_view kWavEnding = ".wav";
  static constexpr std::string_view kAiffEnding = ".aiff";
  static constexpr std::string_view kTemporaryMidiEnding = "_tmp.mid";
  static constexpr std::string_view kMp3Ending = ".mp3";
  static constexpr std::string_view kVideoEnding = ".wmv";

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

  // The main dialog of the process once it has started, for the threads that
  // work on it; null before and after.
  static CCantorixDlg* Current();

  const char* DialogName() const override { return "CCantorixDlg"; }
  // Start-up: working folder, default settings with the search for the
  // outside programs, the settings file over them, the controls and the mode.
  bool OnInitDialog() override;
  // "終了": refused while a worker thread runs.
  bool OnOK() override;
  void OnCancel() override {}
  // Frees the song and writes the settings file; runs once.
  void OnDestroy();
  // Headless runs read the settings file but leave it as it was.
  void KeepSettingsFile();

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
  // Waits until the worker thread, if any, has ended.
  void WaitForWorker();
  bool WorkerRunning() const;
  // Runs work on the dialog's worker thread with the mode box and "終了"
  // disabled until it ends. False (nothing started) while one runs.
  bool StartWorker(std::function<void()> work);

  // --- the commands -------------------------------------------------------
  void OnLoadKaraokeMidi();      // step 1
  void OnReviewLyrics();         // step 2
  void OnWriteVocalMidi();       // step 3
  void OnRenderVocal();          // step 4
  void OnRenderAccompaniment();  // step 5
  void OnMix();                  // step 6
  void OnEncodeMp3();            // step 7
  void OnMakeVideo();            // step 8
  void OnRemoveFiles();          // step 9
  void OnEditSound(const std::string& wavPath);
  void OnSettings();
  void OnModeChange();
  void OnHelp();
  // The automatic run (by default CFullAutoRun with the melody-range
  // dialog); another handler replaces it.
  void SetFullAutoHandler(std::function<void(CCantorixDlg&)> handler);
  void OnFullAuto();

  // --- the enabling operations (indices count from 0 = step 1) ------------
  void EnableExecuteButton(int index);
  void EnableRedoButtons(int index);
  void EnableEditButton(int index);
  void ResetButtons();
  // The three operations at once; -1 disables that kind.
  void SetButtons(int execute, int redo, int edit);
  void DisableAll() { SetButtons(-1, -1, -1); }
  void EnableFullAuto(bool enabled);
  void StartProgress();
  void StopProgress();

  // --- the step work, shared with the automatic run ------------------------
  // Reads karaokeMidiPath() anew; choose shows the melody range (by default
  // the melody-range dialog).
  bool LoadKaraokeMidi(const MelodyRangeChooser& choose = {});
  // Writes the vocal MIDI from the syllables and the song's main track.
  bool WriteVocalMidiFile();
  // Asks for the singing-voice program while its path names no file; false
  // when the user cancels.
  bool EnsureVoiceProgram();
  // Starts the singing-voice program and waits; true when the vocal WAV
  // exists afterwards (else its message was shown).
  bool RenderVocalWav();
  // Removes channels 0 and 10 from the song, writes it beside the karaoke
  // file, has the renderer make the accompaniment WAV; true when it exists
  // (else its message was shown). The temporary MIDI is always deleted.
  bool RenderAccompanimentWav();
  // Deletes the files whose delete flags are 1.
  void RemoveFlaggedFiles();

  // The file naming between the steps.
  std::string VocalWavPathFor(const std::string& vocalMidiPath) const;
  std::string AccompanimentWavPathFor(const std::string& vocalMidiPath) const;
  std::string TemporaryMidiPath() const;
  std::string HelpPath() const;

  // --- the state ----------------------------------------------------------
  const std::string& StartFolder() const { return startFolder_; }
  const std::string& WorkFolder() const { return workFolder_; }
  std::string& KaraokeMidiPath() { return karaokeMidiPath_; }
  std::string& VocalMidiPath() { return vocalMidiPath_; }
  std::string& VocalWavPath() { return vocalWavPath_; }
  std::string& AccompanimentWavPath() { return accompanimentWavPath_; }
  std::string& MixWavPath() { return mixWavPath_; }
  std::string& VideoPath() { return videoPath_; }
  XfKaraokeData* Song() { return song_.get(); }
  CVocaloid& Vocaloid() { return vocaloid_; }
  int MelodyChannel() const { return melodyChannel_; }
  // Why the melody channel of the loaded song is the one it is (UTF-8).
  const std::string& MelodyChannelNote() const { return melodyChannelNote_; }
  // The channel a headless run was told to sing; none: the song's own.
  void SetGivenMelodyChannel(std::optional<int> channel) { givenMelodyChannel_ = channel; }
  int Transpose() const { return transpose_; }
  int FirstTempo() const { return firstTempo_; }
  AppSettings& Settings() { return settings_; }
  const OutsidePrograms& Programs() const { return programs_; }
  std::string SettingsPath() const;

 private:
  struct ControlState {
    std::array<bool, kStepCount> execute{};
    std::array<bool, kStepCount> redo{};
    std::array<bool, kStepCount> edit{};
    bool fullAuto = false;
    bool modeBox = true;
    bool close = true;
    int mode = 0;
    bool progress = false;
    std::string status;
  };
  void Changed();
  void WriteVocalMidiThread();

  std::string startFolder_;
  OutsidePrograms programs_;
  std::string workFolder_;
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
  int firstTempo_ = kDefaultFirstTempo;
  AppSettings settings_;
  std::unique_ptr<CConfigControl> settingsStore_;  // after settings_: saves them before they go
  bool destroyed_ = false;

  mutable std::mutex mutex_;  // guards controls_ and listener_
  ControlState controls_;
  std::function<void()> listener_;
  std::function<void(CCantorixDlg&)> fullAuto_;
  std::thread worker_;
  bool workerRunning_ = false;  // under mutex_
};

}  // namespace crx
