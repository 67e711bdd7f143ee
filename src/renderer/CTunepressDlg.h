#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/CConfigControl.h"
#include "midi/renderer/PrepareMidi.h"
#include "platform/DialogModel.h"
#include "renderer/AccompanimentRenderer.h"
#include "renderer/TunepressSettings.h"

namespace crx::renderer {

// The renderer's main dialog: renders a MIDI file to a WAV file with the
// synthesizer, started by the main program with "MIDI WAV crx" or used by
// hand (a dropped file or the convert button). The dialog class holds the
// whole behaviour; a window shows it and forwards the user's actions.
class CTunepressDlg : public DialogModel {
 public:
  static constexpr int kResourceId = 102;
  static constexpr const char* kCaption = "Tunepresser";
  static constexpr const char* kExitCaption = "   終  了";
  static constexpr const char* kConvertCaption = "   変  換";
  static constexpr const char* kSettingsCaption = "   設　定";
  // The third command-line argument of the main program.
  static constexpr const char* kMarker = "crx";
  static constexpr const char* kMidiFilter = "SMF files|*.mid|";
  static constexpr const char* kMidiExtension = "mid";
  static constexpr const char* kWavFilter = "wav files|*.wav|";
  static constexpr const char* kWavExtension = "wav";
  static constexpr int kProgressStep = 5;
  static constexpr int kProgressDelayMs = 10;
  static constexpr int kExitDelayMs = 300;
  static constexpr int kMp3LinkWaitMs = 30000;

  static constexpr std::string_view kMsgNotInstalled = "QuickTimeがインストールされていません。";
  // Each place the SoundFont was looked for, one line each.
  static constexpr std::string_view kMsgNoSoundFontAt = "no SoundFont at ";
  static constexpr std::string_view kMsgSeveralFiles = "複数のファイルは投入できません。";
  static constexpr std::string_view kMsgFinished = "変換が終了しました。";
  static constexpr std::string_view kMsgFailed = "変換に失敗しました。";
  static constexpr std::string_view kMsgError = "エラー発生";
  static constexpr std::string_view kMsgNoEncoder = "エンコーダが見つかりませんでした。";
  static constexpr std::string_view kMsgNoWav = "WAVファイルが見つかりませんでした。";

  // commandLine: the program's arguments after its name; the first three
  // are the MIDI path, the output path and the third argument.
  explicit CTunepressDlg(std::vector<std::string> commandLine = {});
  // Writes the settings file (unless switched off).
  ~CTunepressDlg() override;
  CTunepressDlg(const CTunepressDlg&) = delete;
  CTunepressDlg& operator=(const CTunepressDlg&) = delete;

  const char* DialogName() const override { return "CTunepressDlg"; }
  // The start-up: command line, settings file, synthesizer, working
  // folder, and the start message posted.
  bool OnInitDialog() override;
  void OnCancel() override { OnExit(); }

  // The start message, run once after start-up by the window's event loop.
  bool StartMessagePending() const { return startPending_; }
  void OnStartMessage();
  void OnDropFiles(const std::vector<std::string>& files);
  void OnConvert();
  void OnSettings();
  void OnExit();

  void StartConversion(const std::string& midiPath);
  void ConvertMidiToWav(const std::string& midiPath, const std::string& wavPath);
  // The song prepared with the settings, in memory; nothing when it could
  // not be read.
  std::optional<std::vector<uint8_t>> PrepareMidi(const std::string& midiPath);
  // 1 when the WAV file was written, else 0 (and no WAV file is left).
  int RenderToWav(const std::optional<std::vector<uint8_t>>& prepared, const std::string& wavPath);
  int RunMp3Link(const std::string& wavPath);

  // Headless runs read the settings file but do not rewrite it.
  void SetSaveSettingsOnExit(bool save);
  // Called whenever what the window shows changes (progress, buttons, title).
  void SetRepaint(std::function<void()> repaint) { repaint_ = std::move(repaint); }
  // Told how much of a render is done, 0 to 100 percent, as it goes on.
  void SetPercentListener(std::function<void(int percent)> listener) {
    percentListener_ = std::move(listener);
  }

  const std::string& MidiPath() const { return midiPath_; }
  const std::string& OutputPath() const { return outputPath_; }
  const std::string& WorkFolder() const { return workFolder_; }
  std::string SettingsPath() const { return config_ ? config_->Path() : std::string(); }
  // The file the save dialog proposes for the last conversion started by hand.
  const std::string& ProposedWavPath() const { return proposedWavPath_; }
  TunepressSettings& Settings() { return settings_; }
  const std::string& Title() const { return title_; }
  int ProgressCounter() const { return progressCounter_; }
  bool Hidden() const { return hidden_; }
  bool QuitPosted() const { return quitPosted_; }
  bool CloseRequested() const { return closeRequested_; }
  bool ExitEnabled() const { return exitEnabled_; }
  bool ConvertEnabled() const { return convertEnabled_; }
  bool SynthesizerReady() const { return renderer_ != nullptr; }

  // The text after the file name's last ".", with A-Z made small; empty
  // without one. A dot in a folder name does not count.
  static std::string ExtensionOf(const std::string& path);
  // The path without the file name's extension, then the new ending.
  static std::string ReplaceExtension(const std::string& path, std::string_view ending);

 private:
  void SetButtons(bool enabled);
  void Repaint();

  std::vector<std::string> commandLine_;
  std::string midiPath_;
  std::string outputPath_;
  std::string workFolder_;
  std::string proposedWavPath_;
  TunepressSettings settings_;
  std::unique_ptr<CConfigControl> config_;  // after settings_: saves them before they go
  std::unique_ptr<AccompanimentRenderer> renderer_;
  bool saveSettings_ = true;
  bool startPending_ = false;
  bool hidden_ = false;
  bool quitPosted_ = false;
  bool closeRequested_ = false;
  bool exitEnabled_ = true;
  bool convertEnabled_ = true;
  int progressCounter_ = 0;
  std::string title_ = kCaption;
  std::function<void()> repaint_;
  std::function<void(int percent)> percentListener_;
};

}  // namespace crx::renderer
