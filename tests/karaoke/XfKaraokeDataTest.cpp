#include "karaoke/XfKaraokeData.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/karaoke/XfFileBuilder.h"
#include "support/midi/MidiTestBytes.h"
#include "support/platform/ScriptedHost.h"
#include "support/platform/TempFolder.h"

namespace crx {
namespace {

using test::XfFileBuilder;

const std::string kNotKaraoke = "XFDT2F000001 カラオケ用MIDIファイルではありません。";
const std::string kInternal = "XFDT2F000002 カラオケ用MIDIファイルで内部エラーが発生しました。";
const std::string kNoMasterVolume =
    "XFDT2F000003 GM Restのあとにマスターボリュームがないため、無音になる可能性があります。";
const std::string kTrackPastEnd = "MDTK0D000001 Midiのトラックデータで内部エラーが発生しました。";

// A small song: reset and master volume, tempo, two channels, three lyrics.
XfFileBuilder SmallSong() {
  XfFileBuilder b;
  b.GmReset(0).MasterVolume(0, 127).Tempo(0, 500000).TimeSignature(0, 3, 2);
  b.Program(0, 0, 73).Program(0, 1, 0);
  b.Note(0, 0, 60, 100, 480).Note(480, 0, 62, 100, 480).Note(960, 0, 64, 90, 240);
  b.Note(0, 1, 48, 80, 1440);
  b.LyricUtf8(0, "う").LyricUtf8(480, "さ").LyricUtf8(960, "ぎ/");
  return b;
}

class XfKaraokeDataTest : public ::testing::Test {
 protected:
  ScriptedHost host;
  ScopedUi scope{host};
  test::TempFolder tmp;
  std::string path = tmp.File("song.mid");

