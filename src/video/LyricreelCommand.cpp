#include "video/LyricreelCommand.h"

#include <signal.h>
#include <unistd.h>

#include <array>
#include <charconv>
#include <cstdio>
#include <optional>
#include <span>
#include <string_view>

#include "audio/CWaveFile.h"
#include "foundation/CommandLine.h"
#include "foundation/FileHelpers.h"
#include "karaoke/XfKaraokeData.h"
#include "lyrics/CImeLanguage.h"
#include "platform/ProgressLine.h"
#include "platform/UiServices.h"
#include "video/LyricSheet.h"
#include "video/ScratchSpace.h"
#include "video/SongCredits.h"
#include "video/SubtitleScript.h"
#include "video/TitleCard.h"
#include "video/VideoEncoder.h"
#include "video/VideoFormat.h"
#include "video/VideoMessages.h"
#include "video/VideoText.h"

namespace crx {
namespace {

constexpr const char* kUsage =
    "Usage: Lyricreel [--size WxH] [--offset-ms N] [--furigana none|file|all] MIXED.wav "
    "KARAOKE.mid VIDEO BACKGROUND SONG_INFO START_FOLDER\n"
    "  Makes the karaoke video of a mixed WAV: the background image (BMP, PNG or JPEG) for\n"
    "  the WAV's whole length, a title card from the song-information file SONG_INFO (what it\n"
    "  leaves empty, or all when SONG_INFO is \"\", from KARAOKE.mid's information), then\n"
    "  the lyrics of KARAOKE.mid two lines at a time, wiped in time with the song.\n"
    "  VIDEO ends in .wmv (Windows Media Video 8 and Audio 2 in ASF) or .mp4 (H.264 and AAC).\n"
    "  A font ipag.ttf in START_FOLDER is used before the system's IPA Gothic.\n"
    "  --size WxH      frame size in even numbers of pixels (default 1280x720 for .mp4,\n"
    "                  640x480 for .wmv)\n"
    "  --offset-ms N   moves the lyrics N milliseconds later (earlier when negative); the\n"
    "                  first note of the song is taken to sound at the start of the WAV\n"
    "  --furigana M    readings above the kanji: none; file, the readings the karaoke file\n"
    "                  gives; all (default), those and the readings of the other kanji as\n"
    "                  the lyrics are sung (as file when no reading service is installed)\n"
    "  --help, --version\n";

constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;
constexpr int kHdWidth = 1280;
constexpr int kHdHeight = 720;
constexpr int kMinSide = 16;
constexpr int kMaxSide = 4096;
constexpr long long kMaxOffsetMs = 3600000;
constexpr size_t kArgumentCount = 6;
constexpr const char* kProgramName = "Lyricreel";
constexpr std::string_view kFuriganaNone = "none";
constexpr std::string_view kFuriganaFile = "file";
constexpr std::string_view kFuriganaAll = "all";

// Which readings show above the kanji.
enum class Furigana { None, File, All };

int Fail(const std::string& reason) {
  std::fprintf(stderr, "%s: %s\n%s", kProgramName, reason.c_str(), kUsage);
  return 1;
}

void Tell(std::string_view message, std::string_view argument = {}) {
  Ui().ShowMessage(VideoText::WithArgument(message, argument), MessageKind::Plain);
}

std::optional<long long> ParseInteger(std::string_view text) {
  long long v = 0;
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || ec != std::errc() || ptr != text.data() + text.size()) return std::nullopt;
  return v;
}

bool ParseSize(std::string_view text, int& width, int& height) {
  const size_t x = text.find('x');
  if (x == std::string_view::npos) return false;
  const auto w = ParseInteger(text.substr(0, x));
  const auto h = ParseInteger(text.substr(x + 1));
  auto fits = [](std::optional<long long> v) {
    return v && *v >= kMinSide && *v <= kMaxSide && *v % 2 == 0;
  };
  if (!fits(w) || !fits(h)) return false;
  width = static_cast<int>(*w);
  height = static_cast<int>(*h);
  return true;
}

// SIGINT, SIGTERM and SIGHUP end the encode; the temporary files still go.
volatile sig_atomic_t g_stopRequested = 0;
void OnStopSignal(int) { g_stopRequested = 1; }

class StopSignals {
 public:
  StopSignals() {
    g_stopRequested = 0;
    struct sigaction sa {};
    sa.sa_handler = OnStopSignal;
    sigemptyset(&sa.sa_mask);
    for (size_t i = 0; i < kSignals.size(); ++i) sigaction(kSignals[i], &sa, &previous_[i]);
  }
  ~StopSignals() {
    for (size_t i = 0; i < kSignals.size(); ++i) sigaction(kSignals[i], &previous_[i], nullptr);
  }
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;
  static bool Requested() { return g_stopRequested != 0; }

