// Readings chosen by the melody: a kanji word is sung on its note and the
// notes after it that carry no lyric of their own, so their number tells how
// many morae the sung reading has.
#include "lyrics/MelodyReadings.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "karaoke/XfKaraokeData.h"
#include "lyrics/CVocaloid.h"
#include "lyrics/CVocaloidConvert.h"
#include "lyrics/Cp932Text.h"
#include "lyrics/WordDictionary.h"
#include "platform/MecabReadingService.h"
#include "platform/TextCodec.h"
#include "support/karaoke/XfFileBuilder.h"
#include "support/lyrics/KanaPassFixture.h"
#include "support/platform/ScriptedHost.h"
#include "support/platform/TempFolder.h"

namespace crx {
namespace {

using test::XfFileBuilder;
using Lines = std::vector<std::string>;

std::string J(const char* utf8) { return Cp932Text::FromUtf8(utf8); }

TEST(MelodyReadingsTest, MoraeAndVoicing) {
  EXPECT_EQ(MelodyReadings::Morae(J("ふるさと")), 4u);
  EXPECT_EQ(MelodyReadings::Morae(J("こきょう")), 3u);
  EXPECT_EQ(MelodyReadings::Morae(J("ちょう")), 2u);
  EXPECT_EQ(MelodyReadings::Morae(J("がっこう")), 4u);  // っ and ん are morae
  EXPECT_EQ(MelodyReadings::Morae(J("えん")), 2u);
  EXPECT_EQ(MelodyReadings::Voiced(J("はたけ")), J("ばたけ"));
  EXPECT_EQ(MelodyReadings::Voiced(J("つき")), J("づき"));
  EXPECT_EQ(MelodyReadings::Voiced(J("あめ")), J("あめ"));
  EXPECT_EQ(MelodyReadings::Voiced(""), "");
}

TEST(MelodyReadingsTest, EveryLyricCountsItsNoteAndTheFreeNotesAfterIt) {
  XfFileBuilder b;
  for (uint32_t k = 0; k < 7; ++k) b.Note(480 * k, 0, 60, 100, 480);
  b.Note(240, 1, 40, 100, 100);  // another channel counts for nothing
  // 故 on three notes, "/" and 郷 at one tick: the mark counts nothing.
  b.LyricUtf8(0, "故").LyricUtf8(1440, "/").LyricUtf8(1440, "郷").LyricUtf8(2400, "の");
  test::TempFolder tmp;
  ScriptedHost host;
  ScopedUi scope(host);
  XfKaraokeData song(b.WriteTo(tmp.File("song.mid")));
  const std::vector<int> notes =
      MelodyReadings::NotesPerLyric(song.MainTrack(), *song.LyricTrack(), 0);
  ASSERT_EQ(notes.size(), 5u);  // with the end of track
  EXPECT_EQ(notes, (std::vector<int>{3, 0, 2, 2, 0}));
}

// The conversion with the installed reading service and word list.
class MelodyReadingsSongTest : public ::testing::Test {
 protected:
  ScriptedHost host;
  ScopedUi scope{host};
  test::TempFolder tmp;
  std::vector<MelodyReadingChoice> chosen;

  void SetUp() override {
    if (MecabReadingService::Create() == nullptr) GTEST_SKIP() << "no reading service";
    if (WordDictionary::Installed().Empty()) GTEST_SKIP() << "no word list";
    test::WriteFileBytes(tmp.File("kanji.csv"), "");
    test::WriteFileBytes(tmp.File("english.csv"), "");
  }

