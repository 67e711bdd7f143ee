#include "karaoke/XfSongInformation.h"

#include <gtest/gtest.h>

#include "karaoke/XfKaraokeData.h"
#include "platform/TextCodec.h"
#include "support/karaoke/XfFileBuilder.h"
#include "support/platform/TempFolder.h"

namespace crx {
namespace {

TEST(XfSongInformation, TheLanguageLineNamesTheSongAndTheHeaderFillsGaps) {
  XfSongInformation info;
  info.Merge("$XFln:JP:Furusato::Takano:::");
  info.Merge("XFhd:1914:JP:Shoka::::Okano:Someone else:::");
  EXPECT_EQ(info.title, "Furusato");
  EXPECT_EQ(info.composer, "Okano");
  EXPECT_EQ(info.lyricist, "Takano");
  info.Merge("$XFxx:not:ours");
  info.Merge("XFln");  // cut short: nothing
  EXPECT_EQ(info.title, "Furusato");
}

TEST(XfSongInformation, ReadFromTheInformationHeaderOfAKaraokeFile) {
  test::TempFolder folder;
  const std::string title = TextCodec::Utf8ToCp932("ふるさと").value();
  test::XfFileBuilder builder;
  builder.XfihText("$XFln:JP:" + title + ":Okano:Takano");
  builder.Tempo(0, 500000).Note(0, 0, 60, 100, 480).LyricsUtf8(0, 480, {"う"});
  XfKaraokeData song(builder.WriteTo(folder.File("song.mid")));
  const XfSongInformation info = XfSongInformation::From(song);
  EXPECT_EQ(info.title, title);
  EXPECT_EQ(info.composer, "Okano");
  EXPECT_EQ(info.lyricist, "Takano");
}

}  // namespace
}  // namespace crx
