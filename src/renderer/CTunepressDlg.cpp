#include "renderer/CTunepressDlg.h"

#include <sys/stat.h>

#include "audio/CAiffData.h"
#include "foundation/FileHelpers.h"
#include "foundation/FixedField.h"
#include "midi/renderer/PrepareMidi.h"
#include "platform/FileChooser.h"
#include "platform/Process.h"
#include "platform/UiServices.h"
#include "renderer/CConfigDlg.h"
#include "renderer/SynthComponent.h"

namespace crx::renderer {
namespace {

void Show(std::string_view text) { Ui().ShowMessage(text, MessageKind::Plain); }

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {
  }, sb{};
  if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace

CTunepressDlg::CTunepressDlg(std::vector<std::string> commandLine)
    : commandLine_(std::move(commandLine)) {}

CTunepressDlg::~CTunepressDlg() {
  if (moviesReady_) {
    movies_.ExitMovies();
    movies_.Terminate();
  }
}

std::string CTunepressDlg::ExtensionOf(const std::string& path) {
  std::string name = GetFileNameOfPath(path);
  size_t dot = name.find_last_of('.');
  if (dot == std::string::npos) return {};
  std::string ext = name.substr(dot + 1);
  for (char& c : ext) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return ext;
}

std::string CTunepressDlg::ReplaceExtension(const std::string& path, std::string_view ending) {
  std::string out = path;
  RemoveExtension(out);
  out.append(ending);
  return out;
}

void CTunepressDlg::SetSaveSettingsOnExit(bool save) {
  saveSettings_ = save;
  if (config_) config_->SetSaveOnDestroy(save);
}

void CTunepressDlg::Repaint() {
  if (repaint_) repaint_();
}

void CTunepressDlg::SetButtons(bool enabled) {
  exitEnabled_ = enabled;
  convertEnabled_ = enabled;
  Repaint();
}

bool CTunepressDlg::OnInitDialog() {
  // The working folder starts as the current folder; the command line may
  // name another.
  workFolder_.clear();
  GetFolderOfPath(std::string_view{}, workFolder_);
  const std::string currentFolder = workFolder_;
  midiPath_.clear();
  outputPath_.clear();
  std::string third;
  if (commandLine_.size() > 0) midiPath_ = commandLine_[0];
  if (commandLine_.size() > 1) outputPath_ = commandLine_[1];
  if (commandLine_.size() > 2) third = commandLine_[2];
  if (!third.empty()) workFolder_ = third;

  // With the main program's marker the settings are those chosen by hand,
  // in the current folder.
  const std::string settingsFolder = third == kMarker ? currentFolder : workFolder_;
  const TunepressSettings defaults = TunepressSettings::Defaults();
  config_ = std::make_unique<CConfigControl>(JoinPath(settingsFolder, kTunepressSettingsFileName),
                                             settings_.Bytes(), defaults.Bytes(), false);
  config_->SetSaveOnDestroy(saveSettings_);

  moviesReady_ = movies_.Initialize(0) == kMovieNoError;
  if (moviesReady_ && movies_.EnterMovies() != kMovieNoError) {
    movies_.Terminate();
    moviesReady_ = false;
  }
  if (!moviesReady_) {
    Show(kMsgNotInstalled);
    // Where the SoundFont was looked for.
    std::string tried;
    for (const std::string& path : MovieServices::SoundFontsTried()) {
      if (!tried.empty()) tried += '\n';
      tried += kMsgNoSoundFontAt;
      tried += path;
    }
    if (!tried.empty()) Show(tried);
  }

  if (workFolder_ == kMarker) GetFolderOfPath(midiPath_, workFolder_);
  startPending_ = true;
  return true;
}

void CTunepressDlg::OnStartMessage() {
  if (!startPending_) return;
  startPending_ = false;
  // Without a MIDI path on the command line the window simply waits.
  if (midiPath_.empty()) return;
  hidden_ = true;
  Repaint();
  StartConversion(midiPath_);
  // A conversion asked for by hand shows the window again afterwards.
  if (outputPath_.empty()) {
    hidden_ = false;
    Repaint();
  }
}

void CTunepressDlg::OnDropFiles(const std::vector<std::string>& files) {
  if (files.size() > 1) {
    Show(kMsgSeveralFiles);
    return;
  }
  if (files.size() == 1) StartConversion(files[0]);
}

void CTunepressDlg::OnConvert() {
  std::string chosen;
  if (SelectOpenFile(kMidiExtension, kMidiFilter, chosen) != 0) StartConversion(chosen);
}

void CTunepressDlg::OnSettings() {
  CConfigDlg dialog(settings_);
  Ui().RunModal(dialog);
}

void CTunepressDlg::OnExit() {
  SleepMs(kExitDelayMs);
  closeRequested_ = true;
  Repaint();
}

void CTunepressDlg::StartConversion(const std::string& midiPath) {
  const bool mp3Output = !outputPath_.empty() && ExtensionOf(outputPath_) == "mp3";
  std::string wavPath;
  if (!outputPath_.empty()) {
    wavPath = mp3Output ? ReplaceExtension(outputPath_, ".wav") : outputPath_;
  } else {
    proposedWavPath_ = ReplaceExtension(midiPath, ".wav");
    FileDialogRequest request{kWavFilter, kWavExtension, false, true};
    std::optional<std::string> chosen = Ui().SaveFileDialog(request);
    if (!chosen) return;
    wavPath = *chosen;
    SetButtons(false);
  }

  ConvertMidiToWav(midiPath, wavPath);

  if (outputPath_.empty()) {
    Show(kMsgFinished);
    SetButtons(true);
    return;
  }
  if (mp3Output) RunMp3Link(ReplaceExtension(outputPath_, ".wav"));
  quitPosted_ = true;
  Repaint();
}

std::string CTunepressDlg::PreparedPathFor(const std::string& midiPath) const {
  std::string prepared = JoinPath(workFolder_, kPreparedFileName);
  // Preparing a song named "temp.mid" into itself and deleting it after
  // the render would lose the user's file.
  if (SameFile(midiPath, prepared)) prepared = JoinPath(workFolder_, kPreparedFileNameAside);
  return prepared;
}

void CTunepressDlg::ConvertMidiToWav(const std::string& midiPath, const std::string& wavPath) {
  const std::string prepared = PreparedPathFor(midiPath);
  // A prepared file left by an earlier run must not be rendered in place of
  // this song when the preparation fails.
  RemoveFile(prepared);
  PrepareMidi(midiPath, prepared);
  // The render's loudness follows the volume setting as its channel-volume
  // scaling does.
  SynthComponent::SetVolumePercent(settings_.EffectiveVolume());
  if (RenderToAiff(prepared, wavPath) == 0) Show(kMsgFailed);
  if (!ReadFixedField(settings_.mp3Link).empty()) RunMp3Link(wavPath);
  RemoveFile(prepared);
}

void CTunepressDlg::PrepareMidi(const std::string& midiPath, const std::string& preparedPath) {
  ::crx::renderer::PrepareMidi(midiPath, preparedPath, settings_.EffectiveVolume(),
                         settings_.channelFlags, settings_.EffectiveLeadInBeats());
}

int CTunepressDlg::RenderToAiff(const std::string& preparedPath, const std::string& wavPath) {
  std::string prepared = preparedPath;
  movies_.MakeToolboxString(prepared);
  FileSpec preparedSpec;
  movies_.MakeFileSpec(0, 0, prepared, preparedSpec);
  MovieFileNumber file = 0;
  MovieId movie = 0;
  MovieResult r = movies_.OpenMovieFile(preparedSpec, file, kReadPermission);
  if (r == kMovieNoError) r = movies_.NewMovieFromFile(movie, file, 0, kNewMovieActive);
  if (r != kMovieNoError) {
    Show(kMsgError);
    if (movie != 0) movies_.DisposeMovie(movie);
    if (file != 0) movies_.CloseMovieFile(file);
    // A WAV of an earlier run must not pass for this one.
    RemoveFile(wavPath);
    return 0;
  }

  std::string aiffPath = ReplaceExtension(wavPath, ".aiff");
  RemoveFile(aiffPath);
  movies_.CloseMovieFile(file);
  movies_.MakeToolboxString(aiffPath);
  FileSpec aiffSpec;
  movies_.MakeFileSpec(0, 0, aiffPath, aiffSpec);
  movies_.SetMovieProgressProc(
      movie,
      [this](MovieId, ProgressMessage, double, long) {
        progressCounter_ += kProgressStep;
        Ui().ProgressTick();
        Repaint();
        // The pause lets a window show the progress; a conversion without
        // one (from the command line) does not wait.
        if (!hidden_) SleepMs(kProgressDelayMs);
        return kMovieNoError;
      },
      0);
  Ui().ProgressStart();
  r = movies_.ConvertMovieToFile(movie, aiffSpec, kFileTypeAiff, kCreatorTvod, kSystemScript, 0, 0);
  Ui().ProgressStop();
  movies_.DisposeMovie(movie);
  RemoveFile(wavPath);
  // A failed export leaves no AIFF file: nothing to convert, and no WAV.
  if (r != kMovieNoError || FileExists(aiffPath) == 0) return 0;
  return ConvertAiffToWav(aiffPath, wavPath) ? 1 : 0;
}

int CTunepressDlg::RunMp3Link(const std::string& wavPath) {
  const std::string mp3Path = ReplaceExtension(wavPath, ".mp3");
  title_ = GetFileNameOfPath(mp3Path);
  Repaint();
  const std::string link = ReadFixedField(settings_.mp3Link);
  if (FileExists(link) == 0) {
    Show(kMsgNoEncoder);
    settings_.mp3Link.fill('\0');
    return 0;
  }
  if (FileExists(wavPath) == 0) {
    Show(kMsgNoWav);
    return 0;
  }
  // Only what the encoder writes now counts as its result.
  RemoveFile(mp3Path);
  const std::string parameters = Quoted(wavPath) + " " + Quoted(mp3Path) + " ";
  if (Process::ShellOpen(link, parameters, kMp3LinkWaitMs) == Process::WaitOutcome::StartFailed) {
    return 0;
  }
  return FileExists(mp3Path) != 0 ? 1 : 0;
}

}  // namespace crx::renderer
