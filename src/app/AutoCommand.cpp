#include "app/AutoCommand.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <charconv>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>

#include "app/CCantorixDlg.h"
#include "app/CVideoDlg.h"
#include "audio/LoudnessLeveler.h"
#include "foundation/CommandLine.h"
#include "foundation/FileHelpers.h"
#include "foundation/FixedField.h"
#include "karaoke/XfKaraokeData.h"
#include "karaoke/XfSongInformation.h"
#include "platform/ConsoleHost.h"
#include "platform/Process.h"
#include "platform/TextCodec.h"
#include "platform/UiServices.h"
#include "workflow/OutsidePrograms.h"
#include "workflow/SettingsSession.h"
#include "workflow/Workflow.h"

namespace crx {
namespace {

constexpr const char* kAutoUsage =
    "Usage: Cantorix auto [--mode wav|mp3|wmv] [--octave N] [--melody-channel N]\n"
    "                     [--singer PROGRAM] [--title T] [--composer C] [--lyricist L]\n"
    "                     [--loudness LUFS|off] KARAOKE.mid\n"
    "  Runs every step at once: the vocal MIDI, the voice, the accompaniment, the\n"
    "  mix, then the MP3 (mp3) or the video (wmv). The product's path goes to\n"
    "  standard output; every file is written beside KARAOKE.mid.\n"
    "  --mode M          wav, mp3 or wmv (default: the mode of the settings, else wav)\n"
    "  KARAOKE.mid is an XF karaoke file, a Soft Karaoke .kar file, or a MIDI file\n"
    "  with one lyric per note (CP932 or UTF-8).\n"
    "  --octave N        moves the melody by N octaves (-10 to 10; default 0)\n"
    "  --melody-channel N\n"
    "                    sings MIDI channel N (1-16; default: the channel the file\n"
    "                    names, else 1)\n"
    "  --singer PROGRAM  the singing-voice program for this run\n"
    "  --title, --composer, --lyricist\n"
    "                    the texts of the video and the MP3's tags (default: the\n"
    "                    karaoke file's information)\n"
    "  --loudness LUFS   the loudness of the MP3 and the video, -40 to -6 (default:\n"
    "                    the settings', else -16); off leaves the sound as mixed\n";
constexpr auto kTickInterval = std::chrono::milliseconds(500);
constexpr std::string_view kLoudnessOff = "off";

int Fail(const std::string& reason) {
  std::fprintf(stderr, "Cantorix auto: %s\n%s", reason.c_str(), kAutoUsage);
  return 1;
}

std::optional<int> ParseMode(std::string_view text) {
  if (text == "wav") return Workflow::kWav;
  if (text == "mp3") return Workflow::kMp3;
  if (text == "wmv") return Workflow::kVideo;
  return std::nullopt;
}

// "off", or a loudness in LUFS within the leveler's range, to the tenth.
std::optional<int32_t> ParseLoudness(std::string_view text) {
  if (text == kLoudnessOff) return AppSettings::kLoudnessOff;
  double lufs = 0;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), lufs);
  if (text.empty() || ec != std::errc() || ptr != text.data() + text.size() ||
      !(lufs >= LoudnessLeveler::kMinTargetLufs && lufs <= LoudnessLeveler::kMaxTargetLufs)) {
    return std::nullopt;
  }
  return static_cast<int32_t>(std::lround(lufs * AppSettings::kLoudnessTenths));
}

struct Options {
  std::optional<int> mode;
  int octaves = 0;
  std::optional<int> melodyChannel;
  std::optional<std::string> singer;
  std::map<CVideoDlg::Text, std::string> texts;  // UTF-8, as given
  std::optional<int32_t> loudness;               // tenths of LUFS, or off
  std::string karaoke;
};

