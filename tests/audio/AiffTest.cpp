#include <sys/stat.h>

#include "audio/CAiffData.h"
#include "audio/CWaveFile.h"
#include "foundation/FileHelpers.h"
#include "support/audio/AiffBuilder.h"
#include "support/audio/AudioTestFixture.h"
#include "support/audio/WavBuilder.h"

namespace crx::test {
namespace {

using Strings = std::vector<std::string>;
using Bytes10 = std::array<uint8_t, 10>;

using Aiff = AudioTest;

TEST_F(Aiff, StereoAt44100ConvertsWithEverySampleSwapped) {
  const Bytes10 rate44100 = {0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0};
  ASSERT_EQ(ExtendedRate(44100), rate44100);
  const std::string aiff = File("a.aiff");
  const std::string wav = File("a.wav");
  AiffBuilder().RateBytes(rate44100).Samples16({0x0102, -2, 0x7FFF, -32768}).WriteTo(aiff);
  ASSERT_TRUE(ConvertAiffToWav(aiff, wav));
  AnnotatedBytes expected;
  expected.Text("RIFF id", "RIFF")
      .U32LE("RIFF size", 36 + 8)
      .Text("form type", "WAVE")
      .Text("fmt id", "fmt ")
      .U32LE("fmt size", 16)
      .U16LE("format tag", 1)
      .U16LE("channels", 2)
      .U32LE("samples per second", 44100)
      .U32LE("average bytes per second", 176400)
      .U16LE("block align", 4)
      .U16LE("bits per sample", 16)
      .Text("data id", "data")
      .U32LE("data size", 8)
      .Bytes("samples", std::vector<uint8_t>{0x02, 0x01, 0xFE, 0xFF, 0xFF, 0x7F, 0x00, 0x80});
  EXPECT_EQ(Bytes(wav), expected.Data()) << expected.Describe();
  EXPECT_EQ(Messages(), Strings{});
}

TEST_F(Aiff, TheNineRatesAreRecognisedByTheirWholeNumberParts) {
  EXPECT_EQ(ExtendedRate(22050), (Bytes10{0x40, 0x0D, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(ExtendedRate(32000), (Bytes10{0x40, 0x0D, 0xFA, 0x00, 0, 0, 0, 0, 0, 0}));
  const std::pair<long double, int32_t> cases[] = {
      {48000, 48000},
      {44100, 44100},
      {32000, 32000},
      {22050, 22050},
      {22254.545454L, 22254},
      {16000, 16000},
      {11127.272727L, 11127},
      {11025, 11025},
      {8000, 8000},
      {44100.75L, 44100},
      {96000, 0},
      {22255, 0},
      {0.5L, 0},
      {-44100, 0},
      {1e30L, 0},
  };
  for (const auto& [rate, expected] : cases) {
    SCOPED_TRACE(static_cast<double>(rate));
    const Bytes10 bytes = ExtendedRate(rate);
    EXPECT_EQ(CCommonChunk::RecognisedRate(bytes), expected);
  }
}

TEST_F(Aiff, ChunksAreFoundByIdentifierAndTheOffsetIsSkipped) {
  std::vector<AiffBuilder> layouts;
  layouts.push_back(AiffBuilder().Rate(22050).Format(1, 16).Samples16({5, 6, 7}).Offset(4));
  layouts.push_back(
      AiffBuilder().Rate(22050).Format(1, 16).Samples16({5, 6, 7}).Offset(4).SoundDataFirst());
  layouts.push_back(
      AiffBuilder().Rate(22050).Format(1, 16).Samples16({5, 6, 7}).Offset(4).ChunkInFront(
          "NAME", {'s', 'o', 'n'}));
  for (const AiffBuilder& b : layouts) {
    const AnnotatedBytes bytes = b.Build();
    SCOPED_TRACE(bytes.Describe());
    CAiffData aiff(bytes.Data());
    ASSERT_NE(aiff.Form().Common(), nullptr);
    ASSERT_NE(aiff.Form().SoundData(), nullptr);
    EXPECT_TRUE(aiff.Valid());
    EXPECT_EQ(aiff.Form().Common()->SampleRate(), 22050);
    EXPECT_EQ(aiff.Form().Common()->Channels(), 1);
    EXPECT_EQ(aiff.Form().Common()->SampleFrames(), 3u);
    EXPECT_EQ(aiff.Form().SoundData()->Offset(), 4u);
    const auto samples = aiff.Form().SoundData()->Samples();
    EXPECT_EQ(std::vector<uint8_t>(samples.begin(), samples.end()),
              (std::vector<uint8_t>{0, 5, 0, 6, 0, 7}));
  }
  EXPECT_EQ(Messages(), Strings{});
}

TEST_F(Aiff, OtherSampleSizesBecome16BitSamples) {
  struct Case {
    uint16_t bits;
    std::vector<uint8_t> stored;  // big-endian, as in the file
    std::vector<int16_t> expected;
  };
  const Case cases[] = {
      {8, {0x7F, 0x80, 0x01, 0xFF}, {0x7F00, -32768, 0x0100, -256}},
      {12, {0x12, 0x30, 0xFF, 0xF0}, {0x1230, -16}},
      {24, {0x12, 0x34, 0x56, 0x80, 0x00, 0x01}, {0x1234, -32768}},
      {32, {0x12, 0x34, 0x56, 0x78, 0xFF, 0xFE, 0xAA, 0xBB}, {0x1234, -2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bits);
    const std::string aiff = File("s.aiff");
    const std::string wav = File("s.wav");
    AiffBuilder().Rate(8000).Format(1, c.bits).Samples(c.stored).WriteTo(aiff);
    ASSERT_TRUE(ConvertAiffToWav(aiff, wav));
    int rate = 0, channels = 0, bits = 0;
    EXPECT_EQ(SamplesOf(WavData(wav, rate, channels, bits)), c.expected);
    EXPECT_EQ(bits, 16);
    EXPECT_EQ(rate, 8000);
  }
}

TEST_F(Aiff, AnUnknownRateGivesAWavOfRate0ThatTheMixRefuses) {
  const std::string aiff = File("96k.aiff");
  const std::string wav = File("96k.wav");
  AiffBuilder().Rate(96000).Samples16({1, 2}).WriteTo(aiff);
  ASSERT_TRUE(ConvertAiffToWav(aiff, wav));
  int rate = -1, channels = 0, bits = 0;
  WavData(wav, rate, channels, bits);
  EXPECT_EQ(rate, 0);
}

TEST_F(Aiff, BadFilesShowAiffErrorOnceAndNeverReadPastTheImage) {
  struct Case {
    const char* name;
    AiffBuilder builder;
    bool converts;
    bool error = true;
  };
  std::vector<Case> cases;
  cases.push_back({"FORM without COMM", AiffBuilder().Samples16({1, 2}).NoCommon(), false});
  cases.push_back({"no SSND", AiffBuilder().NoSoundData(), false});
  cases.push_back({"not FORM", AiffBuilder().Samples16({1, 2}).FormId("RIFF"), true});
  cases.push_back({"not AIFF", AiffBuilder().Samples16({1, 2}).FormType("AIFC"), true});
  cases.push_back(
      {"FORM size past the end", AiffBuilder().Samples16({1, 2}).FormSize(0x7FFFFFFF), true});
  cases.push_back(
      {"SSND size past the end", AiffBuilder().Samples16({1, 2}).SoundDataSize(0xFFFFFFFF), true});
  cases.push_back({"offset past the SSND data",
                   AiffBuilder().Samples16({1, 2}).Offset(8).SoundDataSize(12), true});
  cases.push_back({"SSND with only its fields", AiffBuilder().SoundDataSize(8), true, false});
  cases.push_back({"no channels", AiffBuilder().Format(0, 16).Samples16({1, 2}), false});
  cases.push_back({"sample size 0", AiffBuilder().Format(2, 0).Samples16({1, 2}), false});
  cases.push_back(
      {"sample size 40", AiffBuilder().Format(2, 40).Samples16({1, 2, 3, 4, 5}), false});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host_.Clear();
    const std::string aiff = File("bad.aiff");
    const std::string wav = File("bad.wav");
    remove(wav.c_str());
    c.builder.WriteTo(aiff);
    EXPECT_EQ(ConvertAiffToWav(aiff, wav), c.converts);
    EXPECT_EQ(Messages(), c.error ? Strings{"Aiff Error"} : Strings{});
    EXPECT_EQ(FileExists(wav), c.converts ? 1 : 0);
  }
}

TEST_F(Aiff, TruncatedImagesOfEveryLengthAreSafe) {
  const std::vector<uint8_t> whole = AiffBuilder().Samples16({1, 2, 3, 4}).Offset(2).Build().Data();
  for (size_t n = 0; n < whole.size(); ++n) {
    host_.Clear();
    CAiffData aiff(std::vector<uint8_t>(whole.begin(), whole.begin() + n));
    EXPECT_FALSE(aiff.Valid()) << n;
    EXPECT_EQ(Messages(), Strings{"Aiff Error"}) << n;
  }
}

TEST_F(Aiff, UnreadableFilesShowTheReadersMessages) {
  const std::string folder = File("folder.aiff");
  mkdir(folder.c_str(), 0755);
  const std::string empty = File("empty.aiff");
  WriteFileBytes(empty, "");
  EXPECT_FALSE(ConvertAiffToWav(empty, File("e.wav")));
  EXPECT_EQ(Messages(), Strings{"Aiff Error"});
  for (const std::string& path : {File("missing.aiff"), folder}) {
    host_.Clear();
    EXPECT_FALSE(ConvertAiffToWav(path, File("m.wav")));
    const Strings m = Messages();
    ASSERT_EQ(m.size(), 3u);
    EXPECT_EQ(m[0], path);
    EXPECT_EQ(m[1].rfind("GENE01000007 ", 0), 0u);
    EXPECT_EQ(m[2], "Aiff Error");
  }
  EXPECT_FALSE(FileExists(File("m.wav")));
}

}  // namespace
}  // namespace crx::test
