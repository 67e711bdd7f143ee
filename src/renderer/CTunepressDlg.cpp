#include "renderer/CTunepressDlg.h"

#include <cmath>

#include "foundation/FileHelpers.h"
#include "foundation/FixedField.h"
#include "midi/renderer/PrepareMidi.h"
#include "platform/FileChooser.h"
#include "platform/Process.h"
#include "platform/ProgressLine.h"
#include "platform/UiServices.h"
#include "renderer/CConfigDlg.h"
#include "renderer/MidiFileCheck.h"

namespace crx::renderer {
namespace {

void Show(std::string_view text) { Ui().ShowMessage(text, MessageKind::Plain); }

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// The part of an image from its "MThd" on, when it is a MIDI file the
// synthesizer can play.
std::optional<std::span<const uint8_t>> PlayableMidi(std::span<const uint8_t> image) {
  const std::optional<size_t> offset = MidiFileCheck::HeaderOffset(image);
  if (!offset || !MidiFileCheck::Playable(image.subspan(*offset))) return std::nullopt;
  return image.subspan(*offset);
}

}  // namespace

CTunepressDlg::CTunepressDlg(std::vector<std::string> commandLine)
    : commandLine_(std::move(commandLine)) {}

CTunepressDlg::~CTunepressDlg() = default;

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

  MidiSynthesizer::LoadResult loaded = MidiSynthesizer::LoadResult::NoSoundFont;
  std::vector<std::string> candidates;
  renderer_ = AccompanimentRenderer::Load(loaded, candidates);
  if (!renderer_) {
    Show(kMsgNotInstalled);
    // Where the SoundFont was looked for.
    std::string tried;
    for (const std::string& path : candidates) {
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

void CTunepressDlg::ConvertMidiToWav(const std::string& midiPath, const std::string& wavPath) {
  const std::optional<std::vector<uint8_t>> prepared = PrepareMidi(midiPath);
  if (RenderToWav(prepared, wavPath) == 0) Show(kMsgFailed);
  if (!ReadFixedField(settings_.mp3Link).empty()) RunMp3Link(wavPath);
}

std::optional<std::vector<uint8_t>> CTunepressDlg::PrepareMidi(const std::string& midiPath) {
  return PrepareMidiFile(midiPath, settings_.EffectiveVolume(), settings_.channelFlags,
                         settings_.EffectiveLeadInBeats());
}

int CTunepressDlg::RenderToWav(const std::optional<std::vector<uint8_t>>& prepared,
                               const std::string& wavPath) {
  std::optional<std::span<const uint8_t>> midi;
  if (prepared) midi = PlayableMidi(*prepared);
  if (!renderer_ || !midi) {
    Show(kMsgError);
    // A WAV of an earlier run must not pass for this one.
    RemoveFile(wavPath);
    return 0;
  }
  auto progress = [this](AccompanimentRenderer::Phase, double fraction) {
    progressCounter_ += kProgressStep;
    Ui().ProgressTick();
    Repaint();
    if (percentListener_) {
      percentListener_(static_cast<int>(std::lround(fraction * ProgressLine::kFullPercent)));
    }
    // The pause lets a window show the progress; a conversion without
    // one (from the command line) does not wait.
    if (!hidden_) SleepMs(kProgressDelayMs);
    return true;
  };
  Ui().ProgressStart();
  const AccompanimentRenderer::Result result =
      renderer_->Render(*midi, wavPath, settings_.EffectiveVolume(), progress);
  Ui().ProgressStop();
  if (result != AccompanimentRenderer::Result::Done) {
    RemoveFile(wavPath);
    return 0;
  }
  return 1;
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
