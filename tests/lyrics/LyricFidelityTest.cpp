// Measures how faithfully the whole conversion sings real lyrics: the songs of
// tests/data/lyric-fidelity.txt, split as karaoke files split them, converted
// with the dictionaries of the start folder and the system's reading service.
// Prints the share of syllables sung right (edit distance over the whole set)
// and the share of particles sung as sung.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "karaoke/XfKaraokeData.h"
#include "lyrics/CSyllableTable.h"
#include "lyrics/CVocaloid.h"
#include "lyrics/CVocaloidConvert.h"
#include "platform/MecabReadingService.h"
#include "platform/TextCodec.h"
#include "support/lyrics/KanaPassFixture.h"
#include "support/platform/ScriptedHost.h"
#include "support/platform/TempFolder.h"

namespace crx {
namespace {

const std::string kFidelitySet = std::string(CRX_SOURCE_DIR) + "/tests/data/lyric-fidelity.txt";
const std::string kParticleMark = "_";

struct FidelitySong {
  std::string title;
  std::vector<std::string> events;  // UTF-8
  std::vector<std::string> sung;    // syllables, CP932
  std::vector<size_t> particles;    // indexes into sung
};

std::vector<FidelitySong> LoadSet() {
  std::vector<FidelitySong> songs;
  std::ifstream in(kFidelitySet);
  std::string line;
  while (std::getline(in, line)) {
    if (line.starts_with("song: ")) {
      songs.push_back({line.substr(6), {}, {}, {}});
    } else if (line.starts_with("lyric: ") && !songs.empty()) {
      std::istringstream words(line.substr(7));
      for (std::string w; words >> w;) songs.back().events.push_back(w);
    } else if (line.starts_with("sung: ") && !songs.empty()) {
      std::string kana = line.substr(6);
      std::erase(kana, ' ');
      // Split at every particle mark so that the marked syllable is known.
      size_t pos = 0;
      for (bool first = true; pos <= kana.size(); first = false) {
        size_t mark = kana.find(kParticleMark, pos);
        std::string part =
            kana.substr(pos, mark == std::string::npos ? std::string::npos : mark - pos);
        if (!first) songs.back().particles.push_back(songs.back().sung.size());
        for (const SyllableEntry& e : CSyllableTable::Split(*TextCodec::Utf8ToCp932(part), false))
          songs.back().sung.push_back(e.text);
        if (mark == std::string::npos) break;
        pos = mark + kParticleMark.size();
      }
    }
  }
  return songs;
}

struct Score {
  size_t syllables = 0;
  size_t distance = 0;
  size_t particles = 0;
  size_t particlesSung = 0;
  double SyllableShare() const { return 1.0 - static_cast<double>(distance) / syllables; }
  double ParticleShare() const { return static_cast<double>(particlesSung) / particles; }
};

// Edit distance between what should be sung and what is, and which of the
// expected syllables stand matched (unchanged) in a cheapest alignment.
size_t Align(const std::vector<std::string>& want, const std::vector<std::string>& got,
             std::vector<bool>& matched) {
  const size_t n = want.size(), m = got.size();
  std::vector<std::vector<size_t>> d(n + 1, std::vector<size_t>(m + 1));
  for (size_t i = 0; i <= n; ++i) d[i][0] = i;
  for (size_t j = 0; j <= m; ++j) d[0][j] = j;
  for (size_t i = 1; i <= n; ++i)
    for (size_t j = 1; j <= m; ++j)
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1,
                          d[i - 1][j - 1] + (want[i - 1] == got[j - 1] ? 0 : 1)});
  matched.assign(n, false);
  for (size_t i = n, j = m; i > 0 && j > 0;) {
    if (d[i][j] == d[i - 1][j - 1] + (want[i - 1] == got[j - 1] ? 0 : 1)) {
      matched[i - 1] = want[i - 1] == got[j - 1];
      --i, --j;
    } else if (d[i][j] == d[i - 1][j] + 1) {
      --i;
    } else {
      --j;
    }
  }
  return d[n][m];
}

class LyricFidelityTest : public ::testing::Test {
 protected:
  ScriptedHost host;
  ScopedUi scope{host};
  test::TempFolder folder;

  void SetUp() override {
    if (!std::filesystem::exists(std::string(CRX_START_FOLDER) + "/kanji.csv"))
      GTEST_SKIP() << "the dictionaries are not in the start folder";
    if (MecabReadingService::Create() == nullptr) GTEST_SKIP() << "no reading service";
  }

  Score Measure(const ConvertOptions& options, bool verbose) {
    Score score;
    for (const FidelitySong& s : LoadSet()) {
      auto song = test::LoadSong(test::NotePerLyric(s.events), folder);
      CVocaloid vocaloid;
      std::vector<std::string> lines;
      CVocaloidConvert::Run(*song, vocaloid, 0, CRX_START_FOLDER, lines, options);
      std::vector<std::string> got;
      for (const VocalNote& n : vocaloid.Notes())
        if (!n.IsEndRecord()) got.push_back(n.lyric);
      std::vector<bool> matched;
      const size_t distance = Align(s.sung, got, matched);
      score.syllables += s.sung.size();
      score.distance += distance;
      score.particles += s.particles.size();
      for (size_t p : s.particles) score.particlesSung += matched[p] ? 1 : 0;
      if (verbose && distance > 0) {
        std::string line;
        for (const std::string& g : got) line += g;
        std::printf("  %s: %zu off: %s\n", s.title.c_str(), distance,
                    TextCodec::Cp932ToUtf8Lossy(line).c_str());
      }
    }
    return score;
  }
};

TEST_F(LyricFidelityTest, SingsTheSetAsASingerWould) {
  const std::vector<FidelitySong> set = LoadSet();
  ASSERT_GE(set.size(), 8u);
  for (const FidelitySong& s : set) {
    SCOPED_TRACE(s.title);
    EXPECT_FALSE(s.events.empty());
    EXPECT_FALSE(s.sung.empty());
  }
  ConvertOptions asWritten;
  ConvertOptions asSung;
  asSung.particlesAsSung = true;
  const Score written = Measure(asWritten, false);
  const Score sung = Measure(asSung, true);
  std::printf("lyric fidelity: %zu songs, %zu syllables, %zu particles\n", set.size(),
              sung.syllables, sung.particles);
  std::printf("  particles as written: syllables right %.1f %%, particles as sung %.1f %%\n",
              100 * written.SyllableShare(), 100 * written.ParticleShare());
  std::printf("  particles as sung:    syllables right %.1f %%, particles as sung %.1f %%\n",
              100 * sung.SyllableShare(), 100 * sung.ParticleShare());
  EXPECT_GE(sung.SyllableShare(), 0.95);
  EXPECT_EQ(sung.particlesSung, sung.particles);
  EXPECT_EQ(written.particlesSung, 0u);
}

}  // namespace
}  // namespace crx