// The reader of the arguments, filling the options.
CommandLine Reader(Options& o) {
  CommandLine reader;
  reader
      .Value({"--mode"},
             [&o](const std::string& value) -> std::string {
               o.mode = ParseMode(value);
               if (!o.mode) return "--mode is wav, mp3 or wmv: " + value;
               return {};
             })
      .Value({"--octave"},
             [&o](const std::string& value) -> std::string {
               std::optional<int> v = VocalPipeline::ParseOctaveShift(value);
               if (!v) return "--octave takes a whole number from -10 to 10: " + value;
               o.octaves = *v;
               return {};
             })
      .Value({"--melody-channel"},
             [&o](const std::string& value) -> std::string {
               o.melodyChannel = VocalPipeline::ParseMelodyChannel(value);
               if (!o.melodyChannel)
                 return "--melody-channel takes a channel from 1 to 16: " + value;
               return {};
             })
      .Value({"--loudness"},
             [&o](const std::string& value) -> std::string {
               o.loudness = ParseLoudness(value);
               if (!o.loudness) return "--loudness takes off or LUFS from -40 to -6: " + value;
               return {};
             })
      .Value({"--singer"}, [&o](const std::string& value) {
        o.singer = value;
        return std::string();
      });
  for (const auto& [name, field] :
       {std::pair{"--title", CVideoDlg::kTitle}, std::pair{"--composer", CVideoDlg::kComposer},
        std::pair{"--lyricist", CVideoDlg::kLyricist}}) {
    reader.Value({name}, [&o, field](const std::string& value) {
      o.texts[field] = value;
      return std::string();
    });
  }
  return reader;
}

// Drives the progress indicator every 500 ms while the run works.
class ProgressTicker {
 public:
  ProgressTicker()
      : thread_([this] {
          std::unique_lock lock(mutex_);
          while (!cv_.wait_for(lock, kTickInterval, [this] { return done_; })) {
            lock.unlock();
            Ui().ProgressTick();
            lock.lock();
          }
        }) {}
  ~ProgressTicker() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    cv_.notify_all();
    thread_.join();
  }
  ProgressTicker(const ProgressTicker&) = delete;
  ProgressTicker& operator=(const ProgressTicker&) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool done_ = false;
  std::thread thread_;
};

// The answers of a run without a window: the karaoke file and the octaves
// given, the video's texts given or else the karaoke file's. What the
// automatic run never asks is refused.
class OptionsUser : public WorkflowUser {
 public:
  explicit OptionsUser(const Options& options) : options_(options) {}

  std::optional<std::string> KaraokeFile() override { return options_.karaoke; }
  bool MelodyRange(crx::MelodyRange& range) override {
    return VocalPipeline::OctaveShift(options_.octaves)(range);
  }
  void ReviewLyrics(LyricsReview& review) override {
    std::vector<std::string> lines;
    VocalPipeline::ConvertLyrics(review.song, review.vocaloid, review.melodyChannel,
                                 review.dictionaryFolder, lines);
  }
  std::optional<std::string> VocalMidiPath() override { return std::nullopt; }
  void BeforeSinger(const std::string&, const std::string&, ProgramField&) override {}
  std::optional<std::string> SingerProgram() override { return std::nullopt; }
  std::optional<std::string> MixPath() override { return std::nullopt; }
  void MixValues(const std::string&, const std::string&, const std::string&,
                 MixSettings&) override {}
  bool WantMp3(ProgramField&) override { return true; }
  void FilesToRemove(const std::array<std::string, 4>&, std::array<int32_t, 4>&) override {}

  std::string VideoTexts(const VideoRequest& request) override {
    XfSongInformation info;
    if (request.song != nullptr) info = XfSongInformation::From(*request.song);
    // The video dialog's own checks and writing, without the window.
    CVideoDlg video(request.mixWavPath, request.karaokeMidiPath, request.backgroundPath,
                    request.videoPath, request.workFolder);
    video.OnInitDialog();
    const std::pair<CVideoDlg::Text, const std::string*> fromSong[] = {
        {CVideoDlg::kTitle, &info.title},
        {CVideoDlg::kComposer, &info.composer},
        {CVideoDlg::kLyricist, &info.lyricist}};
    for (const auto& [field, cp932] : fromSong) {
      auto given = options_.texts.find(field);
      video.SetText(field, given != options_.texts.end() ? given->second
                                                         : TextCodec::Cp932ToUtf8Lossy(*cp932));
    }
    video.OnOK();
    return video.SongInfoPath();
  }

 private:
  const Options& options_;
};

// The run that SIGINT and SIGTERM stop, and the signal that came.
std::atomic<Workflow*> g_stoppable{nullptr};
volatile sig_atomic_t g_signal = 0;

extern "C" void OnStopSignal(int signal) {
  g_signal = signal;
  if (Workflow* flow = g_stoppable.load()) flow->RequestStop();
}

