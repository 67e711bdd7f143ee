#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "lyrics/CEnglishToKana.h"
#include "lyrics/CImeLanguage.h"
#include "lyrics/CKanjiToKana.h"
#include "lyrics/CVocaloidConvertDictionary.h"
#include "lyrics/CVocaloidConvertDigit.h"
#include "lyrics/CVocaloidConvertEnglish.h"
#include "lyrics/CVocaloidConvertLongVowel.h"
#include "lyrics/CVocaloidConvertPhonetic.h"
#include "lyrics/CVocaloidConvertRemoveChar.h"
#include "lyrics/LyricEvent.h"
#include "platform/ReadingService.h"
#include "support/lyrics/KanaPassFixture.h"
#include "support/platform/ScriptedHost.h"

namespace crx {
namespace {

using test::DictionaryRows;
using test::LoadSong;
using test::LyricsUtf8;
using test::NotePerLyric;
using test::TempFolder;
using test::WriteDictionary;
using test::WriteFileBytes;
using test::XfFileBuilder;
using Texts = std::vector<std::string>;

std::string Sj(std::string_view utf8) { return XfFileBuilder::Cp932(utf8); }

struct KanaPassTest : ::testing::Test {
  ScriptedHost host;
  ScopedUi scope{host};
  TempFolder folder;

