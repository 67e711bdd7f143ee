#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "midi/MidiChunkReader.h"
#include "midi/MidiHeader.h"
#include "support/midi/MidiTestBytes.h"

namespace crx::test {
namespace {

using ::testing::ElementsAre;

std::vector<uint8_t> WithMacBinary(std::vector<uint8_t> file) {
  file.insert(file.begin(), 128, 0x20);
  return file;
}

TEST(MidiHeader, FoundAtTheStartOrBehindAMacBinaryHeaderOnly) {
  const std::vector<uint8_t> file = SmfFile(1, 480, {TrackChunk("00 FF 2F 00")});
  EXPECT_EQ(MidiHeader::Locate(file), 0u);
  EXPECT_EQ(MidiHeader::Locate(WithMacBinary(file)), 128u);
  std::vector<uint8_t> elsewhere = file;
  elsewhere.insert(elsewhere.begin(), 4, 0);
  EXPECT_EQ(MidiHeader::Locate(elsewhere), std::nullopt);
  EXPECT_EQ(MidiHeader::Read(elsewhere), std::nullopt);
  EXPECT_EQ(MidiHeader::Locate(Hex("4D 54 68")), std::nullopt);

  const std::optional<MidiHeader> behind = MidiHeader::Read(WithMacBinary(file));
  ASSERT_TRUE(behind);
  EXPECT_EQ(behind->Offset(), 128u);
  EXPECT_EQ(behind->Format(), 1);
  EXPECT_EQ(behind->Tracks(), 1);
  EXPECT_EQ(behind->Division(), 480);
  EXPECT_EQ(behind->End(), 128u + 14u);
}

TEST(MidiHeader, TellsWhichFieldsTheBytesHoldAndWhatTheyAre) {
  // Bytes ending inside the chunk header give no header at all.
  EXPECT_EQ(MidiHeader::Read(Hex("4D 54 68 64 00 00 00")), std::nullopt);

  struct Case {
    const char* hex;
    bool format, tracks, division, complete, metrical;
  };
  const Case cases[] = {
      {"4D 54 68 64 00 00 00 06", false, false, false, false, false},
      {"4D 54 68 64 00 00 00 06 00 00 00", true, false, false, false, false},
      {"4D 54 68 64 00 00 00 06 00 00 00 01 01", true, true, false, false, false},
      {"4D 54 68 64 00 00 00 06 00 00 00 01 01 E0", true, true, true, true, true},
      // A short declared length: the fields are there, the header is not whole.
      {"4D 54 68 64 00 00 00 04 00 00 00 01 01 E0", true, true, true, false, true},
      {"4D 54 68 64 00 00 00 06 00 00 00 01 00 00", true, true, true, true, false},
      {"4D 54 68 64 00 00 00 06 00 00 00 01 E7 28", true, true, true, true, false},  // SMPTE
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hex);
    const std::optional<MidiHeader> h = MidiHeader::Read(Hex(c.hex));
    ASSERT_TRUE(h);
    EXPECT_EQ(h->Format().has_value(), c.format);
    EXPECT_EQ(h->Tracks().has_value(), c.tracks);
    EXPECT_EQ(h->Division().has_value(), c.division);
    EXPECT_EQ(h->Complete(), c.complete);
    EXPECT_EQ(h->HasMetricalDivision(), c.metrical);
  }

  // A longer header: the chunks begin where its length says.
  const std::optional<MidiHeader> longer =
      MidiHeader::Read(Hex("4D 54 68 64 00 00 00 08 00 01 00 02 00 60 AA BB"));
  ASSERT_TRUE(longer);
  EXPECT_EQ(longer->Length(), 8u);
  EXPECT_EQ(longer->End(), 16u);
  // A length running far past the bytes is reported as it is.
  const std::optional<MidiHeader> huge =
      MidiHeader::Read(Hex("4D 54 68 64 FF FF FF FF 00 00 00 01 00 60"));
  ASSERT_TRUE(huge);
  EXPECT_EQ(huge->End(), 8u + 0xFFFFFFFFull);
}

std::vector<std::string> Walk(const std::vector<uint8_t>& bytes, uint64_t from) {
  std::vector<std::string> seen;
  MidiChunkReader chunks(bytes, from);
  while (auto c = chunks.Next()) {
    seen.push_back(c->id + "@" + std::to_string(c->offset) + " " + std::to_string(c->body.size()) +
                   "/" + std::to_string(c->length) + (c->Cut() ? " cut" : ""));
  }
  return seen;
}

TEST(MidiChunkReader, WalksWholeChunksAndEndsAtACutOneOrATail) {
  std::vector<uint8_t> file = SmfFile(0, 480, {TrackChunk("00 FF 2F 00"), Chunk("XFIH", Hex(""))});
  const std::vector<uint8_t> cut = Chunk("XFKM", Hex("00 FF 01 05 41"));
  file.insert(file.end(), cut.begin(), cut.end());
  // Declared 9 bytes of body, 5 present: the last chunk, cut.
  file[file.size() - 5 - 1] = 9;
  EXPECT_THAT(Walk(file, 14), ElementsAre("MTrk@14 4/4", "XFIH@26 0/0", "XFKM@34 5/9 cut"));

  // Fewer than eight bytes after the last chunk are no chunk.
  std::vector<uint8_t> tail = SmfFile(0, 480, {TrackChunk("00 FF 2F 00")});
  tail.insert(tail.end(), {0, 0, 0, 0, 0, 0, 0});
  EXPECT_THAT(Walk(tail, 14), ElementsAre("MTrk@14 4/4"));

  // A start at or past the end reads nothing.
  EXPECT_TRUE(Walk(tail, tail.size()).empty());
  EXPECT_TRUE(Walk(tail, uint64_t{1} << 40).empty());
}

}  // namespace
}  // namespace crx::test
