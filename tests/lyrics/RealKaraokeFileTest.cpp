// A karaoke file nobody on the team wrote, through the whole conversion:
// what it writes in kana and ruby is what is sung, in order, and nothing of
// its display controls is. Skips without the shared test data, the
// dictionaries or the reading service.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "karaoke/LyricMarkup.h"
#include "karaoke/XfKaraokeData.h"
#include "lyrics/CSyllableTable.h"
#include "lyrics/CVocaloid.h"
#include "lyrics/CVocaloidConvert.h"
#include "lyrics/Cp932Text.h"
#include "lyrics/LyricEvent.h"
#include "platform/MecabReadingService.h"
#include "support/platform/ScriptedHost.h"

namespace crx {
namespace {

const std::string kRealFile = std::string(CRX_SHARED_DIR) + "/testdata/xf-real/haruyoko.mid";

// The kana the file writes in its sung parts (kana as written and ruby
// readings; bare kanji are left out), one character each. The small tsu and
// the particles' kana are left out too: they are sung as their sound.
std::vector<std::string> WrittenKana(const XfKaraokeData& song) {
  std::vector<std::string> kana;
  const std::string tsu = Cp932Text::FromUtf8("っ");
  const std::string ha = Cp932Text::FromUtf8("は");
  const std::string he = Cp932Text::FromUtf8("へ");
  bool sung = true;
  LyricMarkup::State state;
  for (const MidiEvent& ev : song.LyricTrack()->Events()) {
    const std::string text = LyricEvent::Text(ev);
    if (ev.IsMeta(kMetaCuePoint) && text.size() == 2 && text[0] == '&') sung = text[1] != 'x';
    if (!LyricEvent::IsLyric(ev) || !sung) continue;
    for (const LyricMarkup::Piece& p : LyricMarkup::Parse(text, state)) {
      const std::string s = p.Sung();
      for (size_t i = 0; i < s.size(); i += Cp932Text::CharLength(s, i)) {
        const std::string ch = s.substr(i, Cp932Text::CharLength(s, i));
        if (CSyllableTable::IsTableKana(ch) && ch != tsu && ch != ha && ch != he)
          kana.push_back(ch);
      }
    }
  }
  return kana;
}

// The longest common subsequence of two lists.
size_t CommonInOrder(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  std::vector<size_t> row(b.size() + 1, 0);
  for (const std::string& x : a) {
    size_t diagonal = 0;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] = x == b[j - 1] ? diagonal + 1 : std::max(row[j], row[j - 1]);
      diagonal = above;
    }
  }
  return row[b.size()];
}

TEST(RealKaraokeFileTest, SingsWhatTheFileWritesAndNoneOfItsControls) {
  if (!std::filesystem::exists(kRealFile)) GTEST_SKIP() << "no shared test data";
  if (!std::filesystem::exists(std::string(CRX_START_FOLDER) + "/kanji.csv")) {
    GTEST_SKIP() << "the dictionaries are not in the start folder";
  }
  if (MecabReadingService::Create() == nullptr) GTEST_SKIP() << "no reading service";
  ScriptedHost host;
  ScopedUi scope(host);
  XfKaraokeData original(kRealFile);
  ASSERT_NE(original.LyricTrack(), nullptr);
  const std::vector<std::string> written = WrittenKana(original);
  ASSERT_GT(written.size(), 250u);

  XfKaraokeData song(kRealFile);
  CVocaloid vocaloid;
  std::vector<std::string> lines;
  CVocaloidConvert::Run(song, vocaloid, 0, CRX_START_FOLDER, lines);
  std::vector<std::string> sung;
  for (const VocalNote& note : vocaloid.Notes()) {
    if (note.IsEndRecord()) continue;
    const std::string& kana = note.lyric;
    // Every syllable is kana: no space, mark, bracket or remark is sung.
    EXPECT_TRUE(CSyllableTable::IsTableKana(kana.substr(0, 2))) << note.startTick;
    for (size_t i = 0; i < kana.size(); i += Cp932Text::CharLength(kana, i)) {
      sung.push_back(kana.substr(i, Cp932Text::CharLength(kana, i)));
    }
  }
  // The song has 438 syllables; before its lyrics met their notes, 95 were
  // sung, most of them wrong.
  EXPECT_GE(sung.size(), 420u);
  EXPECT_LE(sung.size(), 460u);
  const size_t inOrder = CommonInOrder(written, sung);
  EXPECT_GE(inOrder * 100, written.size() * 98) << inOrder << " of " << written.size();
}

}  // namespace
}  // namespace crx
