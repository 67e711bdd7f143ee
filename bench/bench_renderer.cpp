// The renderer's whole command-line conversion (preparation, render, loudness,
// AIFF to WAV) of a four-minute dense General MIDI song, against the
// FluidSynth command line rendering the same song, prepared as the renderer
// prepares it, with the same SoundFont and gain, timed in one run.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "foundation/FileHelpers.h"
#include "midi/renderer/PrepareMidi.h"
#include "platform/Process.h"
#include "renderer/ConversionCommand.h"
#include "renderer/SynthComponent.h"
#include "renderer/TunepressSettings.h"
#include "support/renderer/GmArrangement.h"
#include "support/renderer/SmfBuilder.h"

namespace {

constexpr int kSongSeconds = 240;
constexpr int kChannelVolume = 100;
constexpr const char* kFluidSynth = "/usr/bin/fluidsynth";

struct BenchFiles {
  std::string folder;
  std::string midi;
  std::string prepared;
  std::string soundFont;

  BenchFiles() {
    char pattern[] = "/tmp/crx_bench_renderer_XXXXXX";
    if (mkdtemp(pattern) != nullptr) folder = pattern;
    midi = folder + "/song.mid";
    crx::test::SmfBuilder::WriteFile(midi, crx::test::GmArrangement(kSongSeconds, kChannelVolume));
    // What the renderer itself renders: the song prepared with the default
    // settings.
    prepared = folder + "/prepared.mid";
    const crx::renderer::TunepressSettings settings = crx::renderer::TunepressSettings::Defaults();
    crx::renderer::PrepareMidi(midi, prepared, settings.EffectiveVolume(), settings.channelFlags,
                         settings.EffectiveLeadInBeats());
    for (const std::string& c : crx::renderer::SynthComponent::SoundFontCandidates()) {
      if (crx::FileExists(c) != 0) {
        soundFont = c;
        break;
      }
    }
  }
  ~BenchFiles() {
    for (const char* name :
         {"song.mid", "prepared.mid", "ours.wav", "ours.aiff", "theirs.wav", "fc_setup.ini"}) {
      crx::RemoveFile(folder + "/" + name);
    }
    rmdir(folder.c_str());
  }
};

// Processor time of this process, or of its finished children, in seconds.
double CpuSeconds(int who) {
  rusage u{};
  getrusage(who, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Timing {
  double wall = -1;
  double cpu = 0;
};

const BenchFiles& Files() {
  static BenchFiles files;
  return files;
}

Timing TimeOurs() {
  const BenchFiles& f = Files();
  const double cpu = CpuSeconds(RUSAGE_SELF);
  auto start = std::chrono::steady_clock::now();
  // The renderer keeps its prepared file and settings in the current folder.
  if (chdir(f.folder.c_str()) != 0) return {};
  int rc = crx::renderer::RunConversionCommand({f.midi, f.folder + "/ours.wav", "crx"});
  double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (rc != 0) return {};
  return {s, CpuSeconds(RUSAGE_SELF) - cpu};
}

Timing TimeFluidSynth() {
  const BenchFiles& f = Files();
  const std::string out = f.folder + "/theirs.wav";
  crx::RemoveFile(out);
  const double cpu = CpuSeconds(RUSAGE_CHILDREN);
  auto start = std::chrono::steady_clock::now();
  crx::Process::ShellOpen(kFluidSynth,
                          "-ni -F \"" + out + "\" -T wav -r 44100 -g 0.2 \"" + f.soundFont +
                              "\" \"" + f.prepared + "\"",
                          10 * 60 * 1000);
  double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (crx::FileExists(out) == 0) return {};
  return {s, CpuSeconds(RUSAGE_CHILDREN) - cpu};
}

bool Ready(benchmark::State& state) {
  if (Files().soundFont.empty()) {
    state.SkipWithError("no SoundFont");
    return false;
  }
  if (crx::FileExists(kFluidSynth) == 0) {
    state.SkipWithError("the fluidsynth command line is missing");
    return false;
  }
  return true;
}

// Both conversions alternately in every iteration; the ratio is ours to
// theirs (target: at most 0.8).
void BM_ConversionAgainstFluidSynthCommandLine(benchmark::State& state) {
  if (!Ready(state)) return;
  double ours = 0, theirs = 0, oursCpu = 0, theirsCpu = 0;
  for (auto _ : state) {
    Timing a = TimeOurs();
    Timing b = TimeFluidSynth();
    if (a.wall < 0 || b.wall < 0) {
      state.SkipWithError("a conversion failed");
      return;
    }
    ours += a.wall;
    theirs += b.wall;
    oursCpu += a.cpu;
    theirsCpu += b.cpu;
    state.SetIterationTime(a.wall);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["ours_s"] = ours / n;
  state.counters["fluidsynth_s"] = theirs / n;
  state.counters["ratio"] = ours / theirs;
  // Processor time, steadier than wall time on a shared machine.
  state.counters["ours_cpu_s"] = oursCpu / n;
  state.counters["fluidsynth_cpu_s"] = theirsCpu / n;
  state.counters["cpu_ratio"] = oursCpu / theirsCpu;
}
BENCHMARK(BM_ConversionAgainstFluidSynthCommandLine)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
