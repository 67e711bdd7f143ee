// Parsing, pairing, splitting and serialising a track of 100,000 events.
#include <benchmark/benchmark.h>

#include <vector>

#include "foundation/ByteWriter.h"
#include "midi/MidiBytes.h"
#include "midi/MidiTrackData.h"
#include "support/platform/ScriptedHost.h"

namespace {

using namespace crx;

constexpr int kEvents = 100000;

// A song-like chunk: chords of overlapping notes on four channels, a
// controller now and then, running status where a real file would use it.
std::vector<uint8_t> MakeChunk() {
  ByteWriter body;
  int written = 0;
  int step = 0;
  while (written < kEvents - 1) {
    const int channel = step % 4;
    const int note = 48 + (step * 7) % 36;
    WriteVlq(step % 3 == 0 ? 0 : 60, body);
    body.U8(static_cast<uint8_t>(0x90 | channel));
    body.U8(static_cast<uint8_t>(note));
    body.U8(100);
    WriteVlq(120, body);  // the same status: running
    body.U8(static_cast<uint8_t>(note));
    body.U8(0);
    written += 2;
    if (step % 10 == 0 && written < kEvents - 1) {
      WriteVlq(0, body);
      body.U8(static_cast<uint8_t>(0xB0 | channel));
      body.U8(7);
      body.U8(100);
      ++written;
    }
    ++step;
  }
  WriteVlq(0, body);
  body.U8(0xFF);
  body.U8(0x2F);
  body.U8(0x00);
  ByteWriter chunk;
  chunk.Text("MTrk");
  chunk.U32BE(static_cast<uint32_t>(body.Size()));
  chunk.Bytes(body.Data());
  return chunk.Take();
}

struct Quiet {
  Quiet() { SetUi(&host); }
  ScriptedHost host;
};

const std::vector<uint8_t>& Chunk() {
  static Quiet quiet;
  static const std::vector<uint8_t> chunk = MakeChunk();
  return chunk;
}

void Load(MidiTrackData& track) {
  track.SetChunk(Chunk());
  track.Parse();
}

void BM_Parse(benchmark::State& state) {
  MidiTrackData track(kMidiLargeChunkCapacity);
  for (auto _ : state) {
    Load(track);
    benchmark::DoNotOptimize(track.Count());
  }
  state.counters["events"] = track.Count();
}

void BM_PairNotes(benchmark::State& state) {
  MidiTrackData track(kMidiLargeChunkCapacity);
  for (auto _ : state) {
    state.PauseTiming();
    Load(track);
    state.ResumeTiming();
    track.PairNotes();
    benchmark::DoNotOptimize(track.Count());
  }
}

void BM_SplitNotes(benchmark::State& state) {
  MidiTrackData track(kMidiLargeChunkCapacity);
  for (auto _ : state) {
    state.PauseTiming();
    Load(track);
    track.PairNotes();
    state.ResumeTiming();
    track.SplitNotes();
    benchmark::DoNotOptimize(track.Count());
  }
  state.counters["events"] = track.Count();
}

void BM_Serialise(benchmark::State& state) {
  MidiTrackData track(kMidiLargeChunkCapacity);
  Load(track);
  for (auto _ : state) {
    track.SetForm(kFormEvents);
    track.Serialise("MTrk");
    benchmark::DoNotOptimize(track.ChunkLength());
  }
  state.counters["bytes"] = static_cast<double>(track.ChunkLength());
}

BENCHMARK(BM_Parse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PairNotes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SplitNotes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Serialise)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
