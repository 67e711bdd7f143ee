#include "app/CCantorixDlg.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "app/CConfigDlg.h"
#include "app/CEditDlg.h"
#include "app/CExternalDlg.h"
#include "app/CLyricConvertDlg.h"
#include "app/CMP3Dlg.h"
#include "app/CMelodyDlg.h"
#include "app/CMixDlg.h"
#include "app/CRemoveDlg.h"
#include "app/CVideoDlg.h"
#include "app/LyricCorrectionDialogs.h"
#include "app/VoiceChoice.h"
#include "foundation/FileHelpers.h"
#include "foundation/FixedField.h"
#include "karaoke/XfKaraokeData.h"
#include "platform/FileChooser.h"
#include "platform/Process.h"
#include "platform/UiServices.h"

namespace crx {
namespace {

std::optional<std::string> Answer(int selected, std::string path) {
  if (!selected) return std::nullopt;
  return path;
}

}  // namespace

// While a dialog waits for the user's answer, the progress indicator stands
// still: nothing is being worked on.
class CCantorixDlg::UserTurn {
 public:
  explicit UserTurn(CCantorixDlg& dialog) : dialog_(dialog) { Count(+1); }
  ~UserTurn() { Count(-1); }
  UserTurn(const UserTurn&) = delete;
  UserTurn& operator=(const UserTurn&) = delete;