  std::vector<std::string> LyricTexts(const XfKaraokeData& song) {
    std::vector<std::string> out;
    if (song.LyricTrack() == nullptr) return out;
    for (const MidiEvent& ev : song.LyricTrack()->Events()) {
      if (ev.IsMeta(kMetaLyric)) out.push_back(ev.Text());
    }
    return out;
  }
  static std::string Sjis(std::string_view utf8) { return XfFileBuilder::Cp932(utf8); }
};

TEST_F(XfKaraokeDataTest, ReadsTheMainTrackAsNotesAndTheLyricTrack) {
  SmallSong().Division(480).WriteTo(path);
  XfKaraokeData song(path);
  EXPECT_TRUE(host.Messages().empty());
  EXPECT_EQ(song.Division(), 480);
  EXPECT_EQ(song.MainTrack().Form(), kFormNotes);
  int notes = 0;
  for (const MidiEvent& ev : song.MainTrack().Events()) {
    if (ev.kind == MidiKind::Note) ++notes;
  }
  EXPECT_EQ(notes, 4);
  int lowest = 0;
  int highest = 0;
  song.MainTrack().NoteRange(0, lowest, highest);
  EXPECT_EQ(lowest, 60);
  EXPECT_EQ(highest, 64);
  int tempo = 0;
  EXPECT_EQ(song.MainTrack().FirstTempo(tempo), 1);
  EXPECT_EQ(tempo, 500000);
  ASSERT_NE(song.LyricTrack(), nullptr);
  EXPECT_EQ(song.LyricTrack()->Form(), kFormEvents);
  EXPECT_EQ(LyricTexts(song), (std::vector<std::string>{Sjis("う"), Sjis("さ"), Sjis("ぎ/")}));
  const std::string info = SmallSong().Chunk("XFIH");
  EXPECT_EQ(std::string(song.XfihChunk().begin(), song.XfihChunk().end()), info);
  ASSERT_NE(song.XfihTrack(), nullptr);
  EXPECT_EQ(song.XfihTrack()->Form(), kFormEvents);
}

TEST_F(XfKaraokeDataTest, AMacBinaryHeaderIsSkipped) {
  SmallSong().WriteTo(path);
  XfKaraokeData plain(path);
  std::string macPath = tmp.File("mac.mid");
  SmallSong().MacBinaryHeader().WriteTo(macPath);
  XfKaraokeData mac(macPath);
  EXPECT_TRUE(host.Messages().empty());
  EXPECT_EQ(test::Describe(mac.MainTrack()), test::Describe(plain.MainTrack()));
  EXPECT_EQ(LyricTexts(mac), LyricTexts(plain));
  EXPECT_EQ(mac.XfihChunk(), plain.XfihChunk());
}

TEST_F(XfKaraokeDataTest, ChunksMissingOrOutOfOrderAreRefused) {
  struct Case {
    const char* name;
    XfFileBuilder builder;
    int result;
    std::vector<std::string> messages;
    bool lyrics;
  };
  std::vector<Case> cases;
  cases.push_back({"format 1", SmallSong().Format(1), 0, {kNotKaraoke}, false});
  cases.push_back({"no XFIH", SmallSong().WithoutChunk("XFIH"), 0, {kNotKaraoke}, false});
  cases.push_back({"no XFKM", SmallSong().WithoutChunk("XFKM"), 1, {kNotKaraoke}, false});
  cases.push_back({"XFKM before XFIH",
                   SmallSong().ChunkOrder({"MTrk", "XFKM", "XFIH"}),
                   0,
                   {kNotKaraoke},
                   false});
  // Without "MTrk" the reader goes on at the same position.
  cases.push_back({"no MTrk", SmallSong().WithoutChunk("MTrk"), 1, {kNotKaraoke}, true});
  cases.push_back({"unknown chunk first",
                   SmallSong().ChunkOrder({"JUNK", "MTrk", "XFIH", "XFKM"}),
                   0,
                   {kNotKaraoke, kNotKaraoke},
                   false});
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    host.Clear();
    c.builder.WriteTo(path);
    XfKaraokeData song(path);
    EXPECT_EQ(host.Messages(), c.messages);
    EXPECT_EQ(song.Read(), c.result);
    EXPECT_EQ(song.LyricTrack() != nullptr, c.lyrics);
    song.StripRuby();  // with or without a lyric track
    EXPECT_EQ(song.IsSingleByteLyrics(), c.lyrics ? 0 : 1);
  }
}

TEST_F(XfKaraokeDataTest, WriteKeepsXfihAndWritesFullStatusBytes) {
  // Running status and note-offs as velocity 0 in the input.
  XfFileBuilder input = SmallSong();
  input.RunningStatus().NoteOffAsVelocityZero();
  input.XfihText("XFhd:2026:JP:Folk:::::").WriteTo(path);
  XfFileBuilder expected = SmallSong();
  expected.XfihText("XFhd:2026:JP:Folk:::::");

  std::string out = tmp.File("out.mid");
  XfKaraokeData song(path);
  ASSERT_TRUE(song.Write(out));
  EXPECT_TRUE(host.Messages().empty());
  EXPECT_EQ(test::ReadFileBytes(out), expected.Bytes());

  // The object is usable as before and writes the same bytes again.
  EXPECT_EQ(song.MainTrack().Form(), kFormNotes);
  EXPECT_EQ(song.LyricTrack()->Form(), kFormEvents);
  EXPECT_EQ(LyricTexts(song).size(), 3u);
  std::string again = tmp.File("again.mid");
  ASSERT_TRUE(song.Write(again));
  EXPECT_EQ(test::ReadFileBytes(again), expected.Bytes());

  if (!test::HaveMidiCsv()) GTEST_SKIP() << "midicsv is not installed";
  std::vector<std::string> csv = test::MidiCsv(out);
  ASSERT_FALSE(csv.empty());
  int noteOffs = 0;
  for (const std::string& line : csv) {
    if (line.find("Note_off_c") != std::string::npos) {
      ++noteOffs;
      EXPECT_NE(line.find(", 64"), std::string::npos) << line;
    }
  }
  EXPECT_EQ(noteOffs, 4);
}

TEST_F(XfKaraokeDataTest, EditsSurviveWriting) {
  SmallSong().WriteTo(path);
  XfKaraokeData song(path);
  EXPECT_TRUE(song.MainTrack().DeleteChannel(1));
  song.MainTrack().Transpose(0, 12);
  std::string out = tmp.File("out.mid");
  ASSERT_TRUE(song.Write(out));
  std::vector<std::string> before = test::Describe(song.MainTrack());
  XfKaraokeData back(out);
  EXPECT_EQ(test::Describe(back.MainTrack()), before);
  int lowest = 0;
  int highest = 0;
  back.MainTrack().NoteRange(0, lowest, highest);
  EXPECT_EQ(lowest, 72);
  back.MainTrack().NoteRange(1, lowest, highest);
  EXPECT_EQ(lowest, 127);  // channel 1 is gone
}

TEST_F(XfKaraokeDataTest, AResetWithoutMasterVolumeWarnsAndStillWrites) {
  XfFileBuilder b;
  b.GmReset(0).Tempo(0, 500000).Note(0, 0, 60, 100, 480).LyricUtf8(0, "あ");
  b.WriteTo(path);
  XfKaraokeData song(path);
  std::string out = tmp.File("out.mid");
  EXPECT_TRUE(song.Write(out));
  EXPECT_EQ(host.Messages(), (std::vector<std::string>{kNoMasterVolume}));
  EXPECT_EQ(test::ReadFileBytes(out), b.Bytes());

  host.Clear();
  XfFileBuilder fine;
  fine.GmReset(0).MasterVolume(0, 127).Note(10, 0, 60, 100, 480).LyricUtf8(10, "あ");
  fine.WriteTo(path);
  XfKaraokeData ok(path);
  EXPECT_TRUE(ok.Write(out));
  EXPECT_EQ(host.Messages(), std::vector<std::string>{});
}

// The caller chooses the paths; without one nothing is asked, read or saved.
TEST_F(XfKaraokeDataTest, WithoutAPathNothingIsAskedReadOrSaved) {
  XfKaraokeData none;
  EXPECT_EQ(none.ImageSize(), 0u);
  EXPECT_EQ(none.LyricTrack(), nullptr);

  SmallSong().WriteTo(path);
  XfKaraokeData song(path);
  ASSERT_EQ(LyricTexts(song).size(), 3u);
  EXPECT_FALSE(song.Write());
  EXPECT_EQ(LyricTexts(song).size(), 3u);  // still usable
  EXPECT_TRUE(host.Records().empty());
}

TEST_F(XfKaraokeDataTest, AFileThatCannotBeReadLeavesAnEmptyObject) {
  XfKaraokeData song(tmp.File("missing.mid"));
  EXPECT_EQ(song.ImageSize(), 0u);
  EXPECT_EQ(song.LyricTrack(), nullptr);
  EXPECT_TRUE(song.MainTrack().Empty());
  ASSERT_EQ(host.Messages().size(), 2u);  // the path, then the open failure
  EXPECT_EQ(host.Messages()[1].substr(0, 12), "GENE01000007");
  EXPECT_EQ(song.Read(), 0);

  host.Clear();
  test::WriteFileBytes(path, "");
  XfKaraokeData empty(path);
  EXPECT_TRUE(host.Messages().empty());
  EXPECT_EQ(empty.Read(), 0);
}

TEST_F(XfKaraokeDataTest, RubyReadingsReplaceTheirBaseCharacters) {
  EXPECT_EQ(XfKaraokeData::StripRubyText(Sjis("漢[かん]字[じ]")), Sjis("かんじ"));
  EXPECT_EQ(XfKaraokeData::StripRubyText("A[b]"), "b");
  EXPECT_EQ(XfKaraokeData::StripRubyText(Sjis("兎[うさぎ]追いし")), Sjis("うさぎ追いし"));
  // No base character before the bracket: only the bracket goes.
  EXPECT_EQ(XfKaraokeData::StripRubyText("[x]"), "x");
  // 0x5B as the second byte of ー is no bracket.
  EXPECT_EQ(XfKaraokeData::StripRubyText(Sjis("ラーメン")), Sjis("ラーメン"));
  // The byte before "a" is the second byte of ぁ (0x82 0x9F) and looks like a
  // lead byte: only "a" is replaced.
  EXPECT_EQ(XfKaraokeData::StripRubyText(Sjis("ぁa[b]")), Sjis("ぁb"));
  // A text ending inside a double-byte character keeps its last byte.
  EXPECT_EQ(XfKaraokeData::StripRubyText("a[b]\x82"), "b\x82");

  XfFileBuilder b;
  b.Note(0, 0, 60, 100, 480).Note(480, 0, 62, 100, 480);
  b.Lyric(0, Sjis("漢[かん]")).Lyric(480, Sjis("字[じ]/")).Lyric(960, "");
  b.WriteTo(path);
  XfKaraokeData song(path);
  song.StripRuby();
  std::vector<std::string> texts = LyricTexts(song);
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0], Sjis("かん"));
  EXPECT_EQ(texts[1], Sjis("じ/"));
  EXPECT_EQ(song.LyricTrack()->Event(0).DataLength(), 4);
  EXPECT_TRUE(host.Messages().empty());
}

