// The steps of the main dialog that are the system's own, each on its own,
// on a 4-minute song of 600 melody notes with accompaniment: step 1 (load
// and melody range), step 2 (correction pass and lyric conversion), step 3
// (the vocal MIDI on the dialog's worker thread) and step 6 (the mix of two
// 4-minute WAVs). Steps 1 to 3 together are meant to stay under 100 ms.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "app/CCantorixDlg.h"
#include "foundation/FixedField.h"
#include "platform/ReadingService.h"
#include "platform/TextCodec.h"
#include "support/platform/ScriptedHost.h"

namespace {

namespace fs = std::filesystem;

constexpr int kMelodyNotes = 600;
constexpr uint32_t kNoteTicks = 384;  // 600 notes of 0.8 quarters at 120 bpm: 4 minutes
constexpr int kSampleRate = 44100;
constexpr int kSongSeconds = 240;

const std::vector<std::string> kPhrase = {"あ", "か", "い", "/花", "が", "さ", "く", "よ",
                                          "ー", "み", "ん", "な",  "で", "歌", "お", "う"};

std::string Vlq(uint32_t v) {
  std::string s(1, static_cast<char>(v & 0x7F));
  while ((v >>= 7) != 0) s.insert(s.begin(), static_cast<char>(0x80 | (v & 0x7F)));
  return s;
}

std::string Be32(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
          static_cast<char>(v)};
}

std::string Chunk(std::string_view id, const std::string& body) {
  return std::string(id) + Be32(static_cast<uint32_t>(body.size())) + body;
}

std::string Meta(int type, std::string_view data) {
  return std::string("\xFF") + static_cast<char>(type) + Vlq(static_cast<uint32_t>(data.size())) +
         std::string(data);
}

// Melody on channel 0, a bass note on channel 1 and a drum on channel 9
// under every melody note.
std::string MakeSong() {
  std::string main = Vlq(0) + Meta(0x51, std::string("\x07\xA1\x20", 3));
  std::string lyrics;
  for (int k = 0; k < kMelodyNotes; ++k) {
    const char note = static_cast<char>(60 + k % 12);
    const char bass = static_cast<char>(40 + k % 7);
    main += Vlq(k == 0 ? 0 : 10) + "\x90" + note + "\x64";
    main += Vlq(0) + "\x91" + bass + "\x50";
    main += Vlq(0) + "\x99\x24\x60";
    main += Vlq(kNoteTicks - 10) + "\x80" + note + "\x40";
    main += Vlq(0) + "\x81" + bass + "\x40";
    main += Vlq(0) + "\x89\x24\x40";
    const std::string& text = kPhrase[static_cast<size_t>(k) % kPhrase.size()];
    lyrics +=
        Vlq(k == 0 ? 0 : kNoteTicks) + Meta(0x05, crx::TextCodec::Utf8ToCp932(text).value_or(""));
  }
  main += Vlq(10) + Meta(0x2F, "");
  lyrics += Vlq(kNoteTicks) + Meta(0x2F, "");
  std::string file = "MThd" + Be32(6) + std::string("\x00\x00\x00\x01\x01\xE0", 6);
  file += Chunk("MTrk", main) + Chunk("XFIH", Vlq(0) + Meta(0x2F, "")) + Chunk("XFKM", lyrics);
  return file;
}

void WriteSine(const std::string& path, double frequency) {
  const uint32_t frames = kSampleRate * kSongSeconds;
  std::vector<int16_t> samples(static_cast<size_t>(frames) * 2);
  for (uint32_t i = 0; i < frames; ++i) {
    const auto v = static_cast<int16_t>(8000 * std::sin(6.283185 * frequency * i / kSampleRate));
    samples[2 * i] = v;
    samples[2 * i + 1] = v;
  }
  const uint32_t bytes = frames * 4;
  auto le32 = [](uint32_t v) {
    return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 24)};
  };
  std::string header = "RIFF" + le32(36 + bytes) + "WAVEfmt " + le32(16);
  header += std::string("\x01\x00\x02\x00", 4) + le32(kSampleRate) + le32(kSampleRate * 4);
  header += std::string("\x04\x00\x10\x00", 4) + "data" + le32(bytes);
  std::ofstream out(path, std::ios::binary);
  out << header;
  out.write(reinterpret_cast<const char*>(samples.data()), bytes);
}

// One dialog over a song folder for all the benchmarks.
struct Workflow {
  Workflow() {
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    fs::create_directories(folder);
    std::ofstream(karaoke, std::ios::binary) << MakeSong();
    WriteSine(folder + "/voice.source", 440);
    WriteSine(folder + "/acc.source", 220);
    dialog.OnInitDialog();
    crx::WriteFixedField(dialog.Settings().voiceProgramPath, "none");
    std::atexit([] { fs::remove_all(Get().folder); });
  }
  static Workflow& Get() {
    static Workflow w;
    return w;
  }
  void Load() {
    host.AnswerFile(karaoke);
    dialog.Flow().RunStep(crx::Step::Load);
  }
  std::string folder = fs::temp_directory_path().string() + "/crx_bench_workflow";
  std::string karaoke = folder + "/song.mid";
  crx::ScriptedHost host;
  crx::ScopedUi scope{host};
  crx::CCantorixDlg dialog;
};

