// Readings in the context of the line: the alignment of a morpheme's reading
// to its written characters, the line pass over karaoke-split lyrics, the
// particles sung as they sound, and what is left unread.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "karaoke/XfKaraokeData.h"
#include "lyrics/CVocaloid.h"
#include "lyrics/CVocaloidConvert.h"
#include "lyrics/CVocaloidConvertPhonetic.h"
#include "lyrics/LineReading.h"
#include "lyrics/LyricLines.h"
#include "platform/MecabReadingService.h"
#include "platform/ReadingService.h"
#include "platform/TextCodec.h"
#include "support/lyrics/KanaPassFixture.h"
#include "support/platform/ScriptedHost.h"
#include "support/platform/TempFolder.h"

namespace crx {
namespace {

using test::LoadSong;
using test::LyricsUtf8;
using test::NotePerLyric;
using test::XfFileBuilder;
using Texts = std::vector<std::string>;

std::string Sj(std::string_view utf8) { return XfFileBuilder::Cp932(utf8); }

Texts Chars(std::string_view utf8) { return LineReading::Characters(Sj(utf8)); }

std::optional<Texts> Align(std::string_view surface, std::string_view reading) {
  std::optional<Texts> shares = LineReading::AlignMorpheme(Chars(surface), Sj(reading));
  if (shares)
    for (std::string& s : *shares) s = TextCodec::Cp932ToUtf8Lossy(s);
  return shares;
}

TEST(LineReadingAlign, KanaOfTheSurfaceAreMatchedNeverRepeated) {
  EXPECT_EQ(Align("話し", "はなし"), (Texts{"はな", "し"}));                          // after
  EXPECT_EQ(Align("お話", "おはなし"), (Texts{"お", "はなし"}));                      // before
  EXPECT_EQ(Align("取り扱い", "とりあつかい"), (Texts{"と", "り", "あつか", "い"}));  // inside
  EXPECT_EQ(Align("キャンディ", "きゃんでぃ"), (Texts{"き", "ゃ", "ん", "で", "ぃ"}));
  // A compound shares its reading in whole syllables, the first the surplus.
  EXPECT_EQ(Align("故郷", "ふるさと"), (Texts{"ふる", "さと"}));
  EXPECT_EQ(Align("今日", "きょう"), (Texts{"きょ", "う"}));
  EXPECT_EQ(Align("明後日", "あさって"), (Texts{"あさ", "っ", "て"}));
  // Kana that the reading does not hold, readings that are no kana, and
  // single-byte text are not aligned.
  EXPECT_EQ(Align("はな", "ばな"), std::nullopt);
  EXPECT_EQ(Align("空", "そら、"), std::nullopt);
  EXPECT_EQ(LineReading::AlignMorpheme({"a", Sj("空")}, Sj("そら")), std::nullopt);
  EXPECT_EQ(Align("空", ""), std::nullopt);
  // A pair that fits nowhere is settled at once, however it could be split.
  std::string surface;
  std::string reading;
  for (int i = 0; i < 16; ++i) surface += "漢あ";
  for (int i = 0; i < 200; ++i) reading += "あ";
  EXPECT_EQ(Align(surface, reading + "か"), std::nullopt);
}

// A service that knows the morphemes of one line only and reads everything
// else as written: shows which requests the pass makes.
struct ScriptedMorphemes : ReadingService {
  std::string line;
  std::vector<Morpheme> morphemes;
  std::vector<std::string>* asked = nullptr;
  std::optional<std::string> Reading(std::string_view utf8) override {
    if (asked != nullptr) asked->emplace_back(utf8);
    return std::string(utf8);
  }
  std::optional<std::vector<Morpheme>> Morphemes(std::string_view utf8) override {
    if (utf8 != line) return std::nullopt;
    return morphemes;
  }
};

struct LineReadingTest : ::testing::Test {
  ScriptedHost host;
  ScopedUi scope{host};
  test::TempFolder folder;

