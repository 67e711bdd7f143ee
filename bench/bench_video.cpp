// The video maker's whole run on a four-minute song: a karaoke file with a
// syllable on every quarter note and a page every two lines, a mixed WAV of
// four minutes, a title card; 640 x 480 (target: under 15 s) and 1280 x 720,
// 30 frames a second, in the system's WMV format and as MP4 (target at
// 1280 x 720: 8 times real time, shown as times_real_time).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/CWaveFile.h"
#include "foundation/FileHelpers.h"
#include "platform/TextCodec.h"
#include "platform/UiServices.h"
#include "support/platform/ScriptedHost.h"
#include "support/renderer/SmfBuilder.h"
#include "video/LyricreelCommand.h"

namespace {

constexpr int kSongSeconds = 240;
constexpr uint32_t kQuarter = 480;
constexpr uint32_t kTempo = 500000;  // 120 quarter notes a minute
constexpr int kSyllablesPerLine = 8;

std::vector<uint8_t> Chunk(std::string_view id, std::vector<uint8_t> body) {
  std::vector<uint8_t> out(id.begin(), id.end());
  const auto n = static_cast<uint32_t>(body.size());
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(n >> shift));
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

// The track of a format 0 file, under another chunk identifier.
std::vector<uint8_t> TrackAs(std::string_view id, const crx::test::SmfBuilder& b) {
  const std::vector<uint8_t> file = b.Format0();
  return Chunk(id, std::vector<uint8_t>(file.begin() + 22, file.end()));
}

std::vector<uint8_t> KaraokeSong() {
  const int quarters = kSongSeconds * 2;
  crx::test::SmfBuilder main;
  const int t = main.AddTrack();
  main.Tempo(t, 0, kTempo);
  crx::test::SmfBuilder lyrics;
  const int l = lyrics.AddTrack();
  const std::vector<std::string> kana = {"か", "き", "く", "け", "こ", "さ", "し", "す"};
  for (int q = 0; q < quarters; ++q) {
    const uint32_t tick = static_cast<uint32_t>(q) * kQuarter;
    main.Note(t, tick, 0, 60 + q % 12, 100, kQuarter - 20);
    std::string text = *crx::TextCodec::Utf8ToCp932(kana[static_cast<size_t>(q) % kana.size()]);
    if (q % kSyllablesPerLine == kSyllablesPerLine - 1) text += "/";
    std::vector<uint8_t> ev{0xFF, 0x05, static_cast<uint8_t>(text.size())};
    ev.insert(ev.end(), text.begin(), text.end());
    lyrics.Raw(l, tick, ev);
  }
  std::vector<uint8_t> file = main.Format0();
  const std::vector<uint8_t> xfih = Chunk("XFIH", {0x00, 0xFF, 0x2F, 0x00});
  file.insert(file.end(), xfih.begin(), xfih.end());
  const std::vector<uint8_t> xfkm = TrackAs("XFKM", lyrics);
  file.insert(file.end(), xfkm.begin(), xfkm.end());
  return file;
}

struct BenchFiles {
  std::string folder;
  std::string wav;
  std::string song;

  BenchFiles() {
    char pattern[] = "/tmp/crx_bench_video_XXXXXX";
    if (mkdtemp(pattern) != nullptr) folder = pattern;
    song = folder + "/song.mid";
    crx::test::SmfBuilder::WriteFile(song, KaraokeSong());
    wav = folder + "/mix.wav";
    crx::CWaveFile out(2, 44100, 16);
    if (out.Open(crx::CWaveFile::kModeWrite, wav) == 0) {
      const std::vector<uint8_t> second(44100 * 4, 0);
      for (int s = 0; s < kSongSeconds; ++s) out.Write(second);
      out.Close();
    }
  }
  ~BenchFiles() {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
};

const BenchFiles& Files() {
  static BenchFiles files;
  return files;
}

void BM_FourMinuteVideo(benchmark::State& state) {
  const BenchFiles& f = Files();
  crx::ScriptedHost host;
  crx::ScopedUi scope(host);
  const std::string size = std::to_string(state.range(0)) + "x" + std::to_string(state.range(1));
  const std::string video = f.folder + (state.range(2) != 0 ? "/video.mp4" : "/video.wmv");
  for (auto _ : state) {
    crx::RemoveFile(video);
    const auto start = std::chrono::steady_clock::now();
    const int rc =
        crx::RunLyricreelCommand({"--size", size, f.wav, f.song, video, "", "", f.folder});
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (rc != 0) {
      state.SkipWithError("no video was made");
      return;
    }
  }
  state.counters["times_real_time"] = benchmark::Counter(
      kSongSeconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FourMinuteVideo)
    ->ArgNames({"width", "height", "mp4"})
    ->Args({640, 480, 0})
    ->Args({1280, 720, 0})
    ->Args({1280, 720, 1})
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
