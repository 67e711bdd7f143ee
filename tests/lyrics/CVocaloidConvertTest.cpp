#include "lyrics/CVocaloidConvert.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "karaoke/XfKaraokeData.h"
#include "lyrics/CKanjiToKana.h"
#include "lyrics/CVocaloid.h"
#include "lyrics/CVocaloidConvertInternalData.h"
#include "midi/MidiTrackData.h"
#include "platform/ReadingService.h"
#include "platform/TextCodec.h"
#include "support/karaoke/XfFileBuilder.h"
#include "support/platform/ScriptedHost.h"
#include "support/platform/TempFolder.h"

namespace crx {
namespace {

using test::XfFileBuilder;

std::string Sjis(std::string_view utf8) { return XfFileBuilder::Cp932(utf8); }
std::string Utf8(std::string_view cp932) { return TextCodec::Cp932ToUtf8Lossy(cp932); }

// A reading service that knows a few words and leaves everything else.
class FakeReadings : public ReadingService {
 public:
  explicit FakeReadings(std::map<std::string, std::string> words) : words_(std::move(words)) {}
  std::optional<std::string> Reading(std::string_view utf8) override {
    auto it = words_.find(std::string(utf8));
    return it == words_.end() ? std::string(utf8) : it->second;
  }

 private:
  std::map<std::string, std::string> words_;
};

// Records as "start len note kana phonetic consonant" (UTF-8).
std::vector<std::string> Records(const CVocaloid& vocaloid) {
  std::vector<std::string> out;
  for (const VocalNote& n : vocaloid.Notes()) {
    out.push_back(std::to_string(n.startTick) + " " + std::to_string(n.length) + " " +
                  std::to_string(n.noteNumber) + " " + Utf8(n.lyric) + " " + n.phonetic + " " +
                  std::to_string(n.consonant));
  }
  return out;
}

using Lines = std::vector<std::string>;

class CVocaloidConvertTest : public ::testing::Test {
 protected:
  ScriptedHost host;
  ScopedUi scope{host};
  test::TempFolder tmp;
  std::map<std::string, std::string> readings;
  ScopedReadingService service{[this]() -> std::unique_ptr<ReadingService> {
    return std::make_unique<FakeReadings>(readings);
  }};
  CVocaloid vocaloid;
  std::vector<std::string> reviewLines;
  std::unique_ptr<XfKaraokeData> song;

  CVocaloidConvertTest() {
    test::WriteFileBytes(tmp.File("kanji.csv"), "");
    test::WriteFileBytes(tmp.File("english.csv"), "");
  }

  void Dictionary(const std::string& name,
                  const std::vector<std::pair<std::string, std::string>>& rows) {
    std::string bytes;
    for (const auto& [a, b] : rows) bytes += Sjis(a) + "," + Sjis(b) + "\r\n";
    test::WriteFileBytes(tmp.File(name), bytes);
  }

