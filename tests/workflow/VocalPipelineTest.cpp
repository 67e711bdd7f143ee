#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "karaoke/XfKaraokeData.h"
#include "platform/UiServices.h"
#include "support/karaoke/XfFileBuilder.h"
#include "support/platform/ScriptedHost.h"
#include "support/platform/TempFolder.h"
#include "workflow/VocalPipeline.h"

namespace crx {
namespace {

using test::TempFolder;
using test::XfFileBuilder;

struct LoadTest : ::testing::Test {
  // Loads the song with a chooser that records the range it was shown and
  // moves it by the given semitones.
  bool Load(const XfFileBuilder& song, int move, bool accept = true) {
    const std::string path = song.WriteTo(folder.File("song.mid"));
    return VocalPipeline::LoadKaraokeMidi(
        path, 0,
        [&](MelodyRange& r) {
          shown = r;
          r.lowest += move;
          r.highest += move;
          return accept;
        },
        loaded, firstTempo, transpose);
  }
  std::vector<int> MelodyNotes() const {
    std::vector<int> notes;
    for (const MidiEvent& e : loaded->MainTrack().Events())
      if (e.kind == MidiKind::Note) notes.push_back(e.channel * 1000 + e.note);
    return notes;
  }
  ScriptedHost host;
  ScopedUi scope{host};
  TempFolder folder;
  std::unique_ptr<XfKaraokeData> loaded;
  MelodyRange shown;
  int firstTempo = 123;
  int transpose = 99;
};

TEST_F(LoadTest, TheMelodyMovesByTheChosenOctavesOthersStay) {
  XfFileBuilder song;
  song.Tempo(0, 600000).Tempo(960, 400000);
  song.Note(0, 0, 45, 100, 470).Note(480, 0, 70, 100, 470).Note(0, 1, 40, 100, 470);
  song.LyricsUtf8(0, 480, {"あ", "い"});
  ASSERT_TRUE(Load(song, 12));
  EXPECT_EQ(shown.lowest, 45);
  EXPECT_EQ(shown.highest, 70);
  EXPECT_EQ(transpose, 12);
  EXPECT_EQ(firstTempo, 600000);
  std::vector<int> notes = MelodyNotes();
  std::sort(notes.begin(), notes.end());
  EXPECT_EQ(notes, (std::vector<int>{57, 82, 1040}));
  EXPECT_TRUE(host.Messages().empty());
}

TEST_F(LoadTest, WithoutTempoTheFirstTempoIsKeptAndARefusalEndsTheLoad) {
  XfFileBuilder song;
  song.Note(0, 0, 60, 100, 470).LyricsUtf8(0, 480, {"あ"});
  EXPECT_FALSE(Load(song, 24, false));
  EXPECT_EQ(firstTempo, 123);
  EXPECT_EQ(transpose, 99);
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(MelodyNotes(), std::vector<int>{60});
}

TEST_F(LoadTest, AFileWithoutLyricTrackLeavesNoSong) {
  XfFileBuilder song;
  song.Tempo(0, 500000).Note(0, 0, 60, 100, 470).WithoutChunk("XFKM");
  EXPECT_FALSE(Load(song, 0));
  EXPECT_EQ(loaded, nullptr);
  EXPECT_EQ(firstTempo, 123);
}

TEST(OctaveShift, PressesThenTheRangeCheck) {
  ScriptedHost host;
  ScopedUi scope(host);
  MelodyRange low{10, 30};
  EXPECT_FALSE(VocalPipeline::OctaveShift(0)(low));
  EXPECT_EQ(host.Messages(), std::vector<std::string>{"音域が異常です。"});
  host.Clear();
  MelodyRange up{10, 30};
  EXPECT_TRUE(VocalPipeline::OctaveShift(1)(up));
  EXPECT_EQ(up.lowest, 22);
  EXPECT_EQ(up.highest, 42);
  MelodyRange high{98, 110};
  EXPECT_FALSE(VocalPipeline::OctaveShift(1)(high));
  EXPECT_EQ(high.highest, 122);
  MelodyRange edge{12, 115};
  EXPECT_TRUE(VocalPipeline::OctaveShift(0)(edge));
  EXPECT_EQ(host.Messages(), std::vector<std::string>{"音域が異常です。"});
}

}  // namespace
}  // namespace crx
