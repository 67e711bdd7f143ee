#include "audio/CAiffData.h"
#include "audio/CWaveFile.h"
#include "audio/MixSong.h"
#include "support/audio/AiffBuilder.h"
#include "support/audio/AudioTestFixture.h"
#include "support/audio/SoxPeer.h"
#include "support/audio/WavBuilder.h"

namespace crx::test {
namespace {

class SoxPeer : public AudioTest {
 protected:
  void SetUp() override {
    if (!SoxAvailable()) GTEST_SKIP() << "sox is not installed";
  }
  void ExpectSoxFormat(const std::string& path, int rate, int channels, int bits) {
    EXPECT_EQ(SoxInfo(path, 'r'), std::to_string(rate));
    EXPECT_EQ(SoxInfo(path, 'c'), std::to_string(channels));
    EXPECT_EQ(SoxInfo(path, 'b'), std::to_string(bits));
  }
};

TEST_F(SoxPeer, ReadsEveryWavWeWrite) {
  const std::vector<int16_t> signal = TestSignal(5000, 7);
  // CWaveFile: samples, no samples, and an odd count with its pad byte.
  const std::string written = File("written.wav");
  {
    CWaveFile f(2, 44100, 16);
    ASSERT_EQ(f.Open(1, written), 0);
    ASSERT_EQ(f.Write(SampleBytes(signal)), signal.size() * 2);
    f.Close();
  }
  ExpectSoxFormat(written, 44100, 2, 16);
  EXPECT_EQ(SoxSamples16(written), signal);

  const std::string empty = File("empty.wav");
  {
    CWaveFile f(2, 44100, 16);
    ASSERT_EQ(f.Open(1, empty), 0);
    f.Close();
  }
  EXPECT_EQ(SoxInfo(empty, 's'), "0");

  const std::string odd = File("odd.wav");
  {
    CWaveFile f(1, 8000, 8);
    ASSERT_EQ(f.Open(1, odd), 0);
    const std::vector<uint8_t> bytes = {0x80, 0xFF, 0x00};
    f.Write(bytes);
    f.Close();
  }
  EXPECT_EQ(SoxInfo(odd, 's'), "3");
  EXPECT_EQ(SoxSamples16(odd), (std::vector<int16_t>{0, 0x7F00, -32768}));

  // CWaveImage, through the AIFF conversion.
  const std::string aiff = File("in.aiff");
  const std::string converted = File("converted.wav");
  AiffBuilder().Rate(22050).Samples16(signal).WriteTo(aiff);
  ASSERT_TRUE(ConvertAiffToWav(aiff, converted));
  ExpectSoxFormat(converted, 22050, 2, 16);
  EXPECT_EQ(SoxSamples16(converted), signal);

  // The mix.
  const std::string vocal = File("vocal.wav");
  const std::string acc = File("acc.wav");
  const std::string mix = File("mix.wav");
  WavBuilder().Data(SampleBytes(signal)).WriteTo(vocal);
  WavBuilder().Data(SampleBytes(TestSignal(3000, 8))).WriteTo(acc);
  ASSERT_TRUE(MixSong(vocal, acc, mix, MixSettings{100, 100, 100, 2, 3, 1}, 20000, ""));
  int rate = 0, channels = 0, bits = 0;
  const std::vector<uint8_t> ours = WavData(mix, rate, channels, bits);
  ExpectSoxFormat(mix, 44100, 2, 16);
  EXPECT_EQ(SoxSamples16(mix), SamplesOf(ours));
  EXPECT_EQ(SoxSamples16(vocal).size(), signal.size());
}

TEST_F(SoxPeer, OurAiffReaderReadsWhatSoxWrites) {
  for (int rate : {44100, 22050, 32000, 48000, 16000, 11025, 8000}) {
    for (int bits : {8, 16, 24, 32}) {
      for (uint16_t channels : {uint16_t{1}, uint16_t{2}}) {
        SCOPED_TRACE(std::to_string(rate) + " Hz " + std::to_string(bits) + " bits " +
                     std::to_string(channels) + " ch");
        const std::string source = File("source.wav");
        const std::string aiff = File("sox.aiff");
        const std::string wav = File("ours.wav");
        WavBuilder()
            .Format(static_cast<uint32_t>(rate), channels, 16)
            .Data(SampleBytes(TestSignal(1500 / channels, static_cast<uint32_t>(bits))))
            .WriteTo(source);
        ASSERT_EQ(RunSox({"-D", source, "-b", std::to_string(bits), aiff}), 0);
        ASSERT_TRUE(ConvertAiffToWav(aiff, wav));
        int r = 0, c = 0, b = 0;
        const std::vector<uint8_t> ours = WavData(wav, r, c, b);
        EXPECT_EQ(r, rate);
        EXPECT_EQ(c, channels);
        EXPECT_EQ(b, 16);
        EXPECT_EQ(ours.size(), 1500u / channels * 4);  // TestSignal gives two samples a frame
        EXPECT_EQ(SamplesOf(ours), SoxSamples16(aiff));
      }
    }
  }
  EXPECT_EQ(Messages(), std::vector<std::string>{});
}

TEST_F(SoxPeer, OurWavReaderReadsWhatSoxWrites) {
  struct Case {
    int rate;
    int channels;
    int bits;
  };
  // More than 16 bits or 2 channels make sox write the 40-byte extensible
  // format chunk.
  const Case cases[] = {{44100, 2, 16}, {22050, 1, 8},  {48000, 2, 24},
                        {32000, 2, 32}, {11025, 6, 16}, {8000, 1, 16}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.rate) + "/" + std::to_string(c.channels) + "/" +
                 std::to_string(c.bits));
    const std::string raw16 = File("in.raw");
    const std::string wav = File("sox.wav");
    const std::string raw = File("sox.raw");
    WriteFileBytes(raw16, [&] {
      const std::vector<uint8_t> b = SampleBytes(TestSignal(900, 11));
      return std::string(b.begin(), b.end());
    }());
    ASSERT_EQ(RunSox({"-D", "-t", "raw", "-r", std::to_string(c.rate), "-c",
                      std::to_string(c.channels), "-e", "signed-integer", "-b", "16", "-L", raw16,
                      "-b", std::to_string(c.bits), wav}),
              0);
    ASSERT_EQ(RunSox({"-D", wav, "-t", "raw", raw}), 0);
    int rate = 0, channels = 0, bits = 0;
    const std::vector<uint8_t> ours = WavData(wav, rate, channels, bits);
    EXPECT_EQ(rate, c.rate);
    EXPECT_EQ(channels, c.channels);
    EXPECT_EQ(bits, c.bits);
    const std::string expected = ReadFileBytes(raw);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(ours, std::vector<uint8_t>(expected.begin(), expected.end()));
  }
}

}  // namespace
}  // namespace crx::test
