#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/midi/MidiTestBytes.h"
#include "support/platform/TempFolder.h"

namespace crx::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

const std::string kProgram = std::string(CRX_START_FOLDER) + "/TunepressCRX";

// Runs TunepressCRX with the arguments (each quoted); its standard error goes
// to errPath. The exit status, or -1.
int RunTunepress(const std::string& arguments, const std::string& errPath) {
  const std::string command = "'" + kProgram + "' " + arguments + " 2>'" + errPath + "' >/dev/null";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class RendererCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    if (access(kProgram.c_str(), X_OK) != 0) GTEST_SKIP() << "TunepressCRX is not built";
    if (!HaveMidiCsv()) GTEST_SKIP() << "midicsv is not installed";
  }
  TempFolder folder_;
};

TEST_F(RendererCommand, PreparesAFileWithTheGivenValues) {
  std::vector<uint8_t> file =
      SmfFile(1, 240,
              {TrackChunk("00 FF 51 03 07 A1 20 00 FF 2F 00"),
               TrackChunk("00 B0 07 64 00 90 3C 64 81 70 80 3C 40 00 FF 2F 00"),
               TrackChunk("00 B9 07 7F 00 99 24 64 10 89 24 40 00 FF 2F 00")});
  const std::string in = folder_.File("song.mid");
  const std::string out = folder_.File("temp.mid");
  const std::string err = folder_.File("err.txt");
  WriteFileBytes(in, std::string(file.begin(), file.end()));

  EXPECT_EQ(RunTunepress("--prepare --volume 50 --channels 1111111110111111 --lead-in 2 '" + in +
                             "' '" + out + "'",
                         err),
            0);
  EXPECT_THAT(
      MidiCsv(out),
      ElementsAre("0, 0, Header, 1, 2, 240", "1, 0, Start_track", "1, 1000, Tempo, 500000",
                  "1, 1000, End_track", "2, 0, Start_track",
                  "2, 1000, System_exclusive, 7, 127, 127, 4, 1, 0, 127, 247",
                  "2, 1000, Control_c, 0, 7, 50", "2, 1000, Note_on_c, 0, 60, 100",
                  "2, 1240, Note_off_c, 0, 60, 64", "2, 1240, End_track", "0, 0, End_of_file"));
  EXPECT_EQ(ReadFileBytes(err),
            "M1DT03000016 マスターボリュームが設定されていませんでしたので127を設定しました。\n");

  // The defaults: 70 %, every channel, no lead-in.
  EXPECT_EQ(RunTunepress("--prepare '" + in + "' '" + out + "'", err), 0);
  std::vector<std::string> csv = MidiCsv(out);
  EXPECT_THAT(csv, ::testing::Contains("3, 0, Control_c, 9, 7, 88"));
  EXPECT_THAT(csv, ::testing::Contains("2, 0, Control_c, 0, 7, 70"));
  EXPECT_EQ(csv[0], "0, 0, Header, 1, 3, 240");
}

TEST_F(RendererCommand, BadArgumentsAndUnreadableInputFail) {
  const std::string out = folder_.File("temp.mid");
  const std::string err = folder_.File("err.txt");
  EXPECT_EQ(RunTunepress("--prepare --channels 0101 a.mid '" + out + "'", err), 1);
  EXPECT_THAT(ReadFileBytes(err), HasSubstr("--channels needs sixteen digits 0 or 1"));
  EXPECT_EQ(RunTunepress("--prepare --volume -5 a.mid '" + out + "'", err), 1);
  EXPECT_EQ(RunTunepress("--prepare '" + out + "'", err), 1);
  EXPECT_EQ(RunTunepress("--prepare '" + folder_.File("missing.mid") + "' '" + out + "'", err), 1);
  EXPECT_THAT(ReadFileBytes(err), HasSubstr("GENE01000007"));
  EXPECT_TRUE(ReadFileBytes(out).empty());
  EXPECT_EQ(RunTunepress("--prepare --help", err), 0);
}

}  // namespace
}  // namespace crx::test