  std::unique_ptr<XfKaraokeData> Song(const Texts& lyrics) {
    return LoadSong(NotePerLyric(lyrics), folder);
  }
  void Kanji(const DictionaryRows& rows) { WriteDictionary(folder.File("kanji.csv"), rows); }
  void English(const DictionaryRows& rows) { WriteDictionary(folder.File("english.csv"), rows); }
  Texts RunKanji(const Texts& lyrics) {
    auto song = Song(lyrics);
    host.Clear();
    CVocaloidConvertDictionary pass(*song, 0, folder.Path());
    return LyricsUtf8(*song);
  }
};

// --- Character removal and digits ---

TEST_F(KanaPassTest, RemovalLeavesOneZeroByteInAnEmptiedLyric) {
  auto song = Song({" ", "あ　い", "<エンド", "か"});
  CVocaloidConvertRemoveChar spaces(*song, ' ', Sj("　"));
  CVocaloidConvertRemoveChar marks(*song, '<');
  EXPECT_EQ(LyricsUtf8(*song), (Texts{"", "あい", "エンド", "か"}));
  const MidiEvent& emptied = song->LyricTrack()->Event(0);
  ASSERT_EQ(emptied.DataLength(), 1);
  EXPECT_EQ(emptied.DataByte(0), 0);
  EXPECT_TRUE(host.Messages().empty());
}

TEST_F(KanaPassTest, RemovalStepsOverDoubleByteCharacters) {
  // 0x81 0x40 is "　"; in "ー　" (81 5B 81 40) no byte pair across characters counts.
  EXPECT_EQ(CVocaloidConvertRemoveChar::Remove(Sj("ー　あ"), ' ', Sj("　")), Sj("ーあ"));
  EXPECT_EQ(CVocaloidConvertRemoveChar::Remove("\x81", ' ', Sj("　")), "\x81");
  EXPECT_EQ(CVocaloidConvertRemoveChar::Remove(Sj("@＠") + " ", ' ', {}), Sj("@＠"));
}

TEST_F(KanaPassTest, DigitsAreReadOneByOne) {
  auto song = Song({"1", "２０", "a7b", "ゆめ", "3９"});
  CVocaloidConvertDigit pass(*song);
  EXPECT_EQ(LyricsUtf8(*song), (Texts{"いち", "にぜろ", "aななb", "ゆめ", "さんく"}));
  EXPECT_EQ(CVocaloidConvertDigit::ReadDigits(Sj("0123456789")),
            Sj("ぜろいちにさんしごろくななはちく"));
  // The byte after a lead byte is never read as a digit.
  EXPECT_EQ(CVocaloidConvertDigit::ReadDigits("\x83\x30"), "\x83\x30");
}

// --- English ---

TEST_F(KanaPassTest, EnglishWordsAreLookedUpFoldedAndUnknownOnesStay) {
  English({{"i", "あい"}, {"love", "らぶ"}, {"you", "ゆう"}, {"you", "ゆー"}});
  auto song = Song({"I", "Love", "Zyx", "LOVEあyou!", "ＬＯＶＥ"});
  CVocaloidConvertEnglish pass(*song, folder.Path());
  EXPECT_EQ(LyricsUtf8(*song), (Texts{"あい", "らぶ", "Zyx", "らぶあゆー!", "ＬＯＶＥ"}));
  EXPECT_TRUE(host.Messages().empty());
}

TEST_F(KanaPassTest, EnglishWordOver255LettersStaysAsWritten) {
  English({{"a", "え"}});
  CEnglishToKana english(folder.Path());
  EXPECT_EQ(english.ConvertText("A"), Sj("え"));
  EXPECT_EQ(english.ConvertText(std::string(256, 'A')), std::string(256, 'A'));
  EXPECT_EQ(english.LookupWord(std::string(300, 'a')), std::string(300, 'a'));
}

TEST_F(KanaPassTest, MissingEnglishDictionaryIsReportedAndLyricsStay) {
  auto song = Song({"love"});
  CVocaloidConvertEnglish pass(*song, folder.Path());
  EXPECT_EQ(LyricsUtf8(*song), Texts{"love"});
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(host.Messages()[0].substr(0, 12), "GNLL1E000001");
}

// --- Long vowels ---

TEST_F(KanaPassTest, LongVowelMarksTakeTheVowelOfTheKanaBefore) {
  auto song = Song({"ー", "か", "ー", "き", "っ", "カー", "ッー", "ん", "ー", "a", "ー", "ヴー"});
  CVocaloidConvertLongVowel pass(*song);
  // The first ー follows "つ"; a single-byte "a" keeps the previous kana; ッ
  // leaves "っ" as the previous kana; ヴ is no kana of the table: あ.
  EXPECT_EQ(LyricsUtf8(*song),
            (Texts{"う", "か", "あ", "き", "い", "カあ", "あう", "ん", "ん", "a", "ん", "ヴあ"}));
}

TEST_F(KanaPassTest, VowelTableCoversSmallKanaAndDefaultsToA) {
  EXPECT_EQ(CVocaloidConvertLongVowel::VowelOf(Sj("ゅ")), Sj("う"));
  EXPECT_EQ(CVocaloidConvertLongVowel::VowelOf(Sj("ぇ")), Sj("え"));
  EXPECT_EQ(CVocaloidConvertLongVowel::VowelOf(Sj("を")), Sj("お"));
  EXPECT_EQ(CVocaloidConvertLongVowel::VowelOf(Sj("ぢ")), Sj("い"));
  EXPECT_EQ(CVocaloidConvertLongVowel::VowelOf(Sj("漢")), Sj("あ"));
}

// --- Reading service ---

struct FakeReadings : ReadingService {
  explicit FakeReadings(std::map<std::string, std::string> m) : readings(std::move(m)) {}
  std::optional<std::string> Reading(std::string_view utf8) override {
    ++(*calls);
    auto it = readings.find(std::string(utf8));
    if (it == readings.end()) return std::nullopt;
    return it->second;
  }
  std::map<std::string, std::string> readings;
  std::shared_ptr<int> calls = std::make_shared<int>(0);
};

TEST_F(KanaPassTest, ReadingServiceReplacesLyricsItCanRead) {
  auto song = Song({"空", "夢", "", "ゃ"});
  auto fake = std::make_unique<FakeReadings>(
      std::map<std::string, std::string>{{"空", "そら"}, {"ゃ", ""}, {"夢", "ゆめ"}});
  auto calls = fake->calls;
  CVocaloidConvertPhonetic pass(*song, std::move(fake));
  // An empty reading leaves the lyric; empty lyrics are not asked for.
  EXPECT_EQ(LyricsUtf8(*song), (Texts{"そら", "ゆめ", "", "ゃ"}));
  EXPECT_EQ(*calls, 3);
}

TEST_F(KanaPassTest, WithoutAReadingServiceEveryLyricStays) {
  ScopedReadingService none([] { return std::unique_ptr<ReadingService>(); });
  auto song = Song({"空", "夢"});
  CVocaloidConvertPhonetic pass(*song);
  EXPECT_EQ(LyricsUtf8(*song), (Texts{"空", "夢"}));
  CImeLanguage ime;
  EXPECT_FALSE(ime.Available());
  EXPECT_EQ(ime.GetPhonetic(Sj("空")), "");
  EXPECT_EQ(ime.LastResult(), CImeLanguage::kFail);
  EXPECT_TRUE(host.Messages().empty());
}

TEST_F(KanaPassTest, ReadingRequestsFailOnBrokenTextAndUnmappableReadings) {
  CImeLanguage ime(std::make_unique<FakeReadings>(
      std::map<std::string, std::string>{{"空", "そら"}, {"夢", "ゔ"}}));
  EXPECT_EQ(ime.GetPhonetic(Sj("空")), Sj("そら"));
  EXPECT_EQ(ime.LastResult(), CImeLanguage::kOk);
  EXPECT_EQ(ime.GetPhonetic("\x82"), "");  // a lead byte without its trail byte
  EXPECT_EQ(ime.LastResult(), CImeLanguage::kFail);
  EXPECT_EQ(ime.GetPhonetic(Sj("夢")), "");  // ゔ has no CP932 form
  EXPECT_EQ(ime.LastResult(), CImeLanguage::kFail);
}

TEST_F(KanaPassTest, LongReadingIsCutAfterItsLastWholeCharacter) {
  std::string longReading;
  for (int i = 0; i < 1100; ++i) longReading += "あ";
  CImeLanguage ime(std::make_unique<FakeReadings>(
      std::map<std::string, std::string>{{"空", "x" + longReading}}));
  std::string r = ime.GetPhonetic(Sj("空"));
  EXPECT_EQ(r.size(), 2047u);  // "x" and 1023 double-byte characters
  EXPECT_EQ(r.substr(0, 3), "x" + Sj("あ"));
}

// --- Kanji dictionary ---

TEST_F(KanaPassTest, LongerKanjiRowIsTakenFirst) {
  Kanji({{"一", "いち"}, {"一人", "ひとり"}});
  EXPECT_EQ(RunKanji({"一", "人", "の", "一", "つ"}), (Texts{"ひと", "り", "の", "いち", "つ"}));
  EXPECT_TRUE(host.Messages().empty());
}

TEST_F(KanaPassTest, WordInOneLyricTakesTheWholeReading) {
  Kanji({{"故郷", "ふるさと"}, {"今日", "きょう"}});
  EXPECT_EQ(RunKanji({"故郷", "今日は"}), (Texts{"ふるさと", "きょうは"}));
}

TEST_F(KanaPassTest, KanaThatAgreesAtTheStartAndEndStaysWithItsNote) {
  Kanji({{"お祭り", "おまつり"}, {"真っ赤", "まっか"}});
  EXPECT_EQ(RunKanji({"お", "祭", "り", "真", "っ", "赤"}),
            (Texts{"お", "まつ", "り", "ま", "っ", "か"}));
}

TEST_F(KanaPassTest, OnlyTheLastRunOfMatchingRowsCounts) {
  // Rows of 夢 stand in two runs: only the later one is searched.
  Kanji({{"夢路", "ゆめじ"}, {"空", "そら"}, {"夢", "ゆめ"}});
  CKanjiToKana kanji(folder.Path());
  std::vector<KanaCandidate> c;
  EXPECT_EQ(kanji.FindCandidates(Sj("夢路"), c), 2u);
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].reading, Sj("ゆめ"));
  EXPECT_EQ(kanji.FindCandidates(Sj("星"), c), 0u);
  EXPECT_TRUE(c.empty());
}

