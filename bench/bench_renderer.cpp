// The renderer's whole command-line conversion (preparation, render, AIFF to
// WAV) of a three-minute General MIDI song, against the FluidSynth command
// line rendering the same file with the same SoundFont, timed in one run.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "foundation/FileHelpers.h"
#include "platform/Process.h"
#include "renderer/ConversionCommand.h"
#include "renderer/SynthComponent.h"
#include "support/renderer/GmArrangement.h"
#include "support/renderer/SmfBuilder.h"

namespace {

constexpr int kSongSeconds = 180;
constexpr int kChannelVolume = 100;
constexpr const char* kFluidSynth = "/usr/bin/fluidsynth";

struct BenchFiles {
  std::string folder;
  std::string midi;
  std::string soundFont;

  BenchFiles() {
    char pattern[] = "/tmp/crx_bench_renderer_XXXXXX";
    if (mkdtemp(pattern) != nullptr) folder = pattern;
    midi = folder + "/song.mid";
    crx::test::SmfBuilder::WriteFile(midi, crx::test::GmArrangement(kSongSeconds, kChannelVolume));
    for (const std::string& c : crx::renderer::SynthComponent::SoundFontCandidates()) {
      if (crx::FileExists(c) != 0) {
        soundFont = c;
        break;
      }
    }
  }
  ~BenchFiles() {
    for (const char* name : {"song.mid", "ours.wav", "ours.aiff", "theirs.wav", "fc_setup.ini"}) {
      crx::RemoveFile(folder + "/" + name);
    }
    rmdir(folder.c_str());
  }
};

const BenchFiles& Files() {
  static BenchFiles files;
  return files;
}

double TimeOurs() {
  const BenchFiles& f = Files();
  auto start = std::chrono::steady_clock::now();
  // The renderer keeps its prepared file and settings in the current folder.
  if (chdir(f.folder.c_str()) != 0) return -1;
  int rc = crx::renderer::RunConversionCommand({f.midi, f.folder + "/ours.wav", "crx"});
  double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return rc == 0 ? s : -1;
}

double TimeFluidSynth() {
  const BenchFiles& f = Files();
  const std::string out = f.folder + "/theirs.wav";
  crx::RemoveFile(out);
  auto start = std::chrono::steady_clock::now();
  crx::Process::ShellOpen(
      kFluidSynth,
      "-ni -F \"" + out + "\" -T wav -r 44100 \"" + f.soundFont + "\" \"" + f.midi + "\"",
      10 * 60 * 1000);
  double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return crx::FileExists(out) != 0 ? s : -1;
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
// theirs (target: at most 1.15).
void BM_ConversionAgainstFluidSynthCommandLine(benchmark::State& state) {
  if (!Ready(state)) return;
  double ours = 0, theirs = 0;
  for (auto _ : state) {
    double a = TimeOurs();
    double b = TimeFluidSynth();
    if (a < 0 || b < 0) {
      state.SkipWithError("a conversion failed");
      return;
    }
    ours += a;
    theirs += b;
    state.SetIterationTime(a);
  }
  state.counters["ours_s"] = ours / static_cast<double>(state.iterations());
  state.counters["fluidsynth_s"] = theirs / static_cast<double>(state.iterations());
  state.counters["ratio"] = ours / theirs;
}
BENCHMARK(BM_ConversionAgainstFluidSynthCommandLine)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