 private:
  void Count(int change) {
    std::lock_guard lock(dialog_.mutex_);
    dialog_.controls_.userTurns += change;
  }
  CCantorixDlg& dialog_;
};

CCantorixDlg::CCantorixDlg(std::string startFolder)
    : CCantorixDlg(OutsidePrograms::ForStartFolder(startFolder.empty() ? ::crx::StartFolder()
                                                                       : startFolder)) {}

CCantorixDlg::CCantorixDlg(OutsidePrograms programs)
    : startFolder_(programs.Locations().startFolder),
      programs_(std::move(programs)),
      flow_(std::make_unique<Workflow>(programs_, settings_.Values(), startFolder_, std::string(),
                                       static_cast<WorkflowUser&>(*this))) {}

CCantorixDlg::~CCantorixDlg() { OnDestroy(); }

bool CCantorixDlg::OnInitDialog() {
  destroyed_ = false;
  settings_.Open(programs_);
  flow_ = std::make_unique<Workflow>(programs_, settings_.Values(), startFolder_,
                                     settings_.WorkFolder(), static_cast<WorkflowUser&>(*this));
  flow_->SetChangeListener([this] { Changed(); });
  // The bar follows the outside programs that tell how far they are.
  flow_->SetProgressListener([this](int percent) {
    {
      std::lock_guard lock(mutex_);
      controls_.percent = percent;
    }
    Changed();
  });
  // Within the automatic run a step has finished when the next begins.
  flow_->SetStepListener([this](Step step) {
    const int previous = RunningRow();
    if (previous >= 0) StepDone(StepAt(previous), autoStepStart_);
    autoStepStart_ = std::filesystem::file_time_type::clock::now();
    if (step == Step::Load) ClearRowsFrom(0);
    SetRunningRow(IndexOf(step));
  });
  {
    std::lock_guard lock(mutex_);
    controls_.mode = settings_.Values().mode;
    recent_ = std::make_unique<RecentFiles>(InWorkFolder(RecentFiles::kFileName));
  }
  Changed();
  return true;
}

bool CCantorixDlg::OnOK() { return !WorkerRunning(); }

void CCantorixDlg::OnDestroy() {
  WaitForWorker();
  if (destroyed_) return;
  destroyed_ = true;
  flow_->SetChangeListener(nullptr);
  settings_.Close();  // writes the settings file
}

// ---------------------------------------------------------------- controls

std::vector<CCantorixDlg::Control> CCantorixDlg::Controls() const {
  const StepMachine machine = flow_->Machine();
  std::lock_guard lock(mutex_);
  std::vector<Control> out;
  for (int row = 0; row <= kStepCount; ++row) {
    const StepRow& r = kRows[static_cast<size_t>(row)];
    std::string description(r.description);
    if (row < kStepCount && !controls_.notes[static_cast<size_t>(row)].empty()) {
      description += "\n" + controls_.notes[static_cast<size_t>(row)];
    }
    out.push_back({r.descriptionId, ControlKind::Description, row, std::move(description), true});
    if (row == kFullAutoRow) {
      out.push_back({r.executeId, ControlKind::Execute, row, std::string(kExecuteCaption),
                     machine.CanRunAutomatically()});
      continue;
    }
    const Step step = StepAt(row);
    out.push_back({r.executeId, ControlKind::Execute, row, std::string(kExecuteCaption),
                   machine.CanExecute(step)});
    if (r.redoId != 0) {
      out.push_back(
          {r.redoId, ControlKind::Redo, row, std::string(kRedoCaption), machine.CanRedo(step)});
    }
    if (r.editId != 0) {
      out.push_back(
          {r.editId, ControlKind::Edit, row, std::string(kEditCaption), machine.CanEdit(step)});
    }
  }
  out.push_back({kModeBoxId, ControlKind::ModeBox, -1,
                 std::string(kModes[static_cast<size_t>(controls_.mode)]), controls_.modeBox});
  // The settings do not change under a running automatic run.
  out.push_back(
      {kSettingsId, ControlKind::Button, -1, std::string(kSettingsCaption), controls_.close});
  out.push_back({kHelpId, ControlKind::Button, -1, std::string(kHelpCaption), true});
  out.push_back({kCloseId, ControlKind::Button, -1, std::string(kCloseCaption), controls_.close});
  out.push_back({kStatusLineId, ControlKind::StatusLine, -1, controls_.status, true});
  return out;
}

bool CCantorixDlg::IsEnabled(int id) const {
  for (const Control& c : Controls()) {
    if (c.id == id) return c.enabled;
  }
  return false;
}

std::string CCantorixDlg::Text(int id) const {
  for (const Control& c : Controls()) {
    if (c.id == id) return c.text;
  }
  return {};
}

std::string CCantorixDlg::StatusLine() const {
  std::lock_guard lock(mutex_);
  return controls_.status;
}

int CCantorixDlg::ModeSelection() const {
  std::lock_guard lock(mutex_);
  return controls_.mode;
}

void CCantorixDlg::SetChangeListener(std::function<void()> listener) {
  std::lock_guard lock(mutex_);
  listener_ = std::move(listener);
}

void CCantorixDlg::Changed() {
  std::function<void()> listener;
  {
    std::lock_guard lock(mutex_);
    listener = listener_;
  }
  if (listener) listener();
}

void CCantorixDlg::Click(int id) {
  if (!IsEnabled(id)) return;
  if (id == kCloseId || id == kModeBoxId) return;  // the host closes; SelectMode chooses
  if (id == kFullAutoId) return OnFullAuto();
  if (id == kSettingsId) return OnSettings();
  if (id == kHelpId) return OnHelp();
  for (int row = 0; row < kStepCount; ++row) {
    const StepRow& r = kRows[static_cast<size_t>(row)];
    const Step step = StepAt(row);
    if (id == r.editId) return OnEditSound(step);
    if (id != r.executeId && id != r.redoId) continue;
    // The vocal MIDI is written while the window goes on.
    if (step == Step::VocalMidi) {
      StartWorker([this] { RunStep(Step::VocalMidi); });
    } else {
      RunStep(step);
    }
    return;
  }
}

std::string CCantorixDlg::InWorkFolder(std::string_view name) const {
  return WorkFolder().empty() ? std::string() : JoinPath(WorkFolder(), name);
}

void CCantorixDlg::ApplyVoiceChoice() {
  flow_->SetVoiceArguments(
      VoiceChoice::SingerArguments(VoiceChoice::Load(InWorkFolder(VoiceChoice::kFileName))));
}

void CCantorixDlg::RunStep(Step step) {
  ApplyVoiceChoice();
  const auto startedAt = std::filesystem::file_time_type::clock::now();
  SetRunningRow(IndexOf(step));
  StartProgress();
  const bool done = flow_->RunStep(step);
  StopProgress();
  SetRunningRow(-1);
  if (!done) {
    // A step that failed is to come again, and what came after it with it;
    // one that was cancelled changed nothing.
    if (flow_->Machine().Next() == step) ClearRowsFrom(IndexOf(step));
    return;
  }
  if (step == Step::Load) ClearRowsFrom(0);
  StepDone(step, startedAt);
  if (step == Step::Remove) ShowResults();
}

void CCantorixDlg::StepDone(Step step, std::filesystem::file_time_type startedAt) {
  const std::string file = flow_->MadeFile(step);
  // A file older than the step is an earlier run's (the step made none).
  std::error_code missing;
  const bool madeNow =
      !file.empty() &&
      std::filesystem::last_write_time(file, missing) >= startedAt - std::chrono::seconds(2) &&
      !missing;
  std::string note(kDoneMark);
  const bool named = step == Step::Load ? !file.empty() : madeNow;
  if (named) note += std::string(kDoneSeparator) + GetFileNameOfPath(file);
  {
    std::lock_guard lock(mutex_);
    const auto i = static_cast<size_t>(IndexOf(step));
    controls_.notes[i] = std::move(note);
    controls_.made[i] = madeNow && !kMadeKinds[i].empty() ? file : std::string();
    if (step == Step::Load) {
      controls_.song = GetFileNameOfPath(file);
      if (recent_) recent_->Add(file);
    }
  }
  Changed();
}

void CCantorixDlg::ClearRowsFrom(int row) {
  {
    std::lock_guard lock(mutex_);
    for (int i = std::max(row, 0); i < kStepCount; ++i) {
      controls_.notes[static_cast<size_t>(i)].clear();
      controls_.made[static_cast<size_t>(i)].clear();
    }
    if (row <= 0) controls_.song.clear();
  }
  Changed();
}

void CCantorixDlg::SetRunningRow(int row) {
  {
    std::lock_guard lock(mutex_);
    controls_.runningRow = row;
    controls_.percent = -1;
  }
  Changed();
}

int CCantorixDlg::RunningRow() const {
  std::lock_guard lock(mutex_);
  return controls_.runningRow;
}

int CCantorixDlg::ProgressPercent() const {
  std::lock_guard lock(mutex_);
  return controls_.percent;
}

std::string CCantorixDlg::SongFileName() const {
  std::lock_guard lock(mutex_);
  return controls_.song;
}

std::vector<CResultDlg::Entry> CCantorixDlg::MadeFiles() const {
  std::vector<CResultDlg::Entry> made;
  std::lock_guard lock(mutex_);
  for (size_t i = 0; i < kMadeKinds.size(); ++i) {
    if (!controls_.made[i].empty()) made.push_back({kMadeKinds[i], controls_.made[i]});
  }
  return made;
}

void CCantorixDlg::ShowResults() {
  CResultDlg dialog(std::string(Workflow::kFinishedMessage), MadeFiles(), opener_);
  const UserTurn turn(*this);
  Ui().RunModal(dialog);
}

void CCantorixDlg::SelectMode(int index) {
  if (index < 0 || index >= static_cast<int>(kModes.size())) return;
  {
    std::lock_guard lock(mutex_);
    if (!controls_.modeBox) return;
    controls_.mode = index;
  }
  settings_.Values().mode = index;
  flow_->SetMode(index);
  ClearRowsFrom(0);
}

void CCantorixDlg::OnHelp() { Ui().ShowHelp(HelpPath()); }

std::string CCantorixDlg::HelpPath() const { return JoinPath(startFolder_, kHelpPage); }

void CCantorixDlg::OnFullAuto() {
  StartWorker([this] {
    ApplyVoiceChoice();
    StartProgress();
    const std::string product = flow_->RunAutomatic();
    StopProgress();
    // The last step announced finished only when the run made its product.
    const int last = RunningRow();
    if (last >= 0 && !product.empty()) StepDone(StepAt(last), autoStepStart_);
    SetRunningRow(-1);
    // A run stopped on purpose has nothing to announce.
    if (!flow_->Interrupted()) ShowResults();
  });
}

// ------------------------------------------------------------- progress

void CCantorixDlg::StartProgress() {
  {
    std::lock_guard lock(mutex_);
    if (controls_.progress) return;
    controls_.progress = true;
  }
  Ui().ProgressStart();
  Changed();
}

void CCantorixDlg::StopProgress() {
  bool wasRunning = false;
  {
    std::lock_guard lock(mutex_);
    wasRunning = std::exchange(controls_.progress, false);
    controls_.status.clear();
  }
  if (wasRunning) Ui().ProgressStop();
  Changed();
}

bool CCantorixDlg::ProgressRunning() const {
  std::lock_guard lock(mutex_);
  return controls_.progress;
}

void CCantorixDlg::ProgressTimer() {
  {
    std::lock_guard lock(mutex_);
    if (!controls_.progress || controls_.userTurns > 0) return;
    std::string text = controls_.status.substr(0, kStatusReadLimit) + "*";
    if (text.size() > kProgressMaxLength) text.clear();
    controls_.status = std::move(text);
  }
  Changed();
}

// --------------------------------------------------------------- worker

bool CCantorixDlg::WorkerRunning() const {
  std::lock_guard lock(mutex_);
  return workerRunning_;
}

void CCantorixDlg::WaitForWorker() {
  if (worker_.joinable() && worker_.get_id() != std::this_thread::get_id()) worker_.join();
}

bool CCantorixDlg::StartWorker(std::function<void()> work) {
  {
    std::lock_guard lock(mutex_);
    if (workerRunning_) return false;
    workerRunning_ = true;
    controls_.modeBox = false;
    controls_.close = false;
  }
  Changed();
  if (worker_.joinable()) worker_.join();  // the previous one has ended
  worker_ = std::thread([this, work = std::move(work)] {
    work();
    {
      std::lock_guard lock(mutex_);
      workerRunning_ = false;
      controls_.modeBox = true;
      controls_.close = true;
    }
    Changed();
  });
  return true;
}

// ------------------------------------------------- the other commands

void CCantorixDlg::OnEditSound(Step step) {
  const std::string wavPath = flow_->EditedFile(step);
  AppSettings& settings = Settings();
  CEditDlg dialog(settings.soundEditorPath, wavPath);
  Ui().RunModal(dialog);
  programs_.OpenSoundEditor(ReadFixedField(settings.soundEditorPath), wavPath);
}

void CCantorixDlg::OnSettings() {
  AppSettings& settings = Settings();
  CConfigDlg dialog(DeleteFlagsOf(settings), settings.voiceProgramPath, settings.mp3EncoderPath);
  Ui().RunModal(dialog);
  StoreDeleteFlags(settings, dialog.Flags());
}

// ---------------------------------------------------- the step dialogs

FileDialogPlace CCantorixDlg::NearSong(std::string_view title, const std::string& suffix) {
  // In the karaoke file's folder; before one is loaded, where the host
  // opened last.
  FileDialogPlace place{std::string(title), {}, {}};
  const std::string& karaoke = flow_->KaraokeMidiPath();
  if (karaoke.empty()) return place;
  place.startFolder = GetFolderOfPath(karaoke);
  if (suffix.empty()) return place;
  std::string name = GetFileNameOfPath(karaoke);
  RemoveExtension(name);
  place.proposedName = name + suffix;
  return place;
}

void CCantorixDlg::LoadDroppedKaraoke(const std::string& path) {
  droppedKaraoke_ = path;
  RunStep(Step::Load);
  droppedKaraoke_.reset();
}

std::vector<std::string> CCantorixDlg::RecentKaraokeFiles() const {
  std::lock_guard lock(mutex_);
  return recent_ ? recent_->Paths() : std::vector<std::string>();
}

void CCantorixDlg::LoadRecentKaraoke(const std::string& path) {
  if (FileExists(path) != 1) {
    {
      std::lock_guard lock(mutex_);
      if (recent_) recent_->Remove(path);
    }
    Changed();
    ReportPlain(std::string(RecentFiles::kMissingMessage) + "\n" + path);
    return;
  }
  LoadDroppedKaraoke(path);
}

std::optional<std::string> CCantorixDlg::KaraokeFile() {
  const UserTurn turn(*this);
  if (droppedKaraoke_) return std::exchange(droppedKaraoke_, std::nullopt);
  std::string path;
  const int selected =
      SelectOpenFile(kKaraokeExtension, kKaraokeFilter, path, NearSong(kKaraokeTitle, {}));
  return Answer(selected, path);
}

bool CCantorixDlg::MelodyRange(crx::MelodyRange& range) {
  const UserTurn turn(*this);
  // The range as the user left it counts, however the dialog was closed.
  CMelodyDlg dialog(range.lowest, range.highest);
  Ui().RunModal(dialog);
  range.lowest = dialog.Lowest();
  range.highest = dialog.Highest();
  return true;
}

void CCantorixDlg::ReviewLyrics(LyricsReview& review) {
  const UserTurn turn(*this);
  // The review may send the user back to the corrections, as often as wanted.
  for (;;) {
    LyricCorrectionDialogs::Run(review.song, review.melodyChannel, review.dictionaryFolder);
    CLyricConvertDlg dialog(review.song, review.vocaloid, review.melodyChannel,
                            review.dictionaryFolder);
    dialog.SetNote(review.melodyNote);
    Ui().RunModal(dialog);
    if (!dialog.BackToCorrection()) return;
  }
}

std::optional<std::string> CCantorixDlg::VocalMidiPath() {
  const UserTurn turn(*this);
  std::string path;
  const int selected =
      SelectSaveFile(kVocalMidiFilter, kVocalMidiExtension, path, true,
                     NearSong(kVocalMidiTitle, std::string(Workflow::kVocalMidiSuffix) + ".mid"));
  return Answer(selected, path);
}

void CCantorixDlg::BeforeSinger(const std::string& vocalMidiPath, const std::string& vocalWavPath,
                                ProgramField& singer) {
  const UserTurn turn(*this);
  CExternalDlg dialog(vocalMidiPath, vocalWavPath, singer);
  Ui().RunModal(dialog);
}

std::optional<std::string> CCantorixDlg::SingerProgram() {
  const UserTurn turn(*this);
  std::string path;
  const int selected =
      SelectOpenFile(OutsidePrograms::kProgramExtension, OutsidePrograms::kProgramFilter, path,
                     FileDialogPlace{std::string(kSingerTitle), {}, {}});
  return Answer(selected, path);
}

std::optional<std::string> CCantorixDlg::MixPath() {
  const UserTurn turn(*this);
  std::string path;
  const int selected =
      SelectSaveFile(kMixFilter, kMixExtension, path, true, NearSong(kMixTitle, ".wav"));
  return Answer(selected, path);
}

void CCantorixDlg::MixValues(const std::string& vocalWavPath,
                             const std::string& accompanimentWavPath, const std::string& mixWavPath,
                             MixSettings& values) {
  const UserTurn turn(*this);
  CMixDlg dialog(vocalWavPath, accompanimentWavPath, mixWavPath, values);
  Ui().RunModal(dialog);
  values = dialog.Settings();
}

bool CCantorixDlg::WantMp3(ProgramField& encoder) {
  const UserTurn turn(*this);
  CMP3Dlg dialog(encoder);
  Ui().RunModal(dialog);
  return dialog.Skip() != 1;
}

std::string CCantorixDlg::VideoTexts(const VideoRequest& request) {
  const UserTurn turn(*this);
  CVideoDlg dialog(request.mixWavPath, request.karaokeMidiPath, request.backgroundPath,
                   request.videoPath, request.workFolder);
  Ui().RunModal(dialog);
  return dialog.SongInfoPath();
}

void CCantorixDlg::FilesToRemove(const std::array<std::string, 4>& files,
                                 std::array<int32_t, 4>& flags) {
  const UserTurn turn(*this);
  CRemoveDlg dialog(files, flags);
  Ui().RunModal(dialog);
  flags = dialog.Flags();
}

}  // namespace crx
