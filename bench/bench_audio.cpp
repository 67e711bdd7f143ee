// The mix of a 4-minute 44100 Hz stereo vocal and accompaniment against sox
// mixing the same two files, in the same run: every reverb at 0 against
// "sox -m A B OUT", every reverb at 32 against "sox -m A B OUT reverb". Each
// iteration runs both; the counters give both times (wall and processor),
// their ratios (ours / sox, below 1 when we are faster) and the process's
// peak resident memory. The inputs are written block by block, so that the
// peak is the mix's own.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/CWaveFile.h"
#include "audio/MixSong.h"

namespace {

constexpr int kRate = 44100;
constexpr int kSeconds = 240;
constexpr size_t kBlockFrames = 1 << 16;

struct Files {
  std::string folder;
  std::string vocal, acc, out, soxOut;
};

void WriteSignal(const std::string& path, double pitch, uint32_t seed) {
  crx::CWaveFile f(2, kRate, 16);
  f.Open(crx::CWaveFile::kModeWrite, path);
  std::vector<uint8_t> bytes(kBlockFrames * 4);
  uint32_t state = seed;
  const size_t frames = size_t{kRate} * kSeconds;
  for (size_t done = 0; done < frames; done += kBlockFrames) {
    const size_t n = std::min(kBlockFrames, frames - done);
    for (size_t j = 0; j < n; ++j) {
      state = state * 1664525u + 1013904223u;
      const double tone = std::sin(static_cast<double>(done + j) * pitch);
      const int noise = static_cast<int>(state >> 20) - 2048;
      const auto l = static_cast<uint16_t>(static_cast<int16_t>(9000 * tone + noise));
      const auto r = static_cast<uint16_t>(static_cast<int16_t>(7000 * tone - noise));
      bytes[4 * j] = static_cast<uint8_t>(l);
      bytes[4 * j + 1] = static_cast<uint8_t>(l >> 8);
      bytes[4 * j + 2] = static_cast<uint8_t>(r);
      bytes[4 * j + 3] = static_cast<uint8_t>(r >> 8);
    }
    f.Write(std::span<const uint8_t>(bytes).first(n * 4));
  }
  f.Close();
}

const Files& TestFiles() {
  static const Files files = [] {
    Files f;
    std::string templ = "/tmp/crx_bench_audio_XXXXXX";
    f.folder = mkdtemp(templ.data());
    f.vocal = f.folder + "/vocal.wav";
    f.acc = f.folder + "/acc.wav";
    f.out = f.folder + "/mix.wav";
    f.soxOut = f.folder + "/sox.wav";
    WriteSignal(f.vocal, 0.031, 1);
    WriteSignal(f.acc, 0.017, 2);
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

// Processor seconds, user and system, of this process or of its waited-for
// children.
double ProcessorSeconds(int who) {
  rusage u{};
  getrusage(who, &u);
  auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(u.ru_utime) + seconds(u.ru_stime);
}

struct Timing {
  double wall = 0;
  double processor = 0;
};

template <typename Work>
Timing Measure(int who, Work&& work) {
  const auto start = std::chrono::steady_clock::now();
  const double cpuStart = ProcessorSeconds(who);
  work();
  return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
          ProcessorSeconds(who) - cpuStart};
}

void MixAgainstSox(benchmark::State& state) {
  const Files& f = TestFiles();
  const int reverb = static_cast<int>(state.range(0));
  const crx::MixSettings settings{100, 100, 100, reverb, reverb, reverb};
  if (std::system("command -v sox >/dev/null 2>&1") != 0) {
    state.SkipWithError("sox is not installed");
    return;
  }
  const std::string sox = "sox -m '" + f.vocal + "' '" + f.acc + "' '" + f.soxOut + "'" +
                          (reverb > 0 ? " reverb" : "") + " 2>/dev/null";
  Timing ours, theirs;
  for (auto _ : state) {
    const Timing o = Measure(RUSAGE_SELF, [&] {
      if (!crx::MixSong(f.vocal, f.acc, f.out, settings, 500000, "")) {
        state.SkipWithError("the mix failed");
      }
    });
    const Timing s = Measure(RUSAGE_CHILDREN, [&] {
      if (std::system(sox.c_str()) != 0) state.SkipWithError("sox failed");
    });
    state.SetIterationTime(o.wall);
    ours.wall += o.wall;
    ours.processor += o.processor;
    theirs.wall += s.wall;
    theirs.processor += s.processor;
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["ours_ms"] = 1000 * ours.wall / n;
  state.counters["ours_cpu_ms"] = 1000 * ours.processor / n;
  state.counters["sox_ms"] = 1000 * theirs.wall / n;
  state.counters["sox_cpu_ms"] = 1000 * theirs.processor / n;
  state.counters["ratio"] = ours.wall / theirs.wall;
  state.counters["cpu_ratio"] = ours.processor / theirs.processor;
  state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(MixAgainstSox)
    ->ArgName("reverbs")
    ->Arg(0)
    ->Arg(32)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

}  // namespace

BENCHMARK_MAIN();