TEST_F(XfKaraokeDataTest, SingleByteLyricsAreRecognised) {
  EXPECT_TRUE(XfKaraokeData::IsSingleByteText("Twinkle/little star"));
  EXPECT_TRUE(XfKaraokeData::IsSingleByteText(Sjis("one－two")));  // 0x81 0x7C
  EXPECT_FALSE(XfKaraokeData::IsSingleByteText(Sjis("あ")));
  EXPECT_FALSE(XfKaraokeData::IsSingleByteText("a\x81"));  // a lead byte at the end

  XfFileBuilder english;
  english.Note(0, 0, 60, 100, 480).Lyric(0, "Hel").Lyric(240, "lo/").Lyric(480, "");
  english.WriteTo(path);
  EXPECT_EQ(XfKaraokeData(path).IsSingleByteLyrics(), 1);

  XfFileBuilder kana;
  kana.Note(0, 0, 60, 100, 480).Lyric(0, "Hel").LyricUtf8(240, "ろ");
  kana.WriteTo(path);
  EXPECT_EQ(XfKaraokeData(path).IsSingleByteLyrics(), 0);
}

TEST_F(XfKaraokeDataTest, ChunkLengthsPastTheFileAreReported) {
  {
    SmallSong().LengthDelta("XFKM", 1000).WriteTo(path);
    XfKaraokeData song(path);
    EXPECT_EQ(host.Messages(), (std::vector<std::string>{kTrackPastEnd}));
    EXPECT_EQ(song.Read(), 1);
    ASSERT_NE(song.LyricTrack(), nullptr);
    EXPECT_TRUE(song.LyricTrack()->Empty());
  }
  for (const char* id : {"MTrk", "XFIH"}) {
    SCOPED_TRACE(id);
    host.Clear();
    SmallSong().LengthDelta(id, 1000).WriteTo(path);
    XfKaraokeData song(path);
    EXPECT_EQ(host.Messages(), (std::vector<std::string>{kTrackPastEnd, kNotKaraoke}));
    EXPECT_EQ(song.LyricTrack(), nullptr);
  }
}