// SIGINT and SIGTERM stop the run instead of ending the process at once,
// while it lives.
class StopOnSignals {
 public:
  explicit StopOnSignals(Workflow& flow) {
    g_signal = 0;
    g_stoppable.store(&flow);
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previousInt_);
    sigaction(SIGTERM, &action, &previousTerm_);
  }
  ~StopOnSignals() {
    sigaction(SIGINT, &previousInt_, nullptr);
    sigaction(SIGTERM, &previousTerm_, nullptr);
    g_stoppable.store(nullptr);
  }
  StopOnSignals(const StopOnSignals&) = delete;
  StopOnSignals& operator=(const StopOnSignals&) = delete;
  // The status of a process ended by the signal: 128 and its number.
  static int ExitStatus() { return kSignalStatusBase + static_cast<int>(g_signal); }

 private:
  static constexpr int kSignalStatusBase = 128;
  struct sigaction previousInt_ {};
  struct sigaction previousTerm_ {};
};

}  // namespace

int RunAutoCommand(const std::vector<std::string>& args) { return RunAutoCommand(args, stdout); }

int RunAutoCommand(const std::vector<std::string>& args, std::FILE* productOut) {
  Options options;
  const CommandLine::Parsed parsed = Reader(options).Parse(args);
  if (parsed.request != CommandLine::Request::Run) {
    std::fputs(CommandLine::Answer(parsed, kAutoUsage, "Cantorix").c_str(), stdout);
    return 0;
  }
  if (!parsed.Ok()) return Fail(parsed.error);
  if (parsed.operands.size() != 1) return Fail("one karaoke MIDI file is needed");
  options.karaoke = parsed.operands[0];
  if (!FitsPathField(options.karaoke)) {
    return Fail("a path is longer than 259 bytes: " + options.karaoke);
  }
  if (options.singer && !FitsPathField(*options.singer)) {
    return Fail("a path is longer than 259 bytes: " + *options.singer);
  }

  ConsoleHost host;
  ScopedUi scope(host);
  const OutsidePrograms programs = OutsidePrograms::ForStartFolder(StartFolder());
  SettingsSession session;
  session.Open(programs);
  session.KeepFile();
  AppSettings& settings = session.Values();
  if (options.mode) {
    settings.mode = *options.mode;
  } else if (settings.mode < Workflow::kWav || settings.mode > Workflow::kVideo) {
    settings.mode = Workflow::kWav;
  }
  if (options.singer) WriteFixedField(settings.voiceProgramPath, *options.singer);
  if (options.loudness) settings.loudness = *options.loudness;
  const std::string singer = ReadFixedField(settings.voiceProgramPath);
  if (singer.empty() || !FileExists(singer)) {
    Ui().ShowMessage(OutsidePrograms::kAskSingerMessage, MessageKind::Plain);
    std::fprintf(stderr, "Cantorix auto: no singing-voice program%s%s (give one with --singer)\n",
                 singer.empty() ? "" : " at ", singer.c_str());
    return 1;
  }

  OptionsUser user(options);
  Workflow flow(programs, settings, programs.Locations().startFolder, session.WorkFolder(), user);
  flow.SetGivenMelodyChannel(options.melodyChannel);
  SongCredits given;
  for (auto [field, text] : {std::pair{CVideoDlg::kTitle, &given.title},
                             std::pair{CVideoDlg::kComposer, &given.composer},
                             std::pair{CVideoDlg::kLyricist, &given.lyricist}}) {
    if (auto found = options.texts.find(field); found != options.texts.end()) *text = found->second;
  }
  flow.SetGivenCredits(std::move(given));
  flow.SetStepListener([](Step step) {
    Ui().ShowMessage(CCantorixDlg::kRows[static_cast<size_t>(IndexOf(step))].description,
                     MessageKind::Plain);
  });
  std::string product;
  {
    const StopOnSignals signals(flow);
    {
      ProgressTicker ticker;
      product = flow.RunAutomatic();
    }
    if (flow.Interrupted()) {
      std::fprintf(stderr, "Cantorix auto: stopped; this run's files were removed\n");
      return StopOnSignals::ExitStatus();
    }
  }
  Ui().ShowMessage(Workflow::kFinishedMessage, MessageKind::Plain);
  if (product.empty()) {
    if (flow.Song() == nullptr) {
      std::fprintf(stderr, "Cantorix auto: no karaoke song could be read from %s\n",
                   options.karaoke.c_str());
    }
    return 1;
  }
  std::fprintf(productOut, "%s\n", product.c_str());
  std::fflush(productOut);
  return 0;
}

}  // namespace crx
