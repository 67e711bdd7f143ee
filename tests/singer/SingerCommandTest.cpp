#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/UiServices.h"
#include "singer/CSongSinger.h"
#include "singer/CVocalMidiReader.h"
#include "support/platform/ScriptedHost.h"
#include "support/platform/TempFolder.h"
#include "support/singer/SungVoice.h"
#include "support/vocal/PeerReaders.h"

namespace crx {
namespace {

using Lines = std::vector<std::string>;
using test::ShellQuote;

const std::string kSinger = std::string(CRX_START_FOLDER) + "/CantorixSinger";
const std::string kCantorix = std::string(CRX_START_FOLDER) + "/Cantorix";

// Runs a command line; the lines of its standard error (and output) and its status.
Lines RunLines(const std::string& command, int* status) {
  return test::CommandLines(command + " 2>&1", status);
}

TEST(SingerCommandTest, HelpVersionAndBadArguments) {
  int status = -1;
  Lines out = RunLines(kSinger + " --help", &status);
  EXPECT_EQ(status, 0);
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(out[0],
            "Usage: CantorixSinger [-o OUT.wav] [--voice female|female2|male] [--engine "
            "mbrola|espeak]");
  EXPECT_EQ(RunLines(kSinger + " --version", &status), Lines{"CantorixSinger " CRX_VERSION});
  EXPECT_EQ(status, 0);
  out = RunLines(kSinger + " --voice alto x.mid", &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(out.at(0), "CantorixSinger: --voice takes female, female2 or male: alto");
  out = RunLines(kSinger + " --engine festival x.mid", &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(out.at(0), "CantorixSinger: --engine takes mbrola or espeak: festival");
  out = RunLines(kSinger + " --engine", &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(out.at(0), "CantorixSinger: --engine needs a value");
  RunLines(kSinger, &status);
  EXPECT_EQ(status, 1);
}

TEST(SingerCommandTest, AFileThatIsNoVocalMidiLeavesNoWave) {
  test::TempFolder folder;
  const std::string midi = folder.File("song.mid");
  // A format 1 file whose only track is empty.
  static const char kBytes[] = "MThd\0\0\0\6\0\1\0\1\1\340MTrk\0\0\0\4\0\377\57\0";
  test::WriteFileBytes(midi, std::string(kBytes, sizeof kBytes - 1));
  int status = -1;
  const Lines out = RunLines(kSinger + " " + ShellQuote(midi), &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(out, Lines{"CantorixSinger: not a vocal MIDI file: " + midi +
                       ": no sequence text (\"DM:\" text events) in any track"});
  EXPECT_EQ(test::CommandLines("ls " + ShellQuote(folder.Path())), Lines{"song.mid"});
}

TEST(SingerCommandTest, AnExampleSongConvertsAndSingsFromTheCommandLines) {
  test::TempFolder folder;
  const std::string karaoke = CRX_SOURCE_DIR "/examples/furusato.mid";
  const std::string midi = folder.File("vocal.mid");
  int status = -1;
  RunLines("cd " + ShellQuote(folder.Path()) + " && XDG_CONFIG_HOME=" + ShellQuote(folder.Path()) +
               " " + kCantorix + " convert -o " + ShellQuote(midi) + " " + ShellQuote(karaoke),
           &status);
  ASSERT_EQ(status, 0);
  const Lines out = RunLines(kSinger + " " + ShellQuote(midi), &status);
  EXPECT_EQ(status, 0) << (out.empty() ? "" : out[0]);
  // One line: the voice that sang.
  ASSERT_EQ(out.size(), 1u) << out[1];
  EXPECT_EQ(out[0].rfind("CantorixSinger: sung by the female voice ", 0), 0u) << out[0];
  const test::SungWave w = test::ReadSungWave(folder.File("vocal.wav"));
  EXPECT_EQ(w.rate, 44100);

  ScriptedHost host;
  ScopedUi scope(host);
  const CVocalMidiReader::Result r = CVocalMidiReader::FromFile(midi);
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(w.left.size(), CSongSinger::OutputLength(r.sequence));
  // The four pre-measures are silence; the voice sits at its level.
  for (size_t i = 0; i < static_cast<size_t>(7.5 * 44100); ++i) ASSERT_EQ(w.left[i], 0.0f) << i;
  EXPECT_LT(test::PeakDb(w.left), -7);
  EXPECT_GT(test::RmsDb(w.left, 44100, 8, static_cast<double>(w.left.size()) / 44100), -30);
}

}  // namespace
}  // namespace crx
