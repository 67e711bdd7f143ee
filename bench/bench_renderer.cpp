// The renderer's whole command-line conversion (preparation, render,
// loudness, WAV) of a four-minute dense General MIDI song, against the
// FluidSynth command line rendering the same song, prepared as the renderer
// prepares it, with the same SoundFont: with its defaults and with two
// threads for its voices. Our render is timed with its synthesizer on one
// thread, on two and on its default (one per processor). Each case reports
// its wall time, the processor time it took and the bytes it wrote (to
// write() and, as the kernel counts them, to the disk).
//
// Run it with --benchmark_repetitions=5 --benchmark_report_aggregates_only
// for medians. CRX_OLD_TUNEPRESS may name another TunepressCRX program to
// time on the same song (an older build, for comparison).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "foundation/FileHelpers.h"
#include "midi/renderer/PrepareMidi.h"
#include "platform/Process.h"
#include "renderer/AccompanimentRenderer.h"
#include "renderer/ConversionCommand.h"
#include "renderer/TunepressSettings.h"
#include "support/renderer/GmArrangement.h"
#include "support/renderer/SmfBuilder.h"

namespace {

constexpr int kSongSeconds = 240;
constexpr int kChannelVolume = 100;
constexpr int kWaitMs = 10 * 60 * 1000;
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
    for (const std::string& c : crx::renderer::MidiSynthesizer::SoundFontCandidates()) {
      if (crx::renderer::MidiSynthesizer::IsSoundFont(c)) {
        soundFont = c;
        break;
      }
    }
  }
  ~BenchFiles() {
    for (const char* name : {"song.mid", "prepared.mid", "ours.wav", "ours.aiff", "old.wav",
                             "old.aiff", "theirs.wav", "fc_setup.ini", "crxfc_setup.ini"}) {
      crx::RemoveFile(folder + "/" + name);
    }
    rmdir(folder.c_str());
  }
};

const BenchFiles& Files() {
  static BenchFiles files;
  return files;
}

// This process's written bytes as the kernel counts them, children that
// have been waited for included.
struct WriteCounts {
  double passed = 0;  // handed to write()
  double disk = 0;    // pages dirtied for the disk, less those dropped before writeback

  static WriteCounts Now() {
    WriteCounts c;
    std::ifstream io("/proc/self/io");
    std::string key;
    double value = 0, cancelled = 0;
    while (io >> key >> value) {
      if (key == "wchar:") c.passed = value;
      if (key == "write_bytes:") c.disk = value;
      if (key == "cancelled_write_bytes:") cancelled = value;
    }
    c.disk -= cancelled;
    return c;
  }
};

// Processor time of this process (all its threads) and of the children it
// has waited for, in seconds: steadier than wall time on a shared machine.
double CpuSeconds() {
  double total = 0;
  for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
    rusage u{};
    getrusage(who, &u);
    total += static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
             static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
  }
  return total;
}

bool Ready(benchmark::State& state) {
  if (Files().soundFont.empty()) {
    state.SkipWithError("no SoundFont");
    return false;
  }
  return true;
}

// Times one conversion per iteration and reports the mean wall time and
// bytes written as counters.
template <typename Run>
void Measure(benchmark::State& state, Run run) {
  double written = 0, disk = 0, cpu = 0;
  for (auto _ : state) {
    const WriteCounts before = WriteCounts::Now();
    const double cpuBefore = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    const bool ok = run();
    const double s =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const WriteCounts after = WriteCounts::Now();
    cpu += CpuSeconds() - cpuBefore;
    if (!ok) {
      state.SkipWithError("the conversion failed");
      return;
    }
    written += after.passed - before.passed;
    disk += after.disk - before.disk;
    state.SetIterationTime(s);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["written_MB"] = written / n / 1e6;
  state.counters["disk_MB"] = disk / n / 1e6;
  state.counters["cpu_s"] = cpu / n;
}

// Ours, in this process, its synthesizer on state.range(0) threads (0: the
// renderer's default).
void BM_Ours(benchmark::State& state) {
  if (!Ready(state)) return;
  const BenchFiles& f = Files();
  crx::renderer::AccompanimentRenderer::SetSynthesizerThreads(static_cast<int>(state.range(0)));
  Measure(state, [&f] {
    // The renderer reads its settings from the current folder.
    if (chdir(f.folder.c_str()) != 0) return false;
    return crx::renderer::RunConversionCommand({f.midi, f.folder + "/ours.wav", "crx"}) == 0;
  });
  crx::renderer::AccompanimentRenderer::SetSynthesizerThreads(0);
}
BENCHMARK(BM_Ours)
    ->ArgName("threads")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

bool RunFluidSynth(const std::string& extra) {
  const BenchFiles& f = Files();
  const std::string out = f.folder + "/theirs.wav";
  crx::RemoveFile(out);
  crx::Process::ShellOpen(kFluidSynth,
                          "-q -ni " + extra + "-F \"" + out + "\" -r 44100 \"" + f.soundFont +
                              "\" \"" + f.prepared + "\"",
                          kWaitMs);
  return crx::FileExists(out) != 0;
}

void BM_FluidSynthDefault(benchmark::State& state) {
  if (!Ready(state)) return;
  if (crx::FileExists(kFluidSynth) == 0) {
    state.SkipWithError("the fluidsynth command line is missing");
    return;
  }
  Measure(state, [] { return RunFluidSynth(""); });
}
BENCHMARK(BM_FluidSynthDefault)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

void BM_FluidSynthTwoCores(benchmark::State& state) {
  if (!Ready(state)) return;
  if (crx::FileExists(kFluidSynth) == 0) {
    state.SkipWithError("the fluidsynth command line is missing");
    return;
  }
  Measure(state, [] { return RunFluidSynth("-o synth.cpu-cores=2 "); });
}
BENCHMARK(BM_FluidSynthTwoCores)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

// Another build of the renderer program, run as the main program runs it.
void BM_OtherRendererProgram(benchmark::State& state) {
  const char* program = std::getenv("CRX_OLD_TUNEPRESS");
  if (program == nullptr || crx::FileExists(program) == 0) {
    state.SkipWithError("CRX_OLD_TUNEPRESS names no program");
    return;
  }
  if (!Ready(state)) return;
  const BenchFiles& f = Files();
  const std::string out = f.folder + "/old.wav";
  Measure(state, [&] {
    crx::RemoveFile(out);
    if (chdir(f.folder.c_str()) != 0) return false;
    crx::Process::ShellOpen(program, "\"" + f.midi + "\" \"" + out + "\" \"crx\"", kWaitMs);
    return crx::FileExists(out) != 0;
  });
}
BENCHMARK(BM_OtherRendererProgram)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
