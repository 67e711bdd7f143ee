#include "app/CCantorixDlg.h"

#include <atomic>
#include <utility>

#include "app/CConfigDlg.h"
#include "app/CEditDlg.h"
#include "app/CExternalDlg.h"
#include "app/CFullAutoRun.h"
#include "app/CLyricConvertDlg.h"
#include "app/CMP3Dlg.h"
#include "app/CMixDlg.h"
#include "app/CRemoveDlg.h"
#include "app/CVideoDlg.h"
#include "app/LyricCorrectionDialogs.h"
#include "app/SongProducts.h"
#include "audio/MixSettings.h"
#include "audio/MixSong.h"
#include "foundation/FileHelpers.h"
#include "foundation/FixedField.h"
#include "karaoke/XfKaraokeData.h"
#include "platform/FileChooser.h"
#include "platform/Process.h"
#include "platform/UiServices.h"

namespace crx {
namespace {

// The one main dialog of the process, for the threads that work on it.
std::atomic<CCantorixDlg*> g_dialog{nullptr};

std::string WithoutExtension(std::string path) {
  RemoveExtension(path);
  return path;
}

// A chosen path must fit its 260-byte record field; a longer one counts as
// no choice, after the message.
bool Chosen(int selected, const std::string& path) {
  if (!selected) return false;
  if (FitsPathField(path)) return true;
  ReportPathTooLong(path);
  return false;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

CCantorixDlg::CCantorixDlg(std::string startFolder)
    : CCantorixDlg(OutsidePrograms::ForStartFolder(startFolder.empty() ? ::crx::StartFolder()
                                                                       : startFolder)) {}

CCantorixDlg::CCantorixDlg(OutsidePrograms programs)
    : startFolder_(programs.Locations().startFolder), programs_(std::move(programs)) {}

CCantorixDlg::~CCantorixDlg() { OnDestroy(); }

CCantorixDlg* CCantorixDlg::Current() { return g_dialog.load(); }

bool CCantorixDlg::OnInitDialog() {
  CCantorixDlg* none = nullptr;
  g_dialog.compare_exchange_strong(none, this);
  transpose_ = 0;
  song_.reset();
  destroyed_ = false;

  workFolder_.clear();
  const bool haveWorkFolder = GetWorkFolder(workFolder_);
  const AppSettings defaults = programs_.DefaultSettings();
  settings_ = defaults;
  // Without a working folder the defaults serve this session and nothing is
  // saved.
  if (haveWorkFolder) {
    settingsStore_ = std::make_unique<CConfigControl>(
        SettingsPath(), settings_.Bytes(), defaults.Bytes(), true, AppSettings::kEarlierSizes);
  }
  // A record from elsewhere may hold a mode the box does not list.
  if (settings_.mode < 0 || settings_.mode >= static_cast<int>(kModes.size())) {
    settings_.mode = kManualMode;
  }

  melodyChannel_ = kMelodyChannel;
  vocaloid_.Clear();
  vocaloid_.SetMelodyChannel(kMelodyChannel);
  vocaloid_.SetPauseLength(kDefaultPauseLength);

  vocalMidiPath_.clear();
  vocalWavPath_.clear();
  karaokeMidiPath_.clear();
  accompanimentWavPath_.clear();
  mixWavPath_.clear();
  videoPath_.clear();

  {
    std::lock_guard lock(mutex_);
    controls_.mode = settings_.mode;
  }
  ResetButtons();
  return true;
}

bool CCantorixDlg::OnOK() { return !WorkerRunning(); }

void CCantorixDlg::OnDestroy() {
  WaitForWorker();
  if (destroyed_) return;
  destroyed_ = true;
  song_.reset();
  vocaloid_.Clear();
  settingsStore_.reset();  // writes the settings file
  CCantorixDlg* self = this;
  g_dialog.compare_exchange_strong(self, nullptr);
}

void CCantorixDlg::KeepSettingsFile() {
  if (settingsStore_) settingsStore_->SetSaveOnDestroy(false);
}

std::string CCantorixDlg::SettingsPath() const {
  return workFolder_.empty() ? std::string() : JoinPath(workFolder_, kAppSettingsFileName);
}

// ---------------------------------------------------------------- controls

std::vector<CCantorixDlg::Control> CCantorixDlg::Controls() const {
  std::lock_guard lock(mutex_);
  std::vector<Control> out;
  for (int row = 0; row <= kStepCount; ++row) {
    const StepRow& r = kRows[static_cast<size_t>(row)];
    const size_t i = static_cast<size_t>(row);
    out.push_back(
        {r.descriptionId, ControlKind::Description, row, std::string(r.description), true});
    const bool step = row < kStepCount;
    out.push_back({r.executeId, ControlKind::Execute, row, std::string(kExecuteCaption),
                   step ? controls_.execute[i] : controls_.fullAuto});
    if (r.redoId != 0) {
      out.push_back(
          {r.redoId, ControlKind::Redo, row, std::string(kRedoCaption), controls_.redo[i]});
    }
    if (r.editId != 0) {
      out.push_back(
          {r.editId, ControlKind::Edit, row, std::string(kEditCaption), controls_.edit[i]});
    }
  }
  out.push_back({kModeBoxId, ControlKind::ModeBox, -1,
                 std::string(kModes[static_cast<size_t>(controls_.mode)]), controls_.modeBox});
  out.push_back({kSettingsId, ControlKind::Button, -1, std::string(kSettingsCaption), true});
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
  using Handler = void (CCantorixDlg::*)();
  static constexpr std::array<Handler, kStepCount> kSteps = {
      &CCantorixDlg::OnLoadKaraokeMidi,     &CCantorixDlg::OnReviewLyrics,
      &CCantorixDlg::OnWriteVocalMidi,      &CCantorixDlg::OnRenderVocal,
      &CCantorixDlg::OnRenderAccompaniment, &CCantorixDlg::OnMix,
      &CCantorixDlg::OnEncodeMp3,           &CCantorixDlg::OnMakeVideo,
      &CCantorixDlg::OnRemoveFiles};
  for (size_t row = 0; row < kSteps.size(); ++row) {
    if (id == kRows[row].executeId || id == kRows[row].redoId) return (this->*kSteps[row])();
  }
  if (id == kRows[3].editId) return OnEditSound(vocalWavPath_);
  if (id == kRows[4].editId) return OnEditSound(accompanimentWavPath_);
  if (id == kRows[5].editId) return OnEditSound(mixWavPath_);
}

void CCantorixDlg::SelectMode(int index) {
  if (index < 0 || index >= static_cast<int>(kModes.size())) return;
  {
    std::lock_guard lock(mutex_);
    if (!controls_.modeBox) return;
    controls_.mode = index;
  }
  OnModeChange();
}

void CCantorixDlg::OnModeChange() {
  settings_.mode = ModeSelection();
  ResetButtons();
}

void CCantorixDlg::OnHelp() { Ui().ShowHelp(HelpPath()); }

std::string CCantorixDlg::HelpPath() const { return JoinPath(startFolder_, kHelpPage); }

void CCantorixDlg::SetFullAutoHandler(std::function<void(CCantorixDlg&)> handler) {
  fullAuto_ = std::move(handler);
}

void CCantorixDlg::OnFullAuto() {
  if (fullAuto_) {
    fullAuto_(*this);
  } else {
    CFullAutoRun::OnFullAuto(*this);
  }
}

// ---------------------------------------------------- enabling operations

void CCantorixDlg::SetButtons(int execute, int redo, int edit) {
  {
    std::lock_guard lock(mutex_);
    for (int i = 0; i < kStepCount; ++i) {
      const size_t k = static_cast<size_t>(i);
      controls_.execute[k] = i == execute;
      controls_.redo[k] = i <= redo && kRows[k].redoId != 0;
      controls_.edit[k] = i == edit && kRows[k].editId != 0;
    }
  }
  Changed();
}

void CCantorixDlg::EnableExecuteButton(int index) {
  {
    std::lock_guard lock(mutex_);
    for (int i = 0; i < kStepCount; ++i) controls_.execute[static_cast<size_t>(i)] = i == index;
  }
  Changed();
}

void CCantorixDlg::EnableRedoButtons(int index) {
  {
    std::lock_guard lock(mutex_);
    for (int i = 0; i < kStepCount; ++i) {
      const size_t k = static_cast<size_t>(i);
      controls_.redo[k] = i <= index && kRows[k].redoId != 0;
    }
  }
  Changed();
}

void CCantorixDlg::EnableEditButton(int index) {
  {
    std::lock_guard lock(mutex_);
    for (int i = 0; i < kStepCount; ++i) {
      const size_t k = static_cast<size_t>(i);
      controls_.edit[k] = i == index && kRows[k].editId != 0;
    }
  }
  Changed();
}

void CCantorixDlg::EnableFullAuto(bool enabled) {
  {
    std::lock_guard lock(mutex_);
    controls_.fullAuto = enabled;
  }
  Changed();
}

void CCantorixDlg::ResetButtons() {
  const bool manual = ModeSelection() == kManualMode;
  SetButtons(manual ? 0 : -1, -1, -1);
  EnableFullAuto(!manual);
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
    if (!controls_.progress) return;
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

// ------------------------------------------------------------ file names

std::string CCantorixDlg::VocalWavPathFor(const std::string& vocalMidiPath) const {
  return WithoutExtension(vocalMidiPath) + std::string(kWavEnding);
}

std::string CCantorixDlg::AccompanimentWavPathFor(const std::string& vocalMidiPath) const {
  return JoinPath(GetFolderOfPath(vocalMidiPath),
                  WithoutExtension(GetFileNameOfPath(karaokeMidiPath_)) + std::string(kWavEnding));
}

std::string CCantorixDlg::TemporaryMidiPath() const {
  return WithoutExtension(karaokeMidiPath_) + std::string(kTemporaryMidiEnding);
}

// ----------------------------------------------------------- step work

bool CCantorixDlg::LoadKaraokeMidi(const MelodyRangeChooser& choose) {
  crx::MelodyChannel melody;
  VocalPipeline::LoadKaraokeMidi(karaokeMidiPath_, givenMelodyChannel_,
                                 choose ? choose : VocalPipeline::RangeDialog(), song_, firstTempo_,
                                 transpose_, melody);
  if (song_ != nullptr) {
    // The channel the song names is sung, moved and left out of the
    // accompaniment.
    melodyChannel_ = melody.channel;
    melodyChannelNote_ = VocalPipeline::MelodyChannelText(melody);
    vocaloid_.SetMelodyChannel(melody.channel);
  }
  return song_ != nullptr;
}

bool CCantorixDlg::WriteVocalMidiFile() {
  if (!song_) return false;
  return VocalPipeline::WriteVocalMidi(vocaloid_, *song_, vocalMidiPath_) &&
         FileExists(vocalMidiPath_);
}

bool CCantorixDlg::EnsureVoiceProgram() {
  return OutsidePrograms::AskForSinger(settings_.voiceProgramPath);
}

bool CCantorixDlg::RenderVocalWav() {
  return programs_.RenderVocal(ReadFixedField(settings_.voiceProgramPath), karaokeMidiPath_,
                               vocalMidiPath_, vocalWavPath_, transpose_);
}

bool CCantorixDlg::RenderAccompanimentWav() {
  if (!song_) return false;
  const std::string temporary = TemporaryMidiPath();
  song_->MainTrack().DeleteChannel(melodyChannel_);
  song_->MainTrack().DeleteChannel(kRhythmChannel);
  if (!song_->Write(temporary)) {
    // The writer told why; nothing for the renderer to read.
    Ui().ShowMessage(
        FillMessage(OutsidePrograms::kMissingFileMessage, Quoted(accompanimentWavPath_)),
        MessageKind::Plain);
    RemoveFile(temporary);
    return false;
  }
  return programs_.RenderAccompaniment(temporary, accompanimentWavPath_);
}

void CCantorixDlg::RemoveFlaggedFiles() {
  const std::pair<int32_t, const std::string*> files[] = {
      {settings_.deleteVocalMidi, &vocalMidiPath_},
      {settings_.deleteVocalWav, &vocalWavPath_},
      {settings_.deleteAccompanimentWav, &accompanimentWavPath_},
      {settings_.deleteMixedWav, &mixWavPath_},
  };
  for (const auto& [flag, path] : files) {
    if (flag == 1 && !path->empty()) RemoveFile(*path);
  }
}

// ------------------------------------------------------------- the steps

void CCantorixDlg::OnLoadKaraokeMidi() {
  StartProgress();
  std::string path;
  if (Chosen(SelectOpenFile(kKaraokeExtension, kKaraokeFilter, path), path)) {
    karaokeMidiPath_ = path;
    // Without a song, steps 2, 3 and 5 have nothing to work on.
    if (LoadKaraokeMidi()) {
      SetButtons(1, 0, -1);
    } else {
      SetButtons(0, -1, -1);
    }
  }
  StopProgress();
}

void CCantorixDlg::OnReviewLyrics() {
  if (!song_) return;
  StartProgress();
  LyricCorrectionDialogs::Run(*song_, melodyChannel_, startFolder_);
  CLyricConvertDlg review(*song_, vocaloid_, melodyChannel_, startFolder_);
  review.SetNote(melodyChannelNote_);
  Ui().RunModal(review);
  SetButtons(2, 1, -1);
  StopProgress();
}

void CCantorixDlg::OnWriteVocalMidi() {
  if (!song_) return;
  StartProgress();
  std::string path;
  for (;;) {
    if (!Chosen(SelectSaveFile(kVocalMidiFilter, kVocalMidiExtension, path), path)) {
      StopProgress();
      return;
    }
    // The vocal WAV is named after the vocal MIDI and the accompaniment WAV
    // after the karaoke file, in one folder: equal names would collide.
    if (GetFileNameOfPath(path) != GetFileNameOfPath(karaokeMidiPath_)) break;
    Ui().ShowMessage(kMsgSameAsKaraokeName, MessageKind::Plain);
  }
  vocalMidiPath_ = path;
  DisableAll();
  StopProgress();
  StartWorker([this] { WriteVocalMidiThread(); });
}

void CCantorixDlg::WriteVocalMidiThread() {
  StartProgress();
  if (WriteVocalMidiFile()) {
    SetButtons(3, 2, -1);
  } else {
    // The writer told why; the user may choose another file.
    SetButtons(2, 1, -1);
  }
  StopProgress();
}

void CCantorixDlg::OnRenderVocal() {
  StartProgress();
  DisableAll();
  vocalWavPath_ = VocalWavPathFor(vocalMidiPath_);
  CExternalDlg external(vocalMidiPath_, vocalWavPath_, settings_.voiceProgramPath);
  Ui().RunModal(external);
  if (EnsureVoiceProgram() && RenderVocalWav()) {
    SetButtons(4, 3, 3);
  } else {
    SetButtons(3, 2, -1);
  }
  StopProgress();
}

void CCantorixDlg::OnRenderAccompaniment() {
  if (!song_) return;
  StartProgress();
  DisableAll();
  accompanimentWavPath_ = AccompanimentWavPathFor(vocalMidiPath_);
  if (RenderAccompanimentWav()) {
    SetButtons(5, 4, 4);
  } else {
    SetButtons(4, 3, -1);
  }
  StopProgress();
}

void CCantorixDlg::OnMix() {
  StartProgress();
  std::string mixPath;
  if (!Chosen(SelectSaveFile(kMixFilter, kMixExtension, mixPath), mixPath)) {
    StopProgress();
    return;
  }
  if (mixPath == vocalWavPath_ || mixPath == accompanimentWavPath_) {
    Ui().ShowMessage(kMsgSameFileName, MessageKind::Plain);
    StopProgress();
    return;
  }
  DisableAll();
  CMixDlg dialog(vocalWavPath_, accompanimentWavPath_, mixPath, MixSettings::From(settings_));
  Ui().RunModal(dialog);
  dialog.Settings().StoreIn(settings_);
  if (MixSong(vocalWavPath_, accompanimentWavPath_, mixPath, dialog.Settings(),
              static_cast<uint32_t>(firstTempo_), ReadFixedField(settings_.voiceProgramPath))) {
    mixWavPath_ = mixPath;
    SetButtons(6, 5, 5);
  } else {
    // Nothing was mixed: the inputs are still there for another try.
    SetButtons(5, 4, 4);
  }
  StopProgress();
}

void CCantorixDlg::OnEncodeMp3() {
  StartProgress();
  CMP3Dlg dialog(settings_.mp3EncoderPath);
  Ui().RunModal(dialog);
  if (dialog.Skip() == 1) {
    SetButtons(7, 6, -1);
    StopProgress();
    return;
  }
  DisableAll();
  const std::string mp3Path = WithoutExtension(mixWavPath_) + std::string(kMp3Ending);
  const SongProducts products(programs_, settings_.loudness);
  if (products.MakeMp3(ReadFixedField(settings_.mp3EncoderPath), mixWavPath_, mp3Path,
                       karaokeMidiPath_)) {
    SetButtons(7, 6, -1);
  } else {
    SetButtons(6, 5, -1);
  }
  StopProgress();
}

void CCantorixDlg::OnMakeVideo() {
  StartProgress();
  DisableAll();
  videoPath_ = WithoutExtension(mixWavPath_) + std::string(kVideoEnding);
  CVideoDlg dialog(mixWavPath_, karaokeMidiPath_, settings_.videoBackgroundPath, videoPath_,
                   workFolder_);
  Ui().RunModal(dialog);
  const SongProducts products(programs_, settings_.loudness);
  if (products.MakeVideo(mixWavPath_, karaokeMidiPath_, videoPath_,
                         ReadFixedField(settings_.videoBackgroundPath), dialog.SongInfoPath(),
                         OutsidePrograms::VideoCheck::AtOnce)) {
    SetButtons(8, 7, -1);
  } else {
    SetButtons(7, 6, -1);
  }
  StopProgress();
}

void CCantorixDlg::OnRemoveFiles() {
  StartProgress();
  CRemoveDlg dialog({vocalMidiPath_, vocalWavPath_, accompanimentWavPath_, mixWavPath_},
                    DeleteFlagsOf(settings_));
  Ui().RunModal(dialog);
  StoreDeleteFlags(settings_, dialog.Flags());
  RemoveFlaggedFiles();
  SetButtons(0, -1, -1);
  StopProgress();
}

void CCantorixDlg::OnEditSound(const std::string& wavPath) {
  CEditDlg dialog(settings_.soundEditorPath, wavPath);
  Ui().RunModal(dialog);
  programs_.OpenSoundEditor(ReadFixedField(settings_.soundEditorPath), wavPath);
}

void CCantorixDlg::OnSettings() {
  CConfigDlg dialog(DeleteFlagsOf(settings_), settings_.voiceProgramPath, settings_.mp3EncoderPath);
  Ui().RunModal(dialog);
  StoreDeleteFlags(settings_, dialog.Flags());
}

}  // namespace crx
