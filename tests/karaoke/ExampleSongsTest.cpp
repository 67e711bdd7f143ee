// The example songs in examples/: real karaoke files for the main job, read
// by the karaoke reader and by midicsv, and made again by their tool.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "karaoke/XfKaraokeData.h"
#include "support/karaoke/XfFileBuilder.h"
#include "support/midi/MidiTestBytes.h"
#include "support/platform/ScriptedHost.h"
#include "support/platform/TempFolder.h"

namespace crx {
namespace {

const std::string kExamples = std::string(CRX_SOURCE_DIR) + "/examples/";

struct Song {
  const char* file;
  size_t melodyNotes;
  int timeSignature;  // numerator * 256 + denominator
  int tempo;
  std::vector<std::string> someLyrics;  // UTF-8
};

const std::vector<Song>& Songs() {
  static const std::vector<Song> songs = {
      {"furusato.mid",
       40,
       3 * 256 + 4,
       681818,
       {"兎[うさぎ]", "追[お]", "彼の山", "小[こ]鮒[ぶな]", "故郷", "/"}},
      {"candy-count.mid",
       25,
       4 * 256 + 4,
       500000,
       {"1", "ジャ", "ディ", "ー", "ら ら", "love", "レー"}},
  };
  return songs;
}

class ExampleSongsTest : public ::testing::Test {
 protected:
  ScriptedHost host;
  ScopedUi scope{host};
  test::TempFolder tmp;
};

TEST_F(ExampleSongsTest, AreReadWithoutAMessage) {
  for (const Song& s : Songs()) {
    SCOPED_TRACE(s.file);
    XfKaraokeData song(kExamples + s.file);
    EXPECT_EQ(host.Messages(), std::vector<std::string>{});
    EXPECT_EQ(song.Read(), 1);
    EXPECT_EQ(song.Division(), 480);
    ASSERT_NE(song.LyricTrack(), nullptr);
    size_t melody = 0;
    int timeSignature = 0;
    for (const MidiEvent& ev : song.MainTrack().Events()) {
      if (ev.kind == MidiKind::Note && ev.channel == 0) ++melody;
      if (ev.IsMeta(kMetaTimeSignature)) timeSignature = ev.value;
    }
    EXPECT_EQ(melody, s.melodyNotes);
    EXPECT_EQ(timeSignature, s.timeSignature);
    int tempo = 0;
    EXPECT_EQ(song.MainTrack().FirstTempo(tempo), 1);
    EXPECT_EQ(tempo, s.tempo);
    EXPECT_EQ(song.MainTrack().CheckResetVolume(), 1);  // reset, then master volume
    std::vector<std::string> texts;
    for (const MidiEvent& ev : song.LyricTrack()->Events()) {
      if (ev.IsMeta(kMetaLyric)) texts.push_back(ev.Text());
    }
    for (const std::string& lyric : s.someLyrics) {
      EXPECT_NE(std::find(texts.begin(), texts.end(), test::XfFileBuilder::Cp932(lyric)),
                texts.end())
          << lyric;
    }
    EXPECT_EQ(song.IsSingleByteLyrics(), 0);
    // Written back, the song reads the same.
    std::string out = tmp.File(s.file);
    ASSERT_TRUE(song.Write(out));
    XfKaraokeData back(out);
    EXPECT_EQ(test::Describe(back.MainTrack()), test::Describe(song.MainTrack()));
    EXPECT_EQ(host.Messages(), std::vector<std::string>{});
  }
}

TEST_F(ExampleSongsTest, AreReadByMidicsv) {
  if (!test::HaveMidiCsv()) GTEST_SKIP() << "midicsv is not installed";
  for (const Song& s : Songs()) {
    SCOPED_TRACE(s.file);
    std::vector<std::string> csv = test::MidiCsv(kExamples + s.file);
    ASSERT_FALSE(csv.empty());
    EXPECT_EQ(csv.front(), "0, 0, Header, 0, 1, 480");
    size_t melodyOn = 0;
    for (const std::string& line : csv) {
      if (line.find("Note_on_c, 0,") != std::string::npos) ++melodyOn;
    }
    EXPECT_EQ(melodyOn, s.melodyNotes);
    EXPECT_EQ(csv.back(), "0, 0, End_of_file");
  }
}

TEST_F(ExampleSongsTest, TheirToolMakesThemAgain) {
  if (std::system("test -x /usr/bin/python3") != 0) GTEST_SKIP() << "no python3";
  std::string command = "/usr/bin/python3 '" + std::string(CRX_SOURCE_DIR) +
                        "/tools/make-example-songs.py' '" + tmp.Path() + "' > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  for (const Song& s : Songs()) {
    SCOPED_TRACE(s.file);
    EXPECT_EQ(test::ReadFileBytes(tmp.File(s.file)), test::ReadFileBytes(kExamples + s.file));
  }
}

}  // namespace
}  // namespace crx
