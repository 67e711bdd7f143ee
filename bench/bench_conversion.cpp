// The whole lyric conversion of a song of 2048 melody notes with the
// dictionaries of the start folder and the system's reading service; the
// song fills all 2048 records. The one-time loads (the analyser's
// dictionary, kept for the whole process after its first use, and the two
// list files) are measured on their own.
#include <benchmark/benchmark.h>
#include <algorithm>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/FileHelpers.h"
#include "karaoke/XfKaraokeData.h"
#include "lyrics/CListFile.h"
#include "lyrics/CVocaloid.h"
#include "lyrics/CVocaloidConvert.h"
#include "platform/Process.h"
#include "platform/ReadingService.h"
#include "platform/TextCodec.h"
#include "support/platform/ScriptedHost.h"

namespace {

constexpr int kMelodyNotes = 2048;
constexpr uint32_t kNoteTicks = 240;
// How far a lyric of a real-style song stands from its note.
constexpr uint32_t kRealStyleShift = 36;

// Lyrics of the song, one per note in turn; an empty one leaves its note to
// the lyric before it. Kanji, ruby, kana, long vowels, digits and English.
const std::vector<std::string> kPhrase = {
    "/今日", "も",  "二人", "",   "で",   "夢[ゆめ]", "を",  "見", "た", "love",
    "ー",    "1",   "キャ", "ン", "ディ", "ー",       "/空", "に", "歌", "",
    "う",    "you", "故郷", "",   "",     "",         "の",  "星", "ッ", "と"};

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

// The XF file: melody on channel 0, a chord note on channel 1 under it. In
// the style of real files, the lyrics stand up to a sixteenth before or
// after their notes, with a display space before every other one and
// indents in front of the lines.
std::vector<uint8_t> MakeSong(bool realStyle) {
  std::string main = Vlq(0) + Meta(0x51, std::string("\x07\xA1\x20", 3));
  std::string lyrics;
  uint32_t lastLyric = 0;
  auto lyric = [&](uint32_t tick, const std::string& cp932) {
    lyrics += Vlq(tick - lastLyric) + Meta(0x05, cp932);
    lastLyric = tick;
  };
  for (int k = 0; k < kMelodyNotes; ++k) {
    const char note = static_cast<char>(60 + k % 12);
    main += Vlq(0) + "\x90" + note + "\x64";
    main += Vlq(0) + "\x91" + static_cast<char>(48 + k % 12) + "\x50";
    main += Vlq(kNoteTicks) + "\x80" + note + "\x40";
    main += Vlq(0) + "\x81" + static_cast<char>(48 + k % 12) + "\x40";
    std::string text =
        crx::TextCodec::Utf8ToCp932(kPhrase[static_cast<size_t>(k) % kPhrase.size()]).value_or("");
    if (text.empty()) continue;
    uint32_t tick = static_cast<uint32_t>(k) * kNoteTicks;
    if (realStyle) {
      tick = k % 2 == 0 ? tick + kRealStyleShift : tick - std::min(tick, kRealStyleShift);
      tick = std::max(tick, lastLyric);
      if (text[0] == '/') text.replace(0, 1, "/>>");
      if (k % 2 == 1) lyric(tick, " ");
    }
    lyric(tick, text);
  }
  main += Vlq(kNoteTicks) + Meta(0x2F, "");
  lyrics += Vlq(static_cast<uint32_t>(kMelodyNotes) * kNoteTicks - lastLyric) + Meta(0x2F, "");
  std::string file = "MThd" + Be32(6) + std::string("\x00\x00\x00\x01\x01\xE0", 6);
  file += Chunk("MTrk", main) + Chunk("XFIH", Vlq(0) + Meta(0x2F, "")) + Chunk("XFKM", lyrics);
  return {file.begin(), file.end()};
}

// The first creation loads the analyser's dictionary; run before the others.
void BM_ReadingServiceFirstLoad(benchmark::State& state) {
  for (auto _ : state) {
    auto service = crx::CreateReadingService();
    benchmark::DoNotOptimize(service.get());
  }
}
BENCHMARK(BM_ReadingServiceFirstLoad)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_WholeConversion(benchmark::State& state) {
  crx::ScriptedHost host;
  crx::ScopedUi scope(host);
  if (crx::CreateReadingService() == nullptr) {
    state.SkipWithError("no reading service");
    return;
  }
  const std::vector<uint8_t> bytes = MakeSong(state.range(0) == 1);
  const std::string folder = crx::StartFolder();
  crx::CVocaloid vocaloid;
  for (auto _ : state) {
    state.PauseTiming();
    auto song = std::make_unique<crx::XfKaraokeData>(folder + "/none.mid");
    song->LoadImage(bytes);
    song->Read();
    std::vector<std::string> lines;
    state.ResumeTiming();
    crx::CVocaloidConvert::Run(*song, vocaloid, 0, folder, lines);
    benchmark::DoNotOptimize(vocaloid.Count());
  }
  state.counters["records"] = vocaloid.Count();
  state.counters["messages"] = static_cast<double>(host.Messages().size());
}
// 0: lyrics on their notes; 1: lyrics as real files place them.
BENCHMARK(BM_WholeConversion)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_DictionaryLoad(benchmark::State& state) {
  crx::ScriptedHost host;
  crx::ScopedUi scope(host);
  const std::string folder = crx::StartFolder();
  for (auto _ : state) {
    crx::CListFile kanji(crx::JoinPath(folder, "kanji.csv"));
    crx::CListFile english(crx::JoinPath(folder, "english.csv"));
    benchmark::DoNotOptimize(kanji.RowCount() + english.RowCount());
  }
}
BENCHMARK(BM_DictionaryLoad)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
