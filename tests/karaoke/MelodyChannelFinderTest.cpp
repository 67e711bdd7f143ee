#include "karaoke/MelodyChannelFinder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "karaoke/KaraokeFileLoader.h"
#include "support/karaoke/MultiTrackFileBuilder.h"
#include "support/karaoke/XfFileBuilder.h"
#include "support/platform/ScriptedHost.h"

namespace crx {
namespace {

using test::MultiTrackFileBuilder;
using test::XfFileBuilder;

class MelodyChannelFinderTest : public ::testing::Test {
 protected:
  ScriptedHost host;
  ScopedUi scope{host};

  static std::unique_ptr<XfKaraokeData> Load(const std::string& bytes) {
    std::vector<uint8_t> data(bytes.begin(), bytes.end());
    return KaraokeFileLoader::LoadBytes(data);
  }
};

TEST_F(MelodyChannelFinderTest, TheLyrcCueNamesTheMelodyAmongOtherChannels) {
  // XF: the cue in "XFKM"; melody on MIDI channel 2 while channel 1 plays.
  XfFileBuilder xf;
  xf.Note(0, 0, 48, 90, 960).Note(0, 1, 60, 100, 480).Note(480, 1, 62, 100, 480);
  xf.LyricMeta(0, 0x07, "$Lyrc:2:0:JP").LyricUtf8(0, "あ").LyricUtf8(480, "い");
  auto song = Load(xf.Bytes());
  ASSERT_NE(song, nullptr);
  MelodyChannelFinder finder(*song);
  EXPECT_EQ(finder.Channel(), 1);
  EXPECT_EQ(finder.Source(), MelodySource::LyrcCue);
  EXPECT_EQ(finder.Reason(), "$Lyrc の指定");

  // The cue wins over a guide flag and over the lyrics' own track.
  MultiTrackFileBuilder b;
  b.Track().Tempo(0, 500000).GuideFlag(0, 4, 0).Cue(0, "$Lyrc:3:0:JP");
  b.Track().SungLyrics(0, 240, 5, 60, {"a", "b"});
  auto both = Load(b.Bytes());
  ASSERT_NE(both, nullptr);
  EXPECT_EQ(MelodyChannelFinder(*both).Channel(), 2);
  EXPECT_EQ(MelodyChannelFinder(*both).Source(), MelodySource::LyrcCue);
}

TEST_F(MelodyChannelFinderTest, CuesThatNameNoChannelFallBack) {
  struct Case {
    const char* cue;
    int guide;  // right-hand channel of a guide flag, -1 for none
    int channel;
    MelodySource source;
  };
  const std::vector<Case> cases = {
      {"$Lyrc:0:0:JP", -1, 0, MelodySource::Default},
      {"$Lyrc:17:0:JP", -1, 0, MelodySource::Default},
      {"$Lyrc:x:0:JP", -1, 0, MelodySource::Default},
      {"$Lyrc::0:JP", -1, 0, MelodySource::Default},
      {"$Lyrc:99999999999999999999:0:JP", -1, 0, MelodySource::Default},
      {"$Lyrc:0:0:JP", 3, 2, MelodySource::GuideTrack},
      {"$Lyrc:17:0:JP", 0, 0, MelodySource::Default},  // guide off
      {"$Lyrc:17:0:JP", 17, 0, MelodySource::Default},
      {"$Lyrc:16,1:0:JP", -1, 15, MelodySource::LyrcCue},
      {"$Lyrc: 7 :0:JP", -1, 6, MelodySource::LyrcCue},
      {"$Lyrc:5", -1, 4, MelodySource::LyrcCue},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.cue) + " guide " + std::to_string(c.guide));
    // Format 0: the lyrics' track gives no hint.
    MultiTrackFileBuilder b;
    b.Format(0).Track().Tempo(0, 500000).Cue(0, c.cue);
    if (c.guide >= 0) b.GuideFlag(0, c.guide, 0);
    b.SungLyrics(0, 240, 3, 60, {"a", "b"}).Note(0, 7, 40, 100, 480);
    auto song = Load(b.Bytes());
    ASSERT_NE(song, nullptr);
    MelodyChannelFinder finder(*song);
    EXPECT_EQ(finder.Channel(), c.channel);
    EXPECT_EQ(finder.Source(), c.source);
  }
  EXPECT_EQ(MelodyChannelFinder::ReasonFor(MelodySource::Default), "既定 (MIDIチャンネル1)");
  EXPECT_EQ(MelodyChannelFinder::ReasonFor(MelodySource::GuideTrack), "ガイドトラックの指定");
}

TEST_F(MelodyChannelFinderTest, TheFirstGuideFlagThatNamesAChannelCounts) {
  MultiTrackFileBuilder b;
  b.Format(0).Track().GuideFlag(0, 0, 0).GuideFlag(0, 9, 2).GuideFlag(480, 1, 0);
  b.Meta(0, 0x7F, std::string("\x43\x7B\x0C", 3));  // cut short: no channel
  b.SungLyrics(0, 240, 0, 60, {"a", "b", "c"});
  auto song = Load(b.Bytes());
  ASSERT_NE(song, nullptr);
  MelodyChannelFinder finder(*song);
  EXPECT_EQ(finder.Channel(), 8);
  EXPECT_EQ(finder.Source(), MelodySource::GuideTrack);

  MidiEvent other;
  other.kind = MidiKind::Meta;
  other.subtype = kMetaSequencerSpecific;
  other.SetData(std::string("\x43\x7B\x01\x05\x00", 5));  // a chord name, not a flag
  EXPECT_FALSE(MelodyChannelFinder::ChannelOfGuideFlag(other).has_value());
}

}  // namespace
}  // namespace crx
