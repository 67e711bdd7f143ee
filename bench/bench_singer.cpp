// Singing the vocal MIDI of a four-minute song of 600 notes: reading it,
// singing it with the formant synthesizer (every syllable said, stretched,
// vibrato) or with the diphone synthesizer (one run per phrase), then
// resampling and level. Reports the shares of the time spent in the
// synthesizer, in resampling and in the rest of our signal code.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "lyrics/CSyllableTable.h"
#include "midi/MidiTrackData.h"
#include "platform/TextCodec.h"
#include "platform/UiServices.h"
#include "singer/CMbrolaVoice.h"
#include "singer/CSongSinger.h"
#include "singer/CVocalMidiReader.h"
#include "support/platform/ScriptedHost.h"
#include "vocal/CVocaloidFileWriter.h"

namespace {

struct SilentHost : crx::ScriptedHost {
  void ShowMessage(std::string_view, crx::MessageKind) override {}
};

// 600 notes of an eighth or a quarter at 120 quarter notes a minute, in
// phrases of eight with a rest after each, over a range of an octave and a
// half: about four minutes.
std::vector<crx::VocalNote> SongRecords() {
  const char* kana[] = {"か", "きゃ", "ち", "ら", "ん", "ふぃ", "あ", "と", "さ", "な", "ま", "は",
                        "よ", "る",   "が", "し", "つ", "で",   "み", "う", "れ", "ほ", "ぴ"};
  const int melody[] = {0, 2, 4, 5, 7, 9, 11, 12, 14, 16, 17, 19, 12, 7, 4, 2};
  std::vector<crx::VocalNote> notes;
  int tick = 0;
  for (int i = 0; i < 600; ++i) {
    crx::VocalNote n;
    n.startTick = tick;
    n.noteNumber = 55 + melody[(i * 7) % 16];
    n.length = (i % 3 == 0 ? 480 : 240) - 10;
    n.lyric = crx::TextCodec::Utf8ToCp932(kana[(i * 5) % 23]).value_or("a");
    crx::PhoneticSymbol s = crx::CSyllableTable::Phonetic(n.lyric);
    n.phonetic = s.phonetic;
    n.consonant = s.consonant;
    notes.push_back(n);
    tick += n.length + 10 + (i % 8 == 7 ? 480 : 0);
  }
  crx::VocalNote end = notes.front();
  end.startTick = tick + 480;
  end.noteNumber = crx::kEndNoteNumber;
  end.length = 0;
  notes.push_back(end);
  return notes;
}

// state.range(0): the engine (0 espeak-ng, 1 mbrola with the female voice).
void BM_SingFourMinuteSong(benchmark::State& state) {
  const bool mbrola = state.range(0) == 1;
  if (mbrola && (crx::CMbrolaVoice::FindProgram().empty() ||
                 crx::CMbrolaVoice::FindDatabase(crx::DiphoneVoice::Jp2).empty())) {
    state.SkipWithError("mbrola or its voice jp2 is not installed");
    return;
  }
  SilentHost host;
  crx::ScopedUi scope(host);
  const std::vector<crx::VocalNote> notes = SongRecords();
  crx::MidiTrackData main;
  main.SetForm(crx::kFormNotes);
  main.AppendTempo(500000);
  main.AppendEndOfTrack(notes.back().startTick);
  char path[] = "/tmp/bench_singer_XXXXXX";
  const int fd = mkstemp(path);
  if (fd >= 0) close(fd);
  {
    crx::CVocaloidFileWriter writer(notes, main, 0);
    writer.Build("Alto", 0);
    writer.Save(path);
  }
  const crx::SingerEngine engine = mbrola ? crx::SingerEngine::Mbrola : crx::SingerEngine::Espeak;
  double synthesis = 0, resampling = 0, signal = 0, seconds = 0;
  for (auto _ : state) {
    crx::CVocalMidiReader::Result r = crx::CVocalMidiReader::FromFile(path);
    crx::CSongSinger singer(r.sequence, crx::SingerVoice::Female, engine);
    std::vector<float> out;
    if (!singer.Sing(out)) state.SkipWithError(singer.Error().c_str());
    benchmark::DoNotOptimize(out.data());
    synthesis += singer.Timings().synthesisSeconds;
    resampling += singer.Timings().resamplingSeconds;
    signal += singer.Timings().signalSeconds;
    seconds = static_cast<double>(out.size()) / crx::CSongSinger::kOutputRate;
  }
  std::remove(path);
  const double total = synthesis + signal;
  state.counters["song_s"] = seconds;
  state.counters["synthesis_share"] = total > 0 ? synthesis / total : 0;
  state.counters["resampling_share"] = total > 0 ? resampling / total : 0;
  state.counters["other_signal_share"] = total > 0 ? (signal - resampling) / total : 0;
}
BENCHMARK(BM_SingFourMinuteSong)
    ->ArgName("mbrola")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