TEST_F(XfKaraokeDataTest, AMainTrackWithoutEndOfTrackIsStillWritten) {
  SmallSong().WithoutEndOfTrack("MTrk").WithoutEndOfTrack("XFKM").WriteTo(path);
  XfKaraokeData song(path);
  std::string out = tmp.File("out.mid");
  EXPECT_TRUE(song.Write(out));
  EXPECT_TRUE(host.Messages().empty());
  EXPECT_EQ(test::ReadFileBytes(out), SmallSong().Bytes());
}

TEST_F(XfKaraokeDataTest, TruncatedAndOddFilesAreReadSafely) {
  XfFileBuilder b = SmallSong();
  b.Lyric(1440, "").Lyric(1500, "\x82");  // empty, and ending inside a character
  const std::string whole = b.Bytes();
  for (size_t cut = 1; cut < whole.size(); ++cut) {
    host.Clear();
    test::WriteFileBytes(path, whole.substr(0, whole.size() - cut));
    XfKaraokeData song(path);
    song.StripRuby();
    song.IsSingleByteLyrics();
  }
  host.Clear();
  b.WriteTo(path);
  XfKaraokeData song(path);
  EXPECT_TRUE(host.Messages().empty());
  song.StripRuby();
  EXPECT_EQ(song.IsSingleByteLyrics(), 0);
  std::vector<std::string> texts = LyricTexts(song);
  ASSERT_EQ(texts.size(), 5u);
  EXPECT_EQ(texts[3], std::string(1, '\0'));  // an empty text is one zero byte
  EXPECT_EQ(texts[4], "\x82");
}

TEST_F(XfKaraokeDataTest, TheMidiCorpusIsReadWithoutHarm) {
  namespace fs = std::filesystem;
  fs::path corpus = fs::path(CRX_SHARED_DIR) / "testdata" / "midi-corpus";
  if (!fs::exists(corpus)) GTEST_SKIP() << "no shared test data";
  int files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
    if (!entry.is_regular_file() || entry.path().extension() != ".mid") continue;
    SCOPED_TRACE(entry.path().string());
    ++files;
    XfKaraokeData song(entry.path().string());
    // None of them is a karaoke file: each is refused with a message (an
    // empty file is an empty object, without one).
    EXPECT_TRUE(!host.Messages().empty() || song.ImageSize() == 0);
    host.Clear();
  }
  EXPECT_GT(files, 50);
}

}  // namespace
}  // namespace crx
