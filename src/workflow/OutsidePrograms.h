#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/AppSettings.h"
#include "foundation/FileHelpers.h"

namespace crx {

// Where the outside programs are looked for, in order. Known() gives the
// real places; tests point them at stand-in programs.
struct ProgramLocations {
  std::string startFolder;
  std::vector<std::string> singer;       // the singing-voice program
  std::vector<std::string> mp3Encoder;   // the MP3 encoder
  std::vector<std::string> soundEditor;  // the sound editor

  static ProgramLocations Known(const std::string& startFolder);
};

// How long the programs started by shell open are waited for.
struct ProgramWaits {
  int mp3Ms = 30000;
  int videoMs = 60000;
  int videoChecks = 20;  // checks for the video in the automatic run
  int videoCheckPauseMs = 500;
};

// How a run keeps hold of the programs it starts: whether it wants them
// stopped now, the programs still running after their wait, and the
// progress of the running program: 0 as a program that reports it starts,
// each percent it reports (0 to 100), and kNoProgress as one that does not
// starts and once one that does has ended or its wait is over.
struct ProgramWatch {
  static constexpr int kNoProgress = -1;

  std::function<bool()> shouldStop;
  std::function<void(int pid)> leftRunning;
  std::function<void(int percent)> progress;
};

// The outside programs of the main program: finding them, their command
// lines, starting them and judging them by their exit status and the file
// they leave. A program is started with an argument vector (paths arrive
// whole, whatever they hold) or opened with a parameter string that is split
// as a Windows command line; each runs in a process group of its own, so
// that a stopped run stops it with everything it started. An earlier file of
// the expected name is set aside while the program runs, and the encoders
// write to a partial name that becomes the product's only when they succeed.
class OutsidePrograms {
 public:
  static constexpr const char* kSingerName = "CantorixSinger";
  static constexpr const char* kMp3EncoderName = "lame";
  static constexpr const char* kRendererName = "TunepressCRX";
  static constexpr const char* kVideoMakerName = "Lyricreel";
  // A singing-voice program whose full path holds this text is the maker's
  // converter; any other is an editor the user exports from by hand.
  static constexpr std::string_view kConverterMark = "Lumivoce";
  static constexpr const char* kRendererMarker = "crx";
  // Longer video parameter strings are warned of in the automatic run.
  static constexpr size_t kLongVideoParameters = 253;

  static constexpr std::string_view kSingerNotFoundMessage =
      "VOCALOID EDITORの実行プログラムが見つかりませんでした。通常は%sなどのフォルダにあります。"
      "手動で所在を指定してください。";
  static constexpr std::string_view kAskSingerMessage =
      "歌声合成のための外部プログラムを指定してください。";
  static constexpr std::string_view kMissingFileMessage = "%sがありません。";
  // A program's own last words follow its failure message, at most this many
  // lines.
  static constexpr size_t kErrorLines = 5;
  static constexpr std::string_view kVideoFailedMessage = "%sの生成に失敗しました。";
  static constexpr std::string_view kLongParametersMessage =
      "ファイル名が長すぎるので処理に失敗するかもしれません。 パラメータが%d文字になっています。";
  // Program pickers show every file: programs here have no extension, so
  // none is added to a chosen name either.
  static constexpr std::string_view kSingerSaveFilter = "歌声合成プログラム|*";
  static constexpr std::string_view kProgramFilter = "プログラム|*|";
  static constexpr std::string_view kProgramExtension = "";

  explicit OutsidePrograms(ProgramLocations locations, ProgramWaits waits = {});
  // The known places around the start folder.
  static OutsidePrograms ForStartFolder(const std::string& startFolder);

  // The run's hold on the programs (none: they run until they end).
  void SetWatch(ProgramWatch watch) { watch_ = std::move(watch); }

  const ProgramLocations& Locations() const { return locations_; }
  const ProgramWaits& Waits() const { return waits_; }
  std::string RendererPath() const;
  std::string VideoMakerPath() const;

  // The default settings with the programs found. When no singing-voice
  // program exists, says so naming the first place and asks for one with a
  // save-kind file dialog (empty when cancelled); this happens at every start.
  AppSettings DefaultSettings() const;

