#include <gtest/gtest.h>

#include <string>

#include "foundation/Diagnostics.h"
#include "support/karaoke/SongInfoFileBuilder.h"
#include "support/platform/TempFolder.h"
#include "video/TitleCard.h"
#include "video/VideoMessages.h"
#include "video/VideoText.h"

namespace crx {
namespace {

struct TitleCardTest : ::testing::Test {
  test::TempFolder tmp;
  DiagnosticCollector shown;

  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const Diagnostic& d : shown.Items()) texts.push_back(d.text);
    return texts;
  }
};

TEST_F(TitleCardTest, AReadFileGivesItsTextsWithoutAMessage) {
  const std::string path = tmp.File("song.lrd");
  test::SongInfoFileBuilder()
      .MarkerGrid(4)
      .Header(3, 4, 1, 0)
      .BlockText(256, "Furusato")
      .WriteTo(path);
  const TitleCard::Reading reading = TitleCard::ReadSongInfo(path);
  EXPECT_EQ(reading.source, TitleCard::Source::Read);
  EXPECT_EQ(reading.card.title, "Furusato");
  EXPECT_TRUE(shown.Empty());
}

TEST_F(TitleCardTest, NoPathOrAMissingFileGiveAnEmptyCard) {
  EXPECT_EQ(TitleCard::ReadSongInfo("").source, TitleCard::Source::None);
  EXPECT_TRUE(shown.Empty());
  const std::string missing = tmp.File("none.lrd");
  const TitleCard::Reading reading = TitleCard::ReadSongInfo(missing);
  EXPECT_EQ(reading.source, TitleCard::Source::Missing);
  EXPECT_TRUE(reading.card.Empty());
  EXPECT_EQ(Texts(),
            std::vector<std::string>{VideoText::WithArgument(kMsgSongInfoMissing, missing)});
}

// A file the reader refuses (here a time signature of 0 or 99 beats, which
// it replaces by its defaults) is broken: one message of ours instead of the
// reader's, no texts, and the process's host is never touched.
TEST_F(TitleCardTest, ADamagedFileIsBrokenWithOneMessageInsteadOfTheReaders) {
  for (int16_t beats : {0, 99}) {
    SCOPED_TRACE(beats);
    shown.Take();
    const std::string path = tmp.File("broken.lrd");
    test::SongInfoFileBuilder().Header(3, beats, 1, 0).BlockText(256, "Lost").WriteTo(path);
    const TitleCard::Reading reading = TitleCard::ReadSongInfo(path);
    EXPECT_EQ(reading.source, TitleCard::Source::Broken);
    EXPECT_TRUE(reading.card.Empty());
    EXPECT_EQ(Texts(), std::vector<std::string>{VideoText::WithArgument(kMsgSongInfoBroken, path)});
  }
  shown.Take();
  const std::string odd = tmp.File("odd.lrd");
  test::WriteFileBytes(odd, "too short");
  EXPECT_EQ(TitleCard::ReadSongInfo(odd).source, TitleCard::Source::Broken);
  EXPECT_EQ(Texts(), std::vector<std::string>{VideoText::WithArgument(kMsgSongInfoBroken, odd)});
}

}  // namespace
}  // namespace crx