void BM_Step1LoadAndMelodyRange(benchmark::State& state) {
  Workflow& w = Workflow::Get();
  for (auto _ : state) w.Load();
  state.counters["melody_notes"] = kMelodyNotes;
}
BENCHMARK(BM_Step1LoadAndMelodyRange)->Unit(benchmark::kMillisecond);

void BM_Step2CorrectionAndConversion(benchmark::State& state) {
  Workflow& w = Workflow::Get();
  if (crx::CreateReadingService() == nullptr) {  // its first load is not the step's
    state.SkipWithError("no reading service");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    w.Load();
    state.ResumeTiming();
    w.dialog.Flow().RunStep(crx::Step::Lyrics);
  }
  state.counters["records"] = w.dialog.Flow().Vocaloid().Count();
}
BENCHMARK(BM_Step2CorrectionAndConversion)->Unit(benchmark::kMillisecond);

void BM_Step3VocalMidi(benchmark::State& state) {
  Workflow& w = Workflow::Get();
  w.Load();
  w.dialog.Flow().RunStep(crx::Step::Lyrics);
  for (auto _ : state) {
    w.host.AnswerFile(w.folder + "/vocal.mid");
    w.dialog.Flow().RunStep(crx::Step::VocalMidi);
  }
  state.counters["bytes"] = static_cast<double>(fs::file_size(w.folder + "/vocal.mid"));
}
BENCHMARK(BM_Step3VocalMidi)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_Step6Mix(benchmark::State& state) {
  Workflow& w = Workflow::Get();
  crx::Workflow& flow = w.dialog.Flow();
  // Steps 4 and 5 stand in for by copies of their WAVs: the mix step is
  // reached through them, as in the window.
  const std::string voice = w.folder + "/voice.source";
  const std::string singer = w.folder + "/singer";
  std::ofstream(singer) << "#!/bin/sh\ncp '" << voice << "' \"${1%.*}.wav\"\n";
  fs::permissions(singer, fs::perms::owner_all);
  w.Load();
  flow.RunStep(crx::Step::Lyrics);
  w.host.AnswerFile(w.folder + "/vocal.mid");
  flow.RunStep(crx::Step::VocalMidi);
  crx::WriteFixedField(flow.Settings().voiceProgramPath, singer);
  flow.RunStep(crx::Step::Voice);
  for (auto _ : state) {
    state.PauseTiming();
    fs::copy_file(voice, flow.VocalWavPath(), fs::copy_options::overwrite_existing);
    fs::copy_file(w.folder + "/acc.source", w.folder + "/song.wav",
                  fs::copy_options::overwrite_existing);
    flow.AccompanimentWavPath() = w.folder + "/song.wav";
    w.host.AnswerFile(w.folder + "/mix.wav");
    state.ResumeTiming();
    flow.RunStep(crx::Step::Mix);
  }
  if (flow.MixWavPath().empty()) state.SkipWithError("the mix failed");
}
BENCHMARK(BM_Step6Mix)->Unit(benchmark::kMillisecond)->Iterations(3);

// Seconds of wall time of a shell command.
double Timed(const std::string& command) {
  const auto start = std::chrono::steady_clock::now();
  if (std::system(command.c_str()) != 0) return -1;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string Quote(const std::string& text) { return "'" + text + "'"; }

// The whole automatic run (mode wav) against the renderer alone on the same
// song, with a singer that answers at once; the run is meant to stay within
// 1.3 times the rendering.
void BM_AutoRunAgainstRenderer(benchmark::State& state) {
  Workflow& w = Workflow::Get();
  const std::string bin = CRX_START_FOLDER;
  const std::string singer = w.folder + "/instant-singer";
  std::ofstream(singer) << "#!/bin/sh\ncp " << Quote(w.folder + "/voice.source")
                        << " \"${1%.*}.wav\"\n";
  fs::permissions(singer, fs::perms::owner_all);
  const std::string config = "XDG_CONFIG_HOME=" + Quote(w.folder + "/auto-config") + " ";
  double run = 0, render = 0;
  for (auto _ : state) {
    const double a = Timed(config + Quote(bin + "/Cantorix") + " auto --mode wav --singer " +
                           Quote(singer) + " " + Quote(w.karaoke) + " >/dev/null 2>&1");
    const double r = Timed(Quote(bin + "/TunepressCRX") + " " + Quote(w.karaoke) + " " +
                           Quote(w.folder + "/render.wav") + " crx >/dev/null 2>&1");
    if (a < 0 || r < 0) {
      state.SkipWithError("a command failed");
      return;
    }
    run += a;
    render += r;
  }
  state.counters["auto_s"] = run / static_cast<double>(state.iterations());
  state.counters["renderer_s"] = render / static_cast<double>(state.iterations());
  state.counters["ratio"] = run / render;
}
BENCHMARK(BM_AutoRunAgainstRenderer)->Unit(benchmark::kSecond)->Iterations(2)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