 private:
  static constexpr std::array<int, 3> kSignals{SIGINT, SIGTERM, SIGHUP};
  std::array<struct sigaction, 3> previous_{};
};

std::string Absolute(const std::string& path) {
  if (!path.empty() && path.front() == '/') return path;
  std::string here;
  return GetCurrentFolder(here) ? JoinPath(here, path) : path;
}

// The WAV's length in seconds; 0 after a message when it has no sound.
double WaveSeconds(const std::string& path) {
  CWaveFile wave;
  if (path.empty() || wave.Open(CWaveFile::kModeRead, path) != 0) {
    if (path.empty()) Tell(kMsgWaveEmpty, path);
    return 0;
  }
  const WaveFormatRecord& f = wave.Format();
  if (f.blockAlign == 0 || f.samplesPerSec == 0 || wave.DataSize() < f.blockAlign) {
    Tell(kMsgWaveEmpty, path);
    return 0;
  }
  return static_cast<double>(wave.DataSize() / f.blockAlign) / f.samplesPerSec;
}

struct Request {
  std::string wav;
  std::string karaoke;
  std::string video;
  std::string background;
  std::string songInfo;
  std::string startFolder;
  int width = 0;  // 0: the format's default
  int height = 0;
  int offsetMs = 0;
  Furigana furigana = Furigana::All;
};

int MakeVideo(const Request& r) {
  const std::optional<VideoFormat> format = VideoFormat::ForPath(r.video);
  if (!format) {
    Tell(kMsgUnknownFormat, r.video);
    return 1;
  }
  const double seconds = WaveSeconds(r.wav);
  if (seconds <= 0) return 1;
  const bool hd = format->Extension() == VideoFormat::kMp4Extension;
  const int width = r.width > 0 ? r.width : hd ? kHdWidth : kDefaultWidth;
  const int height = r.height > 0 ? r.height : hd ? kHdHeight : kDefaultHeight;

  LyricSheet sheet;
  SongCredits credits;
  {
    if (r.karaoke.empty()) {
      Tell(kMsgKaraokeUnreadable, r.karaoke);
      return 1;
    }
    XfKaraokeData song(r.karaoke);
    if (song.ImageSize() == 0 || song.MainTrack().Empty()) {
      Tell(kMsgKaraokeUnreadable, r.karaoke);
      return 1;
    }
    sheet = LyricSheet::FromSong(song, r.offsetMs,
                                 SubtitleScript(width, height, seconds).LineRoomEms());
    credits = SongCredits::FromKaraoke(song);
  }
  if (r.furigana == Furigana::None) sheet.DropRubies();
  if (r.furigana == Furigana::All) {
    CImeLanguage ime;
    if (ime.Available()) sheet.AddReadings(ime);
  }
  if (sheet.Empty()) Tell(kMsgNoLyrics, r.karaoke);
  TitleCard card = TitleCard::FromSongInfo(r.songInfo);
  card.FillFrom(credits);

  StopSignals signals;
  const VideoEncoder encoder(*format);
  if (!encoder.CheckTools()) return 1;
  const std::string font = VideoEncoder::FindFont(VideoEncoder::FontCandidates(r.startFolder));
  if (font.empty()) return 1;

  ScratchSpace scratch;
  std::string partial;
  if (!scratch.MakeFileBeside(r.video, partial)) {
    Tell(kMsgCannotWrite, r.video);
    return 1;
  }
  if (!scratch.MakeFolder() || !VideoEncoder::LinkFont(font, scratch.Folder())) {
    Tell(kMsgTemporaryFailed);
    return 1;
  }
  const std::string script = SubtitleScript(width, height, seconds).Build(sheet, card);
  const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(script.data()),
                                       script.size());
  if (!WriteRecord(JoinPath(scratch.Folder(), VideoEncoder::kScriptName), bytes)) return 1;

