// The time from starting Cantorix without arguments to its main window on
// the screen, settings and dictionaries included. Run under a virtual X
// server:  xvfb-run -a build/bin/bench_window
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <fstream>

extern char** environ;

namespace {

namespace fs = std::filesystem;

bool WindowShown() {
  FILE* pipe = popen("xwininfo -root -tree 2>/dev/null", "r");
  if (pipe == nullptr) return false;
  std::string text;
  char buffer[4096];
  size_t n = 0;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
  pclose(pipe);
  return text.find("\"歌声・伴奏合成ツール\"") != std::string::npos;
}

void BM_MainWindowAppears(benchmark::State& state) {
  if (std::getenv("DISPLAY") == nullptr) {
    state.SkipWithError("no display: run under xvfb-run");
    return;
  }
  // A start folder of its own with a stand-in singer, so that the start-up
  // asks for nothing; a fresh configuration home.
  char pattern[] = "/tmp/bench_window.XXXXXX";
  const fs::path start = mkdtemp(pattern);
  for (const char* name : {"Cantorix", "kanji.csv", "english.csv"}) {
    // The benchmarks are built into the start folder, beside the programs.
    fs::copy_file(fs::read_symlink("/proc/self/exe").parent_path() / name, start / name);
  }
  std::ofstream(start / "CantorixSinger") << "#!/bin/sh\nexit 0\n";
  fs::permissions(start / "CantorixSinger", fs::perms::owner_all);
  fs::create_directory(start / "config");
  setenv("XDG_CONFIG_HOME", (start / "config").c_str(), 1);
  const std::string program = (start / "Cantorix").string();
  for (auto _ : state) {
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
      state.SkipWithError("cannot start Cantorix");
      break;
    }
    bool shown = false;
    for (int i = 0; i < 2000 && !shown; ++i) shown = WindowShown();
    state.PauseTiming();
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    state.ResumeTiming();
    if (!shown) {
      state.SkipWithError("the window did not appear");
      break;
    }
  }
  fs::remove_all(start);
}
BENCHMARK(BM_MainWindowAppears)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
