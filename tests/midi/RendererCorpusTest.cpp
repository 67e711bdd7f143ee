#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "midi/renderer/MultiTrackSong.h"
#include "midi/renderer/PrepareMidi.h"
#include "midi/renderer/SingleTrackSong.h"
#include "midi/renderer/TrackPreparation.h"
#include "support/midi/MidiTestBytes.h"
#include "support/midi/MidiTestFixture.h"
#include "support/platform/TempFolder.h"

namespace crx::test {
namespace {

using RendererCorpus = MidiTest;
namespace fs = std::filesystem;

// An exclusive message sent in packets (F0 with its length, then F7
// continuations) is kept by the library as one event up to its first F7, so
// its length byte no longer matches what follows and other readers stumble.
constexpr const char* kPacketExclusive = "sysex-continuation.mid";

// Every file of the public corpus of broken and unusual MIDI files goes
// through the renderer's readers and its preparation. What the readers could
// read is written as a file that midicsv accepts; the rest is written as it
// was.
TEST_F(RendererCorpus, EveryFileIsPreparedIntoAReadableOrUnchangedFile) {
  const fs::path corpus = fs::path(CRX_SHARED_DIR) / "testdata" / "midi-corpus";
  if (!fs::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
  TempFolder folder;
  renderer::ChannelFlags channels = renderer::kAllChannelsOn;
  channels[9] = 0;
  int files = 0;
  int rebuilt = 0;
  for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
    if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
    SCOPED_TRACE(entry.path().string());
    ++files;
    const std::string text = ReadFileBytes(entry.path().string());
    std::vector<uint8_t> image(text.begin(), text.end());
    if (image.size() > renderer::kRendererImageCapacity) continue;

    std::vector<uint8_t> detected = image;
    const int format = renderer::DetectFormat(detected);
    bool readable = false;
    if (format == 0) {
      readable = renderer::SingleTrackSong(detected).Form() == kFormNotes;
    } else {
      readable = renderer::MultiTrackSong(detected).Form() == kFormNotes;
    }

    const std::string out = folder.File("temp.mid");
    ASSERT_TRUE(renderer::PrepareMidiImage(image, out, 120, channels, 2));
    if (readable) {
      ++rebuilt;
      if (HaveMidiCsv() && entry.path().filename() != kPacketExclusive) {
        EXPECT_FALSE(MidiCsv(out).empty());
      }
    } else {
      EXPECT_EQ(ReadFileBytes(out), std::string(detected.begin(), detected.end()));
    }
  }
  EXPECT_GT(files, 50);
  EXPECT_GT(rebuilt, 20);
}

}  // namespace
}  // namespace crx::test
