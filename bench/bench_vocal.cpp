// Writing the vocal MIDI for a song of 2048 syllable records: building both
// tracks and saving the file.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "lyrics/CSyllableTable.h"
#include "lyrics/CVocaloid.h"
#include "midi/MidiTrackData.h"
#include "platform/TextCodec.h"
#include "platform/UiServices.h"
#include "support/platform/ScriptedHost.h"
#include "vocal/CVocaloidFileWriter.h"

namespace {

struct SilentHost : crx::ScriptedHost {
  void ShowMessage(std::string_view, crx::MessageKind) override {}
};

std::vector<crx::VocalNote> SongRecords() {
  const char* kana[] = {"か", "きゃ", "ち", "ら", "ん", "ふぃ", "あ", "と"};
  std::vector<crx::VocalNote> notes;
  for (int i = 0; i < crx::kVocalNoteCapacity - 1; ++i) {
    crx::VocalNote n;
    n.startTick = i * 240;
    n.noteNumber = 60 + i % 12;
    n.length = 239;
    n.lyric = crx::TextCodec::Utf8ToCp932(kana[i % 8]).value_or("a");
    crx::PhoneticSymbol s = crx::CSyllableTable::Phonetic(n.lyric);
    n.phonetic = s.phonetic;
    n.consonant = s.consonant;
    notes.push_back(n);
  }
  crx::VocalNote end = notes.front();
  end.startTick = (crx::kVocalNoteCapacity - 1) * 240;
  end.noteNumber = crx::kEndNoteNumber;
  end.length = 0;
  notes.push_back(end);
  return notes;
}

void BM_WriteVocalMidi2048(benchmark::State& state) {
  SilentHost host;
  crx::ScopedUi scope(host);
  const std::vector<crx::VocalNote> notes = SongRecords();
  crx::MidiTrackData main;
  main.SetForm(crx::kFormNotes);
  main.AppendTempo(500000);
  main.AppendEndOfTrack(2048 * 240);
  char path[] = "/tmp/bench_vocal_XXXXXX";
  const int fd = mkstemp(path);
  if (fd >= 0) close(fd);
  for (auto _ : state) {
    crx::CVocaloidFileWriter writer(notes, main, 0);
    writer.Build("Alto", 3);
    benchmark::DoNotOptimize(writer.Save(path));
  }
  std::remove(path);
}
BENCHMARK(BM_WriteVocalMidi2048)->Unit(benchmark::kMillisecond);

void BM_BuildVocalMidi2048(benchmark::State& state) {
  SilentHost host;
  crx::ScopedUi scope(host);
  const std::vector<crx::VocalNote> notes = SongRecords();
  crx::MidiTrackData main;
  main.SetForm(crx::kFormNotes);
  main.AppendTempo(500000);
  main.AppendEndOfTrack(2048 * 240);
  for (auto _ : state) {
    crx::CVocaloidFileWriter writer(notes, main, 0);
    writer.Build("Alto", 3);
    benchmark::DoNotOptimize(&writer.File());
  }
}
BENCHMARK(BM_BuildVocalMidi2048)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