  Texts Phonetic(const Texts& lyrics, std::unique_ptr<ReadingService> service,
                 bool particlesAsSung = false) {
    auto song = LoadSong(NotePerLyric(lyrics), folder);
    PhoneticOptions options;
    options.particlesAsSung = particlesAsSung;
    CVocaloidConvertPhonetic pass(*song, std::move(service), options);
    return LyricsUtf8(*song);
  }
  Texts Sung(const Texts& lyrics, bool particlesAsSung = true,
             std::vector<UnsungLyric>* unsung = nullptr, Texts* review = nullptr) {
    auto song = LoadSong(NotePerLyric(lyrics), folder);
    CVocaloid vocaloid;
    std::vector<std::string> lines;
    ConvertOptions options;
    options.particlesAsSung = particlesAsSung;
    CVocaloidConvert::Run(*song, vocaloid, 0, folder.Path(), lines, options, unsung);
    if (review != nullptr)
      for (const std::string& l : lines) review->push_back(TextCodec::Cp932ToUtf8Lossy(l));
    return LyricsUtf8(*song);
  }
};

TEST_F(LineReadingTest, EachEventTakesItsShareOfTheLineAndMarksStay) {
  auto service = std::make_unique<ScriptedMorphemes>();
  Texts asked;
  service->asked = &asked;
  service->line = "故郷を思う";
  service->morphemes = {{"故郷", "ふるさと", false}, {"を", "を", true}, {"思う", "おもう", false}};
  // A word over three events, one of them with a line mark in front; the
  // events of kana only are read alone as before.
  EXPECT_EQ(Phonetic({"/故", "郷", "を", "思", "う"}, std::move(service)),
            (Texts{"/ふる", "さと", "を", "おも", "う"}));
  EXPECT_EQ(asked, (Texts{"を", "う"}));
}

TEST_F(LineReadingTest, WithoutAnAnalysisEveryEventIsReadAlone) {
  auto service = std::make_unique<ScriptedMorphemes>();
  Texts asked;
  service->asked = &asked;
  service->line = "something else";
  EXPECT_EQ(Phonetic({"故", "郷"}, std::move(service)), (Texts{"故", "郷"}));
  EXPECT_EQ(asked, (Texts{"故", "郷"}));
}

class MecabLineTest : public LineReadingTest {
 protected:
  void SetUp() override {
    if (MecabReadingService::Create() == nullptr) GTEST_SKIP() << "no reading service";
  }
};

TEST_F(MecabLineTest, TheLineReadsWhatTheEventAloneMisreads) {
  // Alone, 生 is なま, 明 あきら, 話 with し はなしし, and 泣 stays unread.
  EXPECT_EQ(Sung({"/生", "き", "る", "/明", "る", "い"}),
            (Texts{"/い", "き", "る", "/あか", "る", "い"}));
  EXPECT_EQ(Sung({"/話", "し", "て", "/泣", "く"}), (Texts{"/はな", "し", "て", "/な", "く"}));
  EXPECT_EQ(Sung({"/流", "れ", "る", "/残", "り"}), (Texts{"/なが", "れ", "る", "/のこ", "り"}));
}

TEST_F(MecabLineTest, TheKanjiDictionaryKeepsItsRowsAndTheirKana) {
  test::WriteDictionary(folder.File("kanji.csv"), {{"生", "せい"}, {"父母", "ちちはは"}});
  EXPECT_EQ(Sung({"/生", "き", "る"}), (Texts{"/せい", "き", "る"}));
  // The kana the dictionary wrote (spread its way) are no particles.
  EXPECT_EQ(Sung({"/父", "母", "の", "夢", "は"}), (Texts{"/ちちは", "は", "の", "ゆめ", "わ"}));
}

TEST_F(MecabLineTest, ParticlesAreSungAsTheySoundOnlyWhereTheyAreParticles) {
  const Texts lyrics = {"/はな", "は", "へや", "へ"};
  EXPECT_EQ(Sung(lyrics), (Texts{"/はな", "わ", "へや", "え"}));
  EXPECT_EQ(Sung(lyrics, false), (Texts{"/はな", "は", "へや", "へ"}));

  // The correction dialog's initial texts: only the particles change.
  auto song = LoadSong(NotePerLyric({"/夢は", "はな", "へ"}), folder);
  std::vector<SungParticleLyric> sung = LyricLines::SungParticles(*song->LyricTrack());
  ASSERT_EQ(sung.size(), 2u);
  EXPECT_EQ(sung[0].event, 0);
  EXPECT_EQ(sung[0].text, Sj("/夢わ"));
  EXPECT_EQ(sung[1].event, 2);
  EXPECT_EQ(sung[1].text, Sj("え"));
}

TEST_F(MecabLineTest, WhatCannotBeSungIsNamedAndMarked) {
  std::vector<UnsungLyric> unsung;
  Texts review;
  Sung({"ら", "♪", "ら"}, true, &unsung, &review);
  EXPECT_EQ(unsung, (std::vector<UnsungLyric>{{480, Sj("♪")}}));
  EXPECT_EQ(review, Texts{"ら【♪】ら"});
}

TEST_F(MecabLineTest, BadLyricsAreKeptOrReadNeverOverread) {
  // A line of thousands of bytes in one event, and one spread over events.
  std::string longLine;
  for (int i = 0; i < 1500; ++i) longLine += "花は";
  Texts many(600, "空");
  many.front() = "/" + longLine;
  Texts got = Sung(many);
  ASSERT_EQ(got.size(), many.size());
  EXPECT_NE(got[1], "空");
  EXPECT_TRUE(got[0].starts_with("/はなわはなわ"));
  // Only marks, broken double-byte characters, and text without a reading.
  auto song = LoadSong(NotePerLyric({"/", ">", "<"})
                           .Lyric(1440, "\x88")
                           .Lyric(1920, "\x88\x9f\x88")
                           .Lyric(2400, "\x85\x40\x82\xa0"),
                       folder);
  CVocaloid vocaloid;
  std::vector<std::string> lines;
  std::vector<UnsungLyric> unsung;
  CVocaloidConvert::Run(*song, vocaloid, 0, folder.Path(), lines, ConvertOptions{true}, &unsung);
  EXPECT_TRUE(vocaloid.At(vocaloid.Count() - 1).IsEndRecord());
}

}  // namespace
}  // namespace crx