  VideoEncoder::Job job;
  job.wavPath = Absolute(r.wav);
  job.outputPath = Absolute(partial);
  job.scratchFolder = scratch.Folder();
  job.width = width;
  job.height = height;
  job.durationSeconds = seconds;
  job.whiteBackground = !encoder.PrepareBackground(r.background, scratch.Folder(), width, height);
  if (job.whiteBackground) Tell(kMsgBackgroundUnreadable, r.background);
  if (StopSignals::Requested()) {
    Tell(kMsgEncodeStopped);
    return 1;
  }

  std::string error;
  bool encoded = false;
  {
    ProgressLine progress(kProgramName);
    encoded = encoder.Encode(
        job, [&progress](int percent) { progress.Show(percent); },
        [] { return StopSignals::Requested(); }, error);
  }
  if (StopSignals::Requested()) {
    Tell(kMsgEncodeStopped);
    return 1;
  }
  if (!encoded) {
    Tell(kMsgEncodeFailed, r.video);
    if (!error.empty()) Tell("ffmpeg: %s", error);
    return 1;
  }
  if (std::rename(partial.c_str(), r.video.c_str()) != 0) {
    Tell(kMsgCannotWrite, r.video);
    return 1;
  }
  scratch.Keep(partial);
  return FileExists(r.video) ? 0 : 1;
}

}  // namespace

int RunLyricreelCommand(const std::vector<std::string>& args) {
  Request r;
  CommandLine reader;
  reader.DoubleDashOptionsOnly()
      .Value({"--furigana"},
             [&](const std::string& value) -> std::string {
               if (value == kFuriganaNone) {
                 r.furigana = Furigana::None;
               } else if (value == kFuriganaFile) {
                 r.furigana = Furigana::File;
               } else if (value == kFuriganaAll) {
                 r.furigana = Furigana::All;
               } else {
                 return "--furigana takes none, file or all: " + value;
               }
               return {};
             })
      .Value({"--size"},
             [&](const std::string& value) -> std::string {
               if (!ParseSize(value, r.width, r.height)) {
                 return "--size takes WIDTHxHEIGHT, even numbers from 16 to 4096: " + value;
               }
               return {};
             })
      .Value({"--offset-ms"}, [&](const std::string& value) -> std::string {
        const auto ms = ParseInteger(value);
        if (!ms || *ms < -kMaxOffsetMs || *ms > kMaxOffsetMs) {
          return "--offset-ms takes milliseconds, -3600000 to 3600000: " + value;
        }
        r.offsetMs = static_cast<int>(*ms);
        return {};
      });
  const CommandLine::Parsed parsed = reader.Parse(args);
  if (parsed.request != CommandLine::Request::Run) {
    std::fputs(CommandLine::Answer(parsed, kUsage, kProgramName).c_str(), stdout);
    return 0;
  }
  if (!parsed.Ok()) return Fail(parsed.error);
  const std::vector<std::string>& paths = parsed.operands;
  if (paths.size() != kArgumentCount) return Fail("six arguments are needed");
  r.wav = paths[0];
  r.karaoke = paths[1];
  r.video = paths[2];
  r.background = paths[3];
  r.songInfo = paths[4];
  r.startFolder = paths[5];
  return MakeVideo(r);
}

}  // namespace crx
