// The mix of a 4-minute 44100 Hz stereo vocal and accompaniment, with every
// reverb at 32 taps and with none, beside sox mixing the same files with its
// own reverb. Reports wall time and the process's peak memory.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/MixSong.h"
#include "audio/WaveFile.h"

namespace {

constexpr int kRate = 44100;
constexpr int kSeconds = 240;

struct Files {
  std::string folder;
  std::string vocal, acc, vocalCopy, accCopy, out;
};

void WriteSignal(const std::string& path, double pitch, uint32_t seed) {
  const size_t frames = size_t{kRate} * kSeconds;
  std::vector<uint8_t> bytes(frames * 4);
  uint32_t state = seed;
  for (size_t i = 0; i < frames; ++i) {
    state = state * 1664525u + 1013904223u;
    const double tone = std::sin(static_cast<double>(i) * pitch);
    const int noise = static_cast<int>(state >> 20) - 2048;
    const auto l = static_cast<int16_t>(9000 * tone + noise);
    const auto r = static_cast<int16_t>(7000 * tone - noise);
    bytes[4 * i] = static_cast<uint8_t>(l);
    bytes[4 * i + 1] = static_cast<uint8_t>(static_cast<uint16_t>(l) >> 8);
    bytes[4 * i + 2] = static_cast<uint8_t>(r);
    bytes[4 * i + 3] = static_cast<uint8_t>(static_cast<uint16_t>(r) >> 8);
  }
  crx::CWaveFile f(2, kRate, 16);
  f.Open(crx::CWaveFile::kModeWrite, path);
  f.Write(bytes);
  f.Close();
}

const Files& TestFiles() {
  static const Files files = [] {
    Files f;
    std::string templ = "/tmp/crx_bench_audio_XXXXXX";
    f.folder = mkdtemp(templ.data());
    f.vocalCopy = f.folder + "/vocal_src.wav";
    f.accCopy = f.folder + "/acc_src.wav";
    f.vocal = f.folder + "/vocal.wav";
    f.acc = f.folder + "/acc.wav";
    f.out = f.folder + "/mix.wav";
    WriteSignal(f.vocalCopy, 0.031, 1);
    WriteSignal(f.accCopy, 0.017, 2);
    std::atexit([] { std::filesystem::remove_all(TestFiles().folder); });
    return f;
  }();
  return files;
}

double PeakMegabytes() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

void FreshInputs(const Files& f) {
  std::filesystem::copy_file(f.vocalCopy, f.vocal,
                             std::filesystem::copy_options::overwrite_existing);
  std::filesystem::copy_file(f.accCopy, f.acc, std::filesystem::copy_options::overwrite_existing);
}

void MixSong4Minutes(benchmark::State& state) {
  const Files& f = TestFiles();
  const int reverb = static_cast<int>(state.range(0));
  const crx::MixSettings settings{100, 100, 100, reverb, reverb, reverb};
  for (auto _ : state) {
    state.PauseTiming();
    FreshInputs(f);
    state.ResumeTiming();
    const bool ok = crx::MixSong(f.vocal, f.acc, f.out, settings, 500000, "");
    if (!ok) state.SkipWithError("the mix failed");
  }
  state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(MixSong4Minutes)
    ->Arg(32)
    ->Arg(0)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// For reference: sox mixing the same two files with its reverb.
void SoxMixReverb(benchmark::State& state) {
  const Files& f = TestFiles();
  const std::string cmd =
      "sox -m '" + f.vocalCopy + "' '" + f.accCopy + "' '" + f.out + "' reverb 2>/dev/null";
  if (std::system("command -v sox >/dev/null 2>&1") != 0) {
    state.SkipWithError("sox is not installed");
    return;
  }
  for (auto _ : state) {
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("sox failed");
  }
}
BENCHMARK(SoxMixReverb)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
