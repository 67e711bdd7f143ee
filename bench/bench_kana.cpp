// Speed of the kana passes over a song of 2048 melody notes, with the shipped
// dictionaries and the reading service, and of the one-time loads.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "karaoke/XfKaraokeData.h"
#include "lyrics/CEnglishToKana.h"
#include "lyrics/CKanjiToKana.h"
#include "lyrics/CVocaloidConvertDictionary.h"
#include "lyrics/CVocaloidConvertDigit.h"
#include "lyrics/CVocaloidConvertEnglish.h"
#include "lyrics/CVocaloidConvertLongVowel.h"
#include "lyrics/CVocaloidConvertPhonetic.h"
#include "lyrics/CVocaloidConvertRemoveChar.h"
#include "platform/MecabReadingService.h"
#include "platform/Process.h"
#include "platform/TextCodec.h"
#include "support/platform/ScriptedHost.h"

namespace {

constexpr int kNotes = 2048;

std::string Vlq(uint32_t v) {
  std::string s(1, static_cast<char>(v & 0x7F));
  while ((v >>= 7) != 0) s.insert(s.begin(), static_cast<char>(0x80 | (v & 0x7F)));
  return s;
}

std::string Chunk(std::string_view id, const std::string& body) {
  auto n = static_cast<uint32_t>(body.size());
  std::string s(id);
  for (int shift = 24; shift >= 0; shift -= 8) s.push_back(static_cast<char>((n >> shift) & 0xFF));
  return s + body;
}

// 2048 notes of 240 ticks on channel 0, each with a lyric from a mix of
// kanji words, kana, long vowels, digits and English.
std::string SongFile() {
  const std::vector<std::string> pieces = {"一",   "人", "で", "夢",   "を", "見", "た", "ー",
                                           "故郷", "の", "空", "love", "2",  "き", "っ", "と"};
  std::string main;
  std::string words;
  for (int k = 0; k < kNotes; ++k) {
    main += std::string("\0\x90\x3C\x64", 4) + Vlq(240) + "\x80\x3C\x40";
    std::string text = *crx::TextCodec::Utf8ToCp932(pieces[static_cast<size_t>(k) % pieces.size()]);
    words += Vlq(k == 0 ? 0 : 240) + "\xFF\x05" + Vlq(static_cast<uint32_t>(text.size())) + text;
  }
  main += std::string("\0\xFF\x2F\0", 4);
  words += std::string("\0\xFF\x2F\0", 4);
  return std::string("MThd\0\0\0\6\0\0\0\1\1\xE0", 14) + Chunk("MTrk", main) +
         Chunk("XFIH", std::string("\0\xFF\x2F\0", 4)) + Chunk("XFKM", words);
}

const std::string& SongPath() {
  static const std::string path = [] {
    std::string p = "/tmp/bench_kana_" + std::to_string(getpid()) + ".mid";
    std::ofstream(p, std::ios::binary) << SongFile();
    return p;
  }();
  return path;
}

void BM_LoadDictionaries(benchmark::State& state) {
  crx::ScriptedHost host;
  crx::ScopedUi scope(host);
  for (auto _ : state) {
    crx::CKanjiToKana kanji(crx::StartFolder());
    crx::CEnglishToKana english(crx::StartFolder());
    benchmark::DoNotOptimize(kanji.List().RowCount() + english.List().RowCount());
  }
}
BENCHMARK(BM_LoadDictionaries)->Unit(benchmark::kMillisecond);

void BM_FirstReadingService(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(crx::MecabReadingService::Create());
}
BENCHMARK(BM_FirstReadingService)->Unit(benchmark::kMillisecond)->Iterations(1);

// The passes of a conversion, dictionary loads and reading-service creation
// included (the dictionary of the service is loaded once per process).
void BM_KanaPasses2048Notes(benchmark::State& state) {
  crx::ScriptedHost host;
  crx::ScopedUi scope(host);
  const std::string folder = crx::StartFolder();
  for (auto _ : state) {
    state.PauseTiming();
    crx::XfKaraokeData song(SongPath());
    state.ResumeTiming();
    crx::CVocaloidConvertRemoveChar spaces(song, ' ', "\x81\x40");
    crx::CVocaloidConvertRemoveChar marks(song, '<');
    crx::CVocaloidConvertDigit digits(song);
    crx::CVocaloidConvertDictionary kanji(song, 0, folder);
    crx::CVocaloidConvertLongVowel vowels(song);
    crx::CVocaloidConvertPhonetic readings(song);
    crx::CVocaloidConvertEnglish english(song, folder);
  }
  if (!host.Messages().empty()) state.SkipWithError(host.Messages().front().c_str());
}
BENCHMARK(BM_KanaPasses2048Notes)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
