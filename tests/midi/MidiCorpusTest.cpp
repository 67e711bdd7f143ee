#include <gtest/gtest.h>

#include <filesystem>

#include "midi/MidiFormat0Data.h"
#include "midi/MidiFormat1Data.h"
#include "midi/MidiTrackData.h"
#include "support/midi/MidiTestBytes.h"
#include "support/midi/MidiTestFixture.h"

namespace crx::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> CorpusFiles() {
  std::vector<std::string> files;
  const fs::path root = fs::path(CRX_SHARED_DIR) / "testdata" / "midi-corpus";
  std::error_code ec;
  if (!fs::is_directory(root, ec)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(root, ec)) {
    if (entry.is_regular_file()) files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

using Corpus = MidiTest;

// Every chunk of every file goes through the format 0 reader, the track
// operations and the writer; whatever a chunk held, writing and reading it
// again gives the same events.
TEST_F(Corpus, EveryFileReadsWithoutHarmAndWrittenTracksReadBackTheSame) {
  const std::vector<std::string> files = CorpusFiles();
  if (files.empty()) GTEST_SKIP() << "the MIDI corpus is absent";
  int tracksChecked = 0;
  for (const std::string& path : files) {
    SCOPED_TRACE(path);
    MidiParseState reading;  // the file's chunks are one reading
    MidiFormat0Data song;
    if (!song.LoadFile(path)) continue;  // reported; nothing to read
    song.ReadHeader();                   // reports what is wrong; the chunks are read anyway
    size_t position = HasMidiHeaderAt(song.ImageBytes(), song.ImageSize(), 0) ? 14 : 0;
    while (position + 8 <= song.ImageSize()) {
      const size_t start = position;
      auto track = MidiTrackData::FromChunk(song.ImageBytes(), song.ImageSize(), start,
                                            kMidiChunkCapacity, reading);
      if (track->ChunkLength() == 0) break;
      position += track->ChunkLength();
      // The editing operations on whatever the chunk held.
      track->PairNotes();
      track->KeepTopNotes(kNoChannel);
      track->Transpose(-1, 7);
      track->SplitNotes();
      track->Serialise("MTrk");

      auto again = MidiTrackData::FromChunk(song.ImageBytes(), song.ImageSize(), start,
                                            kMidiChunkCapacity, 0);
      again->Compact();
      const std::vector<std::string> read = Describe(*again);
      if (again->Empty() || !again->Event(again->Count() - 1).IsEndOfTrack()) continue;
      again->Serialise("MTrk");
      std::vector<uint8_t> written(again->Chunk().begin(), again->Chunk().end());
      auto back = MidiTrackData::FromChunk(written, written.size(), 0, kMidiChunkCapacity, 0);
      EXPECT_EQ(Describe(*back), read);
      ++tracksChecked;
    }
    // The same image as a format 1 file being split into its tracks.
    MidiFormat1Data file(480, kFormat0ImageCapacity);
    file.LoadImage(song.ImageBytes());
    file.SetPosition(14);
    file.SetTrackCount(kMaxFormat1Tracks);
    file.SetForm(kFormRaw);
    file.SplitImage();
    EXPECT_LE(file.TrackCount(), kMaxFormat1Tracks);
  }
  EXPECT_GT(tracksChecked, 50);
}

// The scale goes on under its running status after an exclusive message.
TEST_F(Corpus, RunningStatusSurvivesAnExclusiveMessage) {
  const std::string path =
      std::string(CRX_SHARED_DIR) + "/testdata/midi-corpus/jazz-soft/test-running-status-sysex.mid";
  if (!fs::exists(path)) GTEST_SKIP() << "the MIDI corpus is absent";
  MidiFormat0Data song;
  ASSERT_TRUE(song.LoadFile(path));
  ASSERT_EQ(song.ReadHeader(), 1);
  auto track = MidiTrackData::FromChunk(song.ImageBytes(), song.ImageSize(), song.Position(),
                                        kMidiChunkCapacity, 0);
  track->PairNotes();
  std::vector<int> scale;
  for (const MidiEvent& ev : track->Events()) {
    if (ev.kind == MidiKind::Note) scale.push_back(ev.note);
  }
  EXPECT_EQ(scale, (std::vector<int>{60, 62, 64, 65, 67, 69, 71, 72}));
  EXPECT_TRUE(Messages().empty());
}

}  // namespace
}  // namespace crx::test