TEST_F(KanaPassTest, AGroupOfMoreThan512RowsGives512CandidatesAndSaysTheyWereCut) {
  DictionaryRows rows;
  for (int i = 0; i < 600; ++i) rows.push_back({"愛" + std::to_string(1000 + i), "あい"});
  Kanji(rows);
  CKanjiToKana kanji(folder.Path());
  std::vector<KanaCandidate> c;
  bool cut = false;
  EXPECT_EQ(kanji.FindCandidates(Sj("愛"), c, &cut), 6u);
  ASSERT_EQ(c.size(), 512u);
  EXPECT_EQ(c.front().written, Sj("愛1599"));  // the last row first
  EXPECT_EQ(c.back().written, Sj("愛1088"));
  EXPECT_TRUE(cut);

  rows.resize(512);
  Kanji(rows);
  CKanjiToKana exact(folder.Path());
  exact.FindCandidates(Sj("愛"), c, &cut);
  EXPECT_EQ(c.size(), 512u);
  EXPECT_FALSE(cut);           // nothing was left out
  EXPECT_EQ(host.Beeps(), 0);  // the caller decides on the beep
}

TEST_F(KanaPassTest, OverlongRowsAreNoCandidates) {
  Kanji({{"夢", std::string(40, 'a') + "あああああああああああああああ"}, {"夢見", "ゆめみ"}});
  CKanjiToKana kanji(folder.Path());
  std::vector<KanaCandidate> c;
  EXPECT_EQ(kanji.FindCandidates(Sj("夢"), c), 4u);
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].written, Sj("夢見"));
}

TEST_F(KanaPassTest, LineBreakAtTheNoteDoesNotHideTheWord) {
  Kanji({{"一人", "ひとり"}});
  XfFileBuilder b;
  b.Note(0, 0, 60, 100, 480).Note(480, 0, 62, 100, 480).Note(960, 0, 64, 100, 480);
  b.LyricUtf8(0, "あ").LyricUtf8(480, "/").LyricUtf8(480, "一").LyricUtf8(960, "人");
  auto song = LoadSong(b, folder);
  CVocaloidConvertDictionary pass(*song, 0, folder.Path());
  EXPECT_EQ(LyricsUtf8(*song), (Texts{"あ", "/", "ひと", "り"}));
}

