#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/ConvertCommand.h"
#include "foundation/FileHelpers.h"
#include "platform/TextCodec.h"
#include "platform/UiServices.h"
#include "support/karaoke/XfFileBuilder.h"
#include "support/platform/ScriptedHost.h"
#include "support/platform/TempFolder.h"
#include "support/vocal/PeerReaders.h"

namespace crx {
namespace {

using test::ReadFileBytes;
using test::TempFolder;
using test::XfFileBuilder;
using Lines = std::vector<std::string>;

const std::string kExamples = CRX_SOURCE_DIR "/examples/";
// The vocal MIDI of the short example song, checked by hand once: the event
// list, the lengths and notes of every syllable, each note block's symbol
// and control count. Made with
//   Cantorix convert -o tests/data/candy-count-vocal.mid examples/candy-count.mid
const std::string kShortSongVocal = CRX_SOURCE_DIR "/tests/data/candy-count-vocal.mid";

// The sequence text carried by a vocal MIDI, as mido reads it, in lines.
Lines SequenceText(const std::string& path) {
  std::string hex;
  for (const std::string& l : test::MidoSummary(path))
    if (l.rfind("text ", 0) == 0) hex += l.substr(l.rfind(' ') + 1 + 16);  // after "DM:nnnn:"
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  Lines lines;
  size_t start = 0;
  for (size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(TextCodec::Cp932ToUtf8Lossy(bytes.substr(start, end - start)));
  return lines;
}

struct ConvertTest : ::testing::Test {
  // Runs the command; the review lines it prints are kept in review.
  int Convert(const Lines& args) {
    std::FILE* out = std::tmpfile();
    const int status = RunConvertCommand(args, out);
    std::rewind(out);
    review.clear();
    char line[1024];
    while (std::fgets(line, sizeof line, out) != nullptr) {
      std::string l(line);
      if (!l.empty() && l.back() == '\n') l.pop_back();
      review.push_back(l);
    }
    std::fclose(out);
    return status;
  }
  // A copy of an example song in the temporary folder.
  std::string Example(const std::string& name) {
    const std::string source = kExamples + name;
    if (!FileExists(source)) return {};
    const std::string copy = folder.File(name);
    test::WriteFileBytes(copy, ReadFileBytes(source));
    return copy;
  }
  ScriptedHost host;
  ScopedUi scope{host};
  TempFolder folder;
  Lines review;
};

TEST_F(ConvertTest, ShortExampleSongGivesTheCheckedVocalMidiByteForByte) {
  const std::string karaoke = Example("candy-count.mid");
  if (karaoke.empty()) GTEST_SKIP() << "examples/candy-count.mid is missing";
  ASSERT_EQ(Convert({karaoke}), 0);
  EXPECT_EQ(review, (Lines{"いちにさんでじゃんぷ", "きゃんでぃいひとつ", "らららぶそんぐ",
                           "ちょこれえとね"}));
  const std::string vocal = folder.File("out.mid");
  EXPECT_EQ(ReadFileBytes(vocal), ReadFileBytes(kShortSongVocal));
  EXPECT_TRUE(host.Messages().empty());

  if (test::HaveVsqReader()) {
    test::VsqView view = test::ReadWithVsqReader(vocal);
    EXPECT_EQ(view.status, 0);
    EXPECT_TRUE(view.faults.empty() || (view.faults.size() == 1 && view.faults[0].empty()));
    ASSERT_GE(view.lines.size(), 6u);
    EXPECT_EQ(view.lines[3], "singer 0 不明 0");
    EXPECT_EQ(view.lines[4], "note 9600 234 60 い|i");
    EXPECT_EQ(view.lines.back(), "note 23040 1909 60 ね|n e");
  }
}

TEST_F(ConvertTest, FurusatoTextLineByLine) {
  const std::string karaoke = Example("furusato.mid");
  if (karaoke.empty()) GTEST_SKIP() << "examples/furusato.mid is missing";
  if (!test::HaveMido()) GTEST_SKIP() << "python3-mido is not installed";
  const std::string vocal = folder.File("furusato-vocal.mid");
  ASSERT_EQ(Convert({"-o", vocal, karaoke}), 0);
  // The particle of 夢は is sung as it sounds.
  EXPECT_EQ(review, (Lines{"うさぎおいしかのやま", "こぶなつりしかのかわ", "ゆめわいまもめぐりて",
                           "わすれがたきふるさと"}));
  Lines text = SequenceText(vocal);
  ASSERT_GE(text.size(), 18u + 50u);
  EXPECT_EQ(Lines(text.begin(), text.begin() + 3),
            (Lines{"[Common]", "Version=DSB301", "Name=Voice1"}));

  // The event list: one bar of count-in (1440 ticks in 3/4) and the four
  // pre-measures put the first syllable at 9120.
  const Lines events = {
      "9120=ID#0001",  "9600=ID#0002",  "10080=ID#0003", "10560=ID#0004", "11280=ID#0005",
      "11520=ID#0006", "12000=ID#0007", "12480=ID#0008", "12960=ID#0009", "13440=ID#0010",
      "14880=ID#0011", "15360=ID#0012", "15840=ID#0013", "16320=ID#0014", "17040=ID#0015",
      "17280=ID#0016", "17760=ID#0017", "18240=ID#0018", "18720=ID#0019", "19200=ID#0020",
      "20640=ID#0021", "21120=ID#0022", "21600=ID#0023", "22080=ID#0024", "22800=ID#0025",
      "23040=ID#0026", "23520=ID#0027", "24000=ID#0028", "24480=ID#0029", "24960=ID#0030",
      "26400=ID#0031", "26880=ID#0032", "27360=ID#0033", "27840=ID#0034", "28560=ID#0035",
      "28800=ID#0036", "29280=ID#0037", "29760=ID#0038", "30240=ID#0039", "30720=ID#0040",
      "33600=EOS"};
  Lines listed(text.begin() + 20, text.begin() + 20 + events.size());
  EXPECT_EQ(text[18], "[EventList]");
  EXPECT_EQ(text[19], "0=ID#0000");
  EXPECT_EQ(listed, events);

  // Every syllable's lyric line, in order, the end record's last.
  const Lines kana = {"う", "さ", "ぎ", "お", "い", "し", "か", "の", "や", "ま", "こ",
                      "ぶ", "な", "つ", "り", "し", "か", "の", "か", "わ", "ゆ", "め",
                      "わ", "い", "ま", "も", "め", "ぐ", "り", "て", "わ", "す", "れ",
                      "が", "た", "き", "ふ", "る", "さ", "と", "あ"};
  Lines lyrics;
  for (const std::string& l : text)
    if (l.rfind("L0=\"", 0) == 0) lyrics.push_back(l.substr(4, l.find('"', 4) - 4));
  EXPECT_EQ(lyrics, kana);
  EXPECT_EQ(std::count_if(text.begin(), text.end(),
                          [](const std::string& l) { return l.starts_with("L0=\"わ\",\"w a\""); }),
            3);  // かわ, ゆめわ, わすれ
  // The first and the last note, with their lengths (note minus 11 ticks).
  const auto first = std::find(text.begin(), text.end(), "[ID#0001]");
  ASSERT_NE(first, text.end());
  EXPECT_EQ(Lines(first, first + 5), (Lines{"[ID#0001]", "Length=469", "Note#=65",
                                            "LyricHandle=h#0001", "VibratoHandle=h#0002"}));
  const auto last = std::find(text.begin(), text.end(), "[ID#0040]");
  ASSERT_NE(last, text.end());
  EXPECT_EQ(Lines(last, last + 3), (Lines{"[ID#0040]", "Length=1429", "Note#=65"}));
  EXPECT_EQ(std::count(text.begin(), text.end(), "IDS=不明"), 1);
  EXPECT_EQ(text.back(), "RateBPNum=0");
}

TEST_F(ConvertTest, ParticlesAsWrittenOnRequestAndUnreadLyricsNamedWithTheirTime) {
  XfFileBuilder song;
  song.Tempo(0, 500000).Tempo(960, 250000);
  for (uint32_t k = 0; k < 5; ++k) song.Note(480 * k, 0, 60, 100, 470);
  song.LyricsUtf8(0, 480, {"花", "は", "へ", "や", "♪"});
  const std::string karaoke = song.WriteTo(folder.File("song.mid"));
  const std::string vocal = folder.File("vocal.mid");

  ASSERT_EQ(Convert({"-o", vocal, karaoke}), 0);
  EXPECT_EQ(review, Lines{"はなわへや【♪】"});
  // 960 ticks at 120 bpm, then 960 at 240 bpm: 1.5 s.
  EXPECT_EQ(host.Messages(), Lines{"読みのない歌詞を「あ」で歌います: 「♪」0:01.5"});

  host.Clear();
  ASSERT_EQ(Convert({"--particles-as-written", "-o", vocal, karaoke}), 0);
  EXPECT_EQ(review, Lines{"はなはへや【♪】"});
}

TEST_F(ConvertTest, ARealStyleFileSingsItsNamedChannelAndItsSungParts) {
  // The melody on MIDI channel 2, named by the lyrics cue, with channel 1
  // playing under it; lyrics off their notes, display spaces, a label and
  // a chorus part.
  XfFileBuilder song;
  song.Tempo(0, 500000);
  for (uint32_t k = 0; k < 6; ++k) {
    song.Note(480 * k, 0, 48, 100, 470).Note(480 * k + 20, 1, 64 + static_cast<int>(k), 100, 400);
  }
  song.LyricMeta(0, 7, "$Lyrc:2:0:JP")
      .LyricMeta(0, 7, "&x")
      .LyricUtf8(0, "<>イントロ")
      .LyricMeta(400, 7, "&s")
      .LyricUtf8(480, "<さ")
      .LyricUtf8(1000, " ")
      .LyricUtf8(1000, "く")
      .LyricUtf8(1500, "ら/")
      .LyricMeta(1900, 7, "&c")
      .LyricUtf8(1940, ">>は")
      .LyricUtf8(2440, "な");
  const std::string karaoke = song.WriteTo(folder.File("song.mid"));
  const std::string vocal = folder.File("vocal.mid");
  ASSERT_EQ(Convert({"-o", vocal, karaoke}), 0);
  EXPECT_EQ(review, (Lines{"さくら", "はな"}));
  ASSERT_EQ(Convert({"--no-chorus", "-o", vocal, karaoke}), 0);
  EXPECT_EQ(review, (Lines{"さくら"}));
  // The channel given on the command line wins: channel 1 sings at its own
  // ticks, which the lyrics do not meet.
  ASSERT_EQ(Convert({"--melody-channel", "1", "-o", vocal, karaoke}), 0);
  EXPECT_EQ(Convert({"--melody-channel", "17", "-o", vocal, karaoke}), 1);
  EXPECT_EQ(Convert({"--melody-channel", "x", "-o", vocal, karaoke}), 1);
}

TEST_F(ConvertTest, OctavesMoveTheMelodyWithinTheSingableRange) {
  XfFileBuilder song;
  song.Tempo(0, 500000).Note(0, 0, 60, 100, 470).Note(480, 0, 72, 100, 470);
  song.LyricsUtf8(0, 480, {"ら", "ら"});
  const std::string karaoke = song.WriteTo(folder.File("song.mid"));
  const std::string vocal = folder.File("vocal.mid");

  ASSERT_EQ(Convert({"--octave", "-1", "-o", vocal, karaoke}), 0);
  if (test::HaveMido()) {
    Lines text = SequenceText(vocal);
    EXPECT_NE(std::find(text.begin(), text.end(), "Note#=48"), text.end());
    EXPECT_NE(std::find(text.begin(), text.end(), "Note#=60"), text.end());
  }
  EXPECT_TRUE(host.Messages().empty());

  // 60 to 72 four octaves up reaches 120: refused, and nothing is written.
  RemoveFile(vocal);
  EXPECT_EQ(Convert({"--octave", "4", "-o", vocal, karaoke}), 1);
  EXPECT_EQ(host.Messages(), Lines{"音域が異常です。"});
  EXPECT_FALSE(FileExists(vocal));
  host.Clear();
  EXPECT_EQ(Convert({"--octave", "-5", "-o", vocal, karaoke}), 1);
  EXPECT_EQ(host.Messages(), Lines{"音域が異常です。"});
}

TEST_F(ConvertTest, BadInputEndsWithStatusOneAndAMessage) {
  const std::string vocal = folder.File("vocal.mid");
  // No lyric track.
  XfFileBuilder noLyrics;
  noLyrics.Tempo(0, 500000).Note(0, 0, 60, 100, 470);
  noLyrics.WithoutChunk("XFKM");
  EXPECT_EQ(Convert({"-o", vocal, noLyrics.WriteTo(folder.File("a.mid"))}), 1);
  EXPECT_FALSE(host.Messages().empty());
  EXPECT_FALSE(FileExists(vocal));

  // Lyrics but no melody note on channel 1.
  host.Clear();
  XfFileBuilder noMelody;
  noMelody.Tempo(0, 500000).Note(0, 1, 60, 100, 470).LyricsUtf8(0, 480, {"ら"});
  EXPECT_EQ(Convert({"-o", vocal, noMelody.WriteTo(folder.File("b.mid"))}), 1);
  EXPECT_EQ(host.Messages(), Lines{"メロディの音符に割り当てられる歌詞がありません。"});
  EXPECT_FALSE(FileExists(vocal));

  // An output folder that does not exist.
  host.Clear();
  XfFileBuilder good;
  good.Tempo(0, 500000).Note(0, 0, 60, 100, 470).LyricsUtf8(0, 480, {"ら"});
  const std::string karaoke = good.WriteTo(folder.File("c.mid"));
  const std::string nowhere = folder.File("missing/vocal.mid");
  EXPECT_EQ(Convert({"-o", nowhere, karaoke}), 1);
  ASSERT_FALSE(host.Messages().empty());
  EXPECT_EQ(host.Messages().back().rfind("GENE01000007 ", 0), 0u);

  // The vocal MIDI may not take the karaoke file's name, in any folder.
  host.Clear();
  EXPECT_EQ(Convert({"-o", folder.File("missing/c.mid"), karaoke}), 1);
  EXPECT_EQ(host.Messages(), Lines{"元のmidiファイルと同じ名前は指定できません。"});

  // A missing karaoke file and wrong arguments.
  host.Clear();
  EXPECT_EQ(Convert({folder.File("none.mid")}), 1);
  EXPECT_FALSE(host.Messages().empty());
  EXPECT_EQ(Convert({}), 1);
  EXPECT_EQ(Convert({"--octave", "x", karaoke}), 1);
  EXPECT_EQ(Convert({"--octave", "11", karaoke}), 1);
  EXPECT_EQ(Convert({"-o"}), 1);
  EXPECT_EQ(Convert({"--loud", karaoke}), 1);
  EXPECT_EQ(Convert({karaoke, karaoke}), 1);
  EXPECT_EQ(Convert({"-o", std::string(300, 'v') + ".mid", karaoke}), 1);

  // The good song is written, to out.mid beside it by default.
  host.Clear();
  EXPECT_EQ(Convert({karaoke}), 0);
  EXPECT_TRUE(FileExists(folder.File("out.mid")));
  EXPECT_TRUE(host.Messages().empty());
}

TEST_F(ConvertTest, ASongBeyondTheConversionLimitsIsNotWritten) {
  XfFileBuilder song;
  song.Tempo(0, 500000);
  std::vector<std::string> lyrics;
  for (int i = 0; i < 2100; ++i) {
    song.Note(static_cast<uint32_t>(i) * 120, 0, 60 + i % 12, 100, 110);
    lyrics.push_back("ら");
  }
  song.LyricsUtf8(0, 120, lyrics);
  const std::string vocal = folder.File("vocal.mid");
  EXPECT_EQ(Convert({"-o", vocal, song.WriteTo(folder.File("long.mid"))}), 1);
  EXPECT_FALSE(FileExists(vocal));
  const Lines messages = host.Messages();
  ASSERT_FALSE(messages.empty());
  EXPECT_NE(messages.front().find("2048"), std::string::npos) << messages.front();
}

}  // namespace
}  // namespace crx
