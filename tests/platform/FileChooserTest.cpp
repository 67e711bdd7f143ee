#include <gtest/gtest.h>

#include "platform/FileChooser.h"
#include "platform/UiServices.h"
#include "support/platform/ScriptedHost.h"

namespace crx {
namespace {

TEST(FileChooser, AsksThroughTheHostsDialogs) {
  ScriptedHost host;
  ScopedUi scope(host);
  host.AnswerFile("/x/song.mid");
  std::string out = "unchanged";
  EXPECT_EQ(SelectOpenFile("mid", "XF midi files|*.mid|", out), 1);
  EXPECT_EQ(out, "/x/song.mid");
  EXPECT_EQ(SelectSaveFile("合成 wave files|*.wav|", "*.wav", out), 0);
  EXPECT_EQ(out, "/x/song.mid");
  EXPECT_EQ(ChooseOpenFile("vvd", "vvd files|*.vvd|"), std::nullopt);
  ASSERT_EQ(host.Records().size(), 3u);
  EXPECT_EQ(host.Records()[0].kind, ScriptedHost::Kind::OpenFile);
  EXPECT_EQ(host.Records()[1].kind, ScriptedHost::Kind::SaveFile);
  EXPECT_EQ(host.Records()[2].text, "vvd files|*.vvd|");
}

}  // namespace
}  // namespace crx