TEST_F(KanaPassTest, JoinStopsBeforeALyricWithASingleByteCharacter) {
  Kanji({{"一人", "ひとり"}});
  EXPECT_EQ(RunKanji({"一", "人a"}), (Texts{"一", "人a"}));
}

TEST_F(KanaPassTest, LeadingMarkStaysInFrontOfTheReading) {
  Kanji({{"明日", "あした"}});
  EXPECT_EQ(RunKanji({">明", "日"}), (Texts{">あし", "た"}));
  // A line break written with the word hides it no more than one of its own.
  EXPECT_EQ(RunKanji({"/明", "日", "/明日"}), (Texts{"/あし", "た", "/あした"}));
}

TEST_F(KanaPassTest, SpreadingReportsReadingsItCannotPlace) {
  Kanji({{"一人", ""}, {"二人", "ふa"}, {"三人", "さ"}, {"五人組", "ご"}, {"六七あ", "aあ"}});
  EXPECT_EQ(RunKanji({"一", "人"}), (Texts{"一", "人"}));
  EXPECT_EQ(host.Messages(), Texts{"KanjiToKanaFunc"});
  EXPECT_EQ(RunKanji({"二", "人"}), (Texts{"ふ", "a"}));
  EXPECT_EQ(host.Messages(), Texts{"KanjiToKanaFunc 3"});
  EXPECT_EQ(RunKanji({"三", "人"}), (Texts{"", "さ"}));
  EXPECT_EQ(host.Messages(), Texts{});
  EXPECT_EQ(RunKanji({"五", "人", "組"}), (Texts{"", "ご", ""}));
  EXPECT_EQ(host.Messages(), Texts{"word_first_assign_len"});
  EXPECT_EQ(RunKanji({"六", "七", "あ"}), (Texts{"", "a", "あ"}));
  EXPECT_EQ(host.Messages(), Texts{"KanjiToKanaFunc 2"});
}

TEST_F(KanaPassTest, AWordEndingInsideACharacterIsNotReplaced) {
  // A broken row whose written form ends in a lead byte.
  WriteFileBytes(folder.File("kanji.csv"), Sj("一") + "\x90,x\r\n");
  auto song = Song({"一人"});
  host.Clear();
  CVocaloidConvertDictionary pass(*song, 0, folder.Path());
  EXPECT_EQ(LyricsUtf8(*song), Texts{"一人"});
  EXPECT_EQ(host.Messages(), Texts{"GetLyricWord"});
}

TEST_F(KanaPassTest, OnlyMelodyNotesAreLookedAt) {
  Kanji({{"一人", "ひとり"}});
  XfFileBuilder b;
  b.Note(0, 3, 60, 100, 480).LyricUtf8(0, "一人");
  auto song = LoadSong(b, folder);
  CVocaloidConvertDictionary pass(*song, 0, folder.Path());
  EXPECT_EQ(LyricsUtf8(*song), Texts{"一人"});
}

TEST_F(KanaPassTest, BrokenCharactersAndMissingTracksPassUnharmed) {
  Kanji({{"一", "いち"}, {"一人", "ひとり"}});
  English({{"a", "え"}});
  auto song = Song({"x", "一", "x", "ー"});
  song->LyricTrack()->Event(0).SetData(std::string_view("\x82", 1));
  song->LyricTrack()->Event(2).SetData(Sj("一") + "\x82");
  host.Clear();
  CVocaloidConvertRemoveChar spaces(*song, ' ', Sj("　"));
  CVocaloidConvertDigit digits(*song);
  CVocaloidConvertDictionary kanji(*song, 0, folder.Path());
  CVocaloidConvertLongVowel vowels(*song);
  CVocaloidConvertEnglish english(*song, folder.Path());
  const MidiTrackData& lyrics = *song->LyricTrack();
  EXPECT_EQ(LyricEvent::Text(lyrics.Event(0)), "\x82");
  EXPECT_EQ(LyricEvent::Text(lyrics.Event(1)), Sj("いち"));
  EXPECT_EQ(LyricEvent::Text(lyrics.Event(2)), Sj("いち") + "\x82");
  EXPECT_EQ(LyricEvent::Text(lyrics.Event(3)), Sj("い"));
  EXPECT_TRUE(host.Messages().empty());

  XfFileBuilder noLyrics;
  noLyrics.Note(0, 0, 60, 100, 480).WithoutChunk("XFKM");
  XfKaraokeData bare(noLyrics.WriteTo(folder.File("bare.mid")));
  ASSERT_EQ(bare.LyricTrack(), nullptr);
  CVocaloidConvertDictionary k2(bare, 0, folder.Path());
  CVocaloidConvertLongVowel v2(bare);
  CVocaloidConvertPhonetic p2(bare);
}

}  // namespace
}  // namespace crx
