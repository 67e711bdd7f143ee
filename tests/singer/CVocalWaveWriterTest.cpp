#include "singer/CVocalWaveWriter.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/Diagnostics.h"
#include "foundation/SystemReason.h"
#include "support/platform/FileSizeLimit.h"
#include "support/platform/TempFolder.h"

namespace crx {
namespace {

std::vector<std::string> Texts(const DiagnosticCollector& collector) {
  std::vector<std::string> texts;
  for (const Diagnostic& d : collector.Items()) texts.push_back(d.text);
  return texts;
}

// Nothing but the given names stands in the folder: no half-written WAV and
// no temporary file.
std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

TEST(VocalWaveWriter, AFailedWriteSaysWhyAndLeavesNothingBehind) {
  test::TempFolder tmp;
  const std::vector<float> voice(44100, 0.25f);

  // A folder that does not exist.
  DiagnosticCollector collector;
  const std::string lost = tmp.File("gone/out.wav");
  EXPECT_FALSE(CVocalWaveWriter::Write(lost, voice, 44100));
  const std::string noFolder = " (" + SystemReason(ENOENT) + ")";
  EXPECT_EQ(Texts(collector),
            (std::vector<std::string>{"CWaveFile Error!" + noFolder,
                                      "CantorixSinger: cannot write " + lost + noFolder}));

  // A disk that fills up on the way: the reason follows the old message, and
  // neither the target nor the temporary file is left.
  collector.Take();
  const std::string out = tmp.File("out.wav");
  {
    test::FileSizeLimit limit(64 * 1024);
    EXPECT_FALSE(CVocalWaveWriter::Write(out, voice, 44100));
  }
  EXPECT_EQ(Texts(collector), std::vector<std::string>{"CantorixSinger: cannot write " + out +
                                                       " (" + SystemReason(EFBIG) + ")"});
  EXPECT_TRUE(Names(tmp.Path()).empty());

  // With room, the same voice is written whole.
  collector.Take();
  EXPECT_TRUE(CVocalWaveWriter::Write(out, voice, 44100));
  EXPECT_TRUE(collector.Empty());
  EXPECT_EQ(Names(tmp.Path()), std::vector<std::string>{"out.wav"});
}

}  // namespace
}  // namespace crx