  // Each lyric on its first note, followed by notes without a lyric of their
  // own; what every note sings, in order ("" for a silent note).
  Lines Sing(const std::vector<std::pair<const char*, int>>& lyrics) {
    XfFileBuilder b;
    b.Tempo(0, 500000);
    uint32_t tick = 0;
    for (const auto& [text, notes] : lyrics) {
      b.LyricUtf8(tick, text);
      for (int k = 0; k < notes; ++k, tick += 480) b.Note(tick, 0, 60, 100, 480);
    }
    auto song = std::make_unique<XfKaraokeData>(b.WriteTo(tmp.File("song.mid")));
    CVocaloid vocaloid;
    std::vector<std::string> lines;
    ConvertOptions options;
    options.particlesAsSung = true;
    options.melodyChoices = &chosen;
    CVocaloidConvert::Run(*song, vocaloid, 0, tmp.Path(), lines, options);
    Lines perNote(tick / 480);
    for (const VocalNote& n : vocaloid.Notes()) {
      if (n.IsEndRecord()) continue;
      perNote[static_cast<size_t>(n.startTick / 480)] += TextCodec::Cp932ToUtf8Lossy(n.lyric);
    }
    return perNote;
  }
};

TEST_F(MelodyReadingsSongTest, TheNotesChooseBetweenTheWordsReadings) {
  // 故郷: こきょう on three notes, ふるさと on four.
  EXPECT_EQ(Sing({{"故郷", 3}, {"の", 1}}), (Lines{"こ", "きょ", "う", "の"}));
  EXPECT_EQ(Sing({{"故郷", 4}, {"の", 1}}), (Lines{"ふ", "る", "さ", "と", "の"}));
  ASSERT_FALSE(chosen.empty());
  EXPECT_EQ(chosen.back().word, J("故郷"));
  EXPECT_EQ(chosen.back().notes, 4);
  EXPECT_EQ(chosen.back().chosen, J("ふるさと"));
  // 宴: うたげ on three notes, えん on two; 書: ふみ on two.
  EXPECT_EQ(Sing({{"花", 2}, {"の", 1}, {"宴", 2}}), (Lines{"は", "な", "の", "え", "ん"}));
  EXPECT_EQ(Sing({{"花", 2}, {"の", 1}, {"宴", 3}}), (Lines{"は", "な", "の", "う", "た", "げ"}));
  const Lines book = Sing({{"窓", 2}, {"の", 1}, {"雪", 2}, {"書", 2}, {"読", 1}, {"む", 1}});
  EXPECT_EQ(Lines(book.begin() + 5, book.end()), (Lines{"ふ", "み", "よ", "む"}));
}

TEST_F(MelodyReadingsSongTest, WithoutAFittingCandidateOrAFreeNoteTheAnalysisStands) {
  // A melisma: no reading of 故郷 has five morae; the analysis is sung and
  // its last mora held over the notes left.
  const Lines melisma = Sing({{"故郷", 5}});
  EXPECT_TRUE(chosen.empty());
  EXPECT_EQ(melisma[0], "こ");
  // Every note taken by a lyric of its own: the melody says nothing.
  const Lines own = Sing({{"故", 1}, {"郷", 1}, {"の", 1}});
  EXPECT_TRUE(chosen.empty());
  EXPECT_EQ(own[0] + own[1], "こきょう");
}

TEST_F(MelodyReadingsSongTest, TheUsersKanjiDictionaryStillWins) {
  test::WriteFileBytes(tmp.File("kanji.csv"), J("故郷,ふるさと") + "\r\n");
  EXPECT_EQ(Sing({{"故郷", 3}, {"の", 1}}), (Lines{"ふ", "る", "さと", "の"}));
  EXPECT_TRUE(chosen.empty());
}

TEST_F(MelodyReadingsSongTest, BadInputKeepsTheReadingOfToday) {
  // A word of hundreds of kanji, a lyric with no note after it.
  std::string many;
  for (int k = 0; k < 300; ++k) many += "山";
  const Lines long_ = Sing({{many.c_str(), 3}});
  EXPECT_EQ(long_.size(), 3u);
  XfFileBuilder b;
  b.Note(0, 0, 60, 100, 480).LyricUtf8(0, "故郷").LyricUtf8(960, "宴");
  auto song = std::make_unique<XfKaraokeData>(b.WriteTo(tmp.File("late.mid")));
  CVocaloid vocaloid;
  std::vector<std::string> lines;
  CVocaloidConvert::Run(*song, vocaloid, 0, tmp.Path(), lines);
  EXPECT_GE(vocaloid.Count(), 2);
}

}  // namespace
}  // namespace crx