  void Convert(const XfFileBuilder& b, int channel = 0) {
    song = std::make_unique<XfKaraokeData>(b.WriteTo(tmp.File("song.mid")));
    host.Clear();
    CVocaloidConvert::Run(*song, vocaloid, channel, tmp.Path(), reviewLines);
  }
  Lines ReviewUtf8() const {
    Lines out;
    for (const std::string& l : reviewLines) out.push_back(Utf8(l));
    return out;
  }
};

// Notes of 480 ticks on channel 0 at 0, 480, ...; the end of the song lies at
// the last note's end.
XfFileBuilder Melody(int notes, int length = 480) {
  XfFileBuilder b;
  b.Tempo(0, 500000);
  for (int k = 0; k < notes; ++k)
    b.Note(static_cast<uint32_t>(480 * k), 0, 60 + k, 100, static_cast<uint32_t>(length));
  return b;
}

TEST_F(CVocaloidConvertTest, EveryNoteSingsItsKanaAndTheSongEndsWithTheEndRecord) {
  XfFileBuilder b = Melody(3);
  b.LyricUtf8(0, "さ").LyricUtf8(480, "く").LyricUtf8(960, "ら");
  Convert(b);
  EXPECT_EQ(Records(vocaloid), (Lines{"0 479 60 さ s a 64", "480 479 61 く k M 64",
                                      "960 479 62 ら 4 a 64", "1440 10 -1 あ a 64"}));
  EXPECT_EQ(ReviewUtf8(), (Lines{"さくら"}));
  EXPECT_TRUE(host.Messages().empty());
  EXPECT_EQ(vocaloid.MelodyChannel(), 0);
  EXPECT_EQ(vocaloid.PauseLength(), 5);
}

TEST_F(CVocaloidConvertTest, NoteUnderALineBreakAloneIsNotSungAndClosesTheLine) {
  XfFileBuilder b = Melody(3);
  b.LyricUtf8(0, "あ").LyricUtf8(480, "/").LyricUtf8(960, "い");
  Convert(b);
  EXPECT_EQ(Records(vocaloid),
            (Lines{"0 479 60 あ a 0", "960 479 62 い i 0", "1440 10 -1 あ a 64"}));
  EXPECT_EQ(ReviewUtf8(), (Lines{"あ", "い"}));
}

TEST_F(CVocaloidConvertTest, LineBreakMarkInsideALyricIsNotSung) {
  XfFileBuilder b = Melody(3);
  b.LyricUtf8(0, "ほ/").LyricUtf8(480, "/し").LyricUtf8(960, "ぞら");
  Convert(b);
  EXPECT_EQ(Records(vocaloid),
            (Lines{"0 479 60 ほ h o 64", "480 479 61 し S i 64", "960 239 62 ぞ dz o 64",
                   "1200 239 62 ら 4 a 64", "1440 10 -1 あ a 64"}));
  EXPECT_EQ(ReviewUtf8(), (Lines{"ほ", "しぞら"}));
}

TEST_F(CVocaloidConvertTest, PageMarkInFrontOfAWordIsRemovedAndTheWordSung) {
  XfFileBuilder b = Melody(1);
  b.LyricUtf8(0, "<エンド");
  Convert(b);
  EXPECT_EQ(Records(vocaloid), (Lines{"0 159 60 え e 0", "160 159 60 ん N 64",
                                      "320 159 60 ど d o 64", "480 10 -1 あ a 64"}));
}

TEST_F(CVocaloidConvertTest, MarkersIntroAndEndingAreNotSung) {
  XfFileBuilder b = Melody(2);
  b.LyricUtf8(0, "イントロ").LyricUtf8(480, ">エンディング");
  Convert(b);
  EXPECT_EQ(Records(vocaloid), (Lines{"960 10 -1 あ a 64"}));
  EXPECT_EQ(host.Messages(), (Lines{kNothingToSingMessage}));
}

TEST_F(CVocaloidConvertTest, ThreeKanaOverThreeNotesGiveOneKanaEach) {
  XfFileBuilder b = Melody(3);
  b.LyricUtf8(0, "かもめ");
  Convert(b);
  EXPECT_EQ(Records(vocaloid), (Lines{"0 479 60 か k a 64", "480 479 61 も m o 64",
                                      "960 479 62 め m e 64", "1440 10 -1 あ a 64"}));
  EXPECT_EQ(ReviewUtf8(), (Lines{"かもめ"}));
}

TEST_F(CVocaloidConvertTest, ThreeKanaOverTwoNotesGiveTheSecondNoteTwoHalves) {
  XfFileBuilder b = Melody(2);
  b.LyricUtf8(0, "かもめ");
  Convert(b);
  EXPECT_EQ(Records(vocaloid), (Lines{"0 479 60 か k a 64", "480 239 61 も m o 64",
                                      "720 239 61 め m e 64", "960 10 -1 あ a 64"}));
}

TEST_F(CVocaloidConvertTest, SmallKanaSyllableTakesTheWholeNote) {
  XfFileBuilder b = Melody(1);
  b.LyricUtf8(0, "きゃ");
  Convert(b);
  EXPECT_EQ(Records(vocaloid), (Lines{"0 479 60 きゃ k' a 64", "480 10 -1 あ a 64"}));
}

TEST_F(CVocaloidConvertTest, KatakanaIsSungAsHiragana) {
  XfFileBuilder b = Melody(1);
  b.LyricUtf8(0, "ラ");
  Convert(b);
  EXPECT_EQ(Records(vocaloid), (Lines{"0 479 60 ら 4 a 64", "480 10 -1 あ a 64"}));
  EXPECT_EQ(ReviewUtf8(), (Lines{"ら"}));
}

TEST_F(CVocaloidConvertTest, SingleByteOnlySongSingsEachNotesWholeLyric) {
  readings = {{"la", "ら"}};  // never asked: no reading in such a song
  Dictionary("english.csv", {{"la", "ら"}, {"love", "らぶ"}});
  XfFileBuilder b = Melody(3);
  b.LyricUtf8(0, "la").LyricUtf8(480, "love").LyricUtf8(960, "－me");
  Convert(b);
  EXPECT_EQ(Records(vocaloid),
            (Lines{"0 479 60 la a 64", "480 479 61 love a 64", "960 239 62 － a 64",
                   "1200 239 62 me a 64", "1440 10 -1 あ a 64"}));
  EXPECT_EQ(ReviewUtf8(), (Lines{"lalove－me"}));
}

TEST_F(CVocaloidConvertTest, PassesRunInTheirOrder) {
  Dictionary("kanji.csv", {{"故郷", "ふるさと"}});
  Dictionary("english.csv", {{"love", "らぶ"}});
  // The reading service sees the long vowel already replaced.
  readings = {{"空あ", "そらあ"}};
  XfFileBuilder b = Melody(6);
  // Ruby, spaces and digits first; the dictionary reading is shared by the
  // notes after it; long vowels before the reading service.
  b.LyricUtf8(0, "故郷").LyricUtf8(1440, "Love ").LyricUtf8(1920, "空ー").LyricUtf8(2400, "2");
  Convert(b);
  EXPECT_EQ(Records(vocaloid),
            (Lines{"0 479 60 ふ p\\ M 64", "480 479 61 る 4 M 64", "960 239 62 さ s a 64",
                   "1200 239 62 と t o 64", "1440 239 63 ら 4 a 64", "1680 239 63 ぶ b M 64",
                   "1920 159 64 そ s o 64", "2080 159 64 ら 4 a 64", "2240 159 64 あ a 0",
                   "2400 479 65 に J i 64", "2880 10 -1 あ a 64"}));
  EXPECT_TRUE(host.Messages().empty());
}

TEST_F(CVocaloidConvertTest, RubyReadingIsSung) {
  XfFileBuilder b = Melody(2);
  b.LyricUtf8(0, "空[そ]").LyricUtf8(480, "[ら]");
  Convert(b);
  EXPECT_EQ(Records(vocaloid)[0], "0 479 60 そ s o 64");
}

TEST_F(CVocaloidConvertTest, OtherDivisionIsWarnedOfAndUsedUnscaled) {
  XfFileBuilder b = Melody(1, 96);
  b.Division(96).LyricUtf8(0, "ね");
  Convert(b);
  EXPECT_EQ(host.Messages(), (Lines{"分解能警告"}));
  EXPECT_EQ(Records(vocaloid), (Lines{"0 95 60 ね n e 64", "96 10 -1 あ a 64"}));
}

TEST_F(CVocaloidConvertTest, MelodyChannelIsTheOneChosen) {
  XfFileBuilder b;
  b.Note(0, 0, 50, 100, 480).Note(0, 3, 70, 100, 240).LyricUtf8(0, "み");
  Convert(b, 3);
  EXPECT_EQ(Records(vocaloid), (Lines{"0 239 70 み m' i 64", "480 10 -1 あ a 64"}));
  EXPECT_EQ(vocaloid.MelodyChannel(), 3);
}

TEST_F(CVocaloidConvertTest, RunningAgainReplacesThePreviousResult) {
  XfFileBuilder b = Melody(1);
  b.LyricUtf8(0, "ね");
  Convert(b);
  Convert(b);
  EXPECT_EQ(vocaloid.Count(), 2);
}

TEST_F(CVocaloidConvertTest, SongWithoutLyricTrackSingsNothing) {
  XfFileBuilder b = Melody(2);
  b.WithoutChunk("XFKM");
  Convert(b);
  EXPECT_EQ(Records(vocaloid), (Lines{"960 10 -1 あ a 64"}));
  EXPECT_EQ(host.Messages(), (Lines{kNothingToSingMessage}));
  EXPECT_TRUE(reviewLines.empty());
}

TEST_F(CVocaloidConvertTest, EmptyLyricTrackSingsNothing) {
  Convert(Melody(2));
  EXPECT_EQ(Records(vocaloid), (Lines{"960 10 -1 あ a 64"}));
  EXPECT_EQ(host.Messages(), (Lines{kNothingToSingMessage}));
}

TEST_F(CVocaloidConvertTest, SongWithoutMelodyNotesSingsNothing) {
  XfFileBuilder b;
  b.Note(0, 2, 60, 100, 480).LyricUtf8(0, "あ");
  Convert(b);
  EXPECT_EQ(Records(vocaloid), (Lines{"480 10 -1 あ a 64"}));
  EXPECT_EQ(host.Messages(), (Lines{kNothingToSingMessage}));
}

TEST_F(CVocaloidConvertTest, NotesAfterTheLastLyricAreNotSung) {
  XfFileBuilder b = Melody(3);
  b.LyricUtf8(0, "う");
  Convert(b);
  EXPECT_EQ(Records(vocaloid), (Lines{"0 479 60 う M 0", "1440 10 -1 あ a 64"}));
}

TEST_F(CVocaloidConvertTest, EmptiedLyricIsNotSung) {
  XfFileBuilder b = Melody(2);
  b.LyricUtf8(0, "　").LyricUtf8(480, "の");
  Convert(b);
  EXPECT_EQ(Records(vocaloid), (Lines{"480 479 61 の n o 64", "960 10 -1 あ a 64"}));
}

TEST_F(CVocaloidConvertTest, BrokenDoubleByteCharactersAreNotSung) {
  XfFileBuilder b = Melody(3);
  b.Lyric(0, Sjis("か") + "\x82").Lyric(480, "\x82").Lyric(960, "\x81");
  Convert(b);
  EXPECT_EQ(Records(vocaloid), (Lines{"0 479 60 か k a 64", "1440 10 -1 あ a 64"}));
}

TEST_F(CVocaloidConvertTest, LyricAtTickSkipsMarkersAndStripsLeadingMarks) {
  MidiTrackData lyrics;
  lyrics.SetForm(kFormEvents);
  auto add = [&](int delta, std::string_view utf8) {
    MidiEvent e;
    e.kind = MidiKind::Meta;
    e.subtype = kMetaLyric;
    e.delta = delta;
    e.SetData(Sjis(utf8));
    lyrics.Append(std::move(e));
  };
  MidiEvent cue;
  cue.kind = MidiKind::Meta;
  cue.subtype = kMetaCuePoint;
  cue.SetData(std::string_view("x"));
  add(10, "イントロ");
  lyrics.Append(cue);
  add(0, "/");
  add(0, ">は な");
  add(0, "ち");
  add(5, "<ゆ　め");
  lyrics.AppendEndOfTrack(0);

  NoteLyric at10 = CVocaloidConvert::LyricAtTick(lyrics, 10);
  EXPECT_EQ(Utf8(at10.text), "はな");
  EXPECT_EQ(at10.firstIndex, 0);
  EXPECT_TRUE(at10.lineBreak);
  NoteLyric at15 = CVocaloidConvert::LyricAtTick(lyrics, 15);
  EXPECT_EQ(Utf8(at15.text), "ゆめ");
  EXPECT_EQ(at15.firstIndex, 5);
  EXPECT_FALSE(at15.lineBreak);
  NoteLyric at0 = CVocaloidConvert::LyricAtTick(lyrics, 0);
  EXPECT_TRUE(at0.text.empty());
  EXPECT_EQ(at0.firstIndex, -1);
}

TEST_F(CVocaloidConvertTest, InsertionTakesTheLyricBeforeALineBreakAndKeepsWholeCharacters) {
  XfFileBuilder b = Melody(3);
  b.Lyric(0, "a" + Sjis("あい")).LyricUtf8(0, "/");
  song = std::make_unique<XfKaraokeData>(b.WriteTo(tmp.File("song.mid")));
  CVocaloidConvert::InsertNoteLyrics(song->MainTrack(), *song->LyricTrack(), 0);
  std::vector<std::pair<int64_t, std::string>> lyrics;
  std::vector<int64_t> times = song->LyricTrack()->AbsoluteTimes();
  for (int i = 0; i < song->LyricTrack()->Count(); ++i) {
    const MidiEvent& e = song->LyricTrack()->Event(i);
    if (e.IsMeta(kMetaLyric)) lyrics.emplace_back(times[static_cast<size_t>(i)], Utf8(e.Text()));
  }
  // "aあ" keeps two characters (never half of あ); い goes to the next note;
  // the third note finds nothing long enough to share.
  EXPECT_EQ(lyrics,
            (std::vector<std::pair<int64_t, std::string>>{{0, "aあ"}, {0, "/"}, {480, "い"}}));
}

// The caller learns from the result, not from the messages or the host,
// that notes were left unsung or kanji candidates were cut.
TEST_F(CVocaloidConvertTest, TheResultTellsOfLimitsAndCutCandidates) {
  XfFileBuilder small = Melody(3);
  small.LyricUtf8(0, "か").LyricUtf8(480, "き").LyricUtf8(960, "く");
  song = std::make_unique<XfKaraokeData>(small.WriteTo(tmp.File("small.mid")));
  ConvertResult result = CVocaloidConvert::Run(*song, vocaloid, 0, tmp.Path(), reviewLines);
  EXPECT_FALSE(result.limitHit);
  EXPECT_FALSE(result.candidatesCut);

  // More melody notes than are sung.
  XfFileBuilder many;
  many.Tempo(0, 500000);
  for (uint32_t k = 0; k < static_cast<uint32_t>(kMaxMelodyNotes) + 5; ++k) {
    many.Note(120 * k, 0, 60, 100, 120).LyricUtf8(120 * k, "か");
  }
  song = std::make_unique<XfKaraokeData>(many.WriteTo(tmp.File("many.mid")));
  host.Clear();
  result = CVocaloidConvert::Run(*song, vocaloid, 0, tmp.Path(), reviewLines);
  EXPECT_TRUE(result.limitHit);
  EXPECT_EQ(host.Messages(), Lines{kTooManyNotesMessage});

  // More written forms of one first character than are looked at: the
  // candidates are cut, and the host hears no beep from the core.
  std::vector<std::pair<std::string, std::string>> rows;
  for (size_t k = 0; k < CKanjiToKana::kMaxCandidates + 8; ++k) {
    rows.emplace_back("愛" + std::to_string(k), "あい");
  }
  rows.emplace_back("愛", "あい");
  Dictionary("kanji.csv", rows);
  XfFileBuilder word = Melody(2);
  word.LyricUtf8(0, "愛");
  song = std::make_unique<XfKaraokeData>(word.WriteTo(tmp.File("word.mid")));
  host.Clear();
  result = CVocaloidConvert::Run(*song, vocaloid, 0, tmp.Path(), reviewLines);
  EXPECT_TRUE(result.candidatesCut);
  EXPECT_FALSE(result.limitHit);
  EXPECT_EQ(host.Beeps(), 0);
}

}  // namespace
}  // namespace crx