  // The "..." buttons: an open-file dialog for a program whose choice goes
  // straight into the field (a path too long for it is refused). True when
  // the field changed.
  static bool PickProgram(std::array<char, kPathFieldSize>& field);

  static bool IsConverter(std::string_view programPath);
  static std::string FirstExisting(const std::vector<std::string>& paths);

  // The argument vectors (after argument 0).
  static std::vector<std::string> SingerArguments(
      std::string_view programPath, std::string_view karaokeMidiPath,
      std::string_view vocalMidiPath, std::string_view vocalWavPath, int transpose,
      const std::vector<std::string>& voiceArguments = {});
  static std::vector<std::string> RendererArguments(std::string_view temporaryMidiPath,
                                                    std::string_view accompanimentWavPath);
  // The parameter strings of shell open: each path in double quotes (a path
  // holding quotes or ending in backslashes is escaped so that it splits
  // back whole).
  static std::string Mp3Parameters(std::string_view mixWavPath, std::string_view mp3Path);
  static std::string VideoParameters(std::string_view mixWavPath, std::string_view karaokeMidiPath,
                                     std::string_view videoPath, std::string_view backgroundPath,
                                     std::string_view songInfoPath, std::string_view startFolder);
  static std::string SoundEditorParameters(std::string_view wavPath);
  static std::string QuoteParameter(std::string_view text);
  // Where an encoder writes a product until it has succeeded: a hidden name
  // beside it with the same extension.
  static std::string PartialPathFor(const std::string& productPath);
  // The last kErrorLines lines of a program's error text, without the final
  // line break; "\r" ends a line too. The progress lines of the program
  // called progressName are left out.
  static std::string LastLines(std::string_view errorText, std::string_view progressName = {});

  // Step 4: starts the singing-voice program and waits until it ends (no
  // start without an existing program). True when it ended well and the
  // vocal WAV exists, else kMissingFileMessage with its path and the
  // program's own error text.
  bool RenderVocal(const std::string& programPath, const std::string& karaokeMidiPath,
                   const std::string& vocalMidiPath, const std::string& vocalWavPath, int transpose,
                   const std::vector<std::string>& voiceArguments = {}) const;
  // Step 5: starts the renderer of the start folder and waits, passing the
  // progress it reports on to the watch. True when it ended well and the
  // accompaniment WAV exists, else kMissingFileMessage with the path in
  // double quotes and the renderer's error text. The temporary MIDI is
  // deleted in both cases.
  bool RenderAccompaniment(const std::string& temporaryMidiPath,
                           const std::string& accompanimentWavPath) const;
  // Step 7: opens the encoder on a partial name and waits 30 s at most. True
  // when it ended well, or was still writing at the time-out, and its MP3
  // exists: it then takes the product's name. A failure is told with
  // kVideoFailedMessage for the MP3 and the encoder's error text; an empty
  // encoder path fails quietly. finished: whether the encoder had ended when
  // the wait did.
  bool EncodeMp3(const std::string& encoderPath, const std::string& mixWavPath,
                 const std::string& mp3Path, bool* finished = nullptr) const;

  enum class VideoCheck { AtOnce, Repeated };
  // Step 8 (AtOnce) and the automatic run (Repeated, with the warning for a
  // long parameter string): opens the video maker of the start folder and
  // waits 60 s at most, the video made under a partial name and the
  // progress the maker reports passed on to the watch. A failed start
  // shows the parameter string; a failed maker or a video still missing
  // shows kVideoFailedMessage (with the maker's error text). True when the
  // video exists under its name.
  bool MakeVideo(const std::string& mixWavPath, const std::string& karaokeMidiPath,
                 const std::string& videoPath, const std::string& backgroundPath,
                 const std::string& songInfoPath, VideoCheck check) const;
  // The edit buttons: opens the sound editor on the WAV without waiting.
  void OpenSoundEditor(const std::string& editorPath, const std::string& wavPath) const;

 private:
  ProgramLocations locations_;
  ProgramWaits waits_;
  ProgramWatch watch_;
};

// printf-style "%s" and "%d" in a message of the system, filled in order.
std::string FillMessage(std::string_view format, std::string_view text);
// Two "%s" filled in order; a "%s" inside the first text stays as it is.
std::string FillMessage(std::string_view format, std::string_view first, std::string_view second);
std::string FillMessage(std::string_view format, long long number);

}  // namespace crx
