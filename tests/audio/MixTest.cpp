#include "audio/CWaveFile.h"
#include "audio/MixSong.h"
#include "foundation/FileHelpers.h"
#include "support/audio/AudioTestFixture.h"
#include "support/audio/CWaveInsert.h"
#include "support/audio/CWaveMix.h"
#include "support/audio/WavBuilder.h"

namespace crx::test {
namespace {

using Strings = std::vector<std::string>;

struct Wave {
  int rate = 0;
  int channels = 0;
  int bits = 0;
  std::vector<int16_t> samples;
  std::vector<uint8_t> bytes;
};

class Mix : public AudioTest {
 protected:
  Wave Read(const std::string& path) {
    CWaveFile f;
    Wave w;
    if (f.Open(0, path) != 0) return w;
    w.rate = f.SampleRate();
    w.channels = f.Channels();
    w.bits = f.BitsPerSample();
    w.bytes = f.ReadData();
    w.samples = SamplesOf(w.bytes);
    f.Close();
    return w;
  }
  void Write(const std::string& path, const std::vector<int16_t>& samples, uint32_t rate = 44100,
             uint16_t channels = 2) {
    WavBuilder().Format(rate, channels, 16).Data(SampleBytes(samples)).WriteTo(path);
  }
};

TEST_F(Mix, VolumeAndReverbRewriteOnlyMixFormatFiles) {
  const std::string path = File("v.wav");
  const std::vector<int16_t> samples = {-3, 3, 1000, -1000, 5, 6};
  Write(path, samples);  // 44-byte header
  ASSERT_TRUE(ApplyVolumeAndReverb(path, 0, 1.0));
  AnnotatedBytes expected = Wave46Header(44100, 2, 16, 12);
  expected.Bytes("samples", SampleBytes(samples));
  EXPECT_EQ(Bytes(path), expected.Data()) << expected.Describe();

  ASSERT_TRUE(ApplyVolumeAndReverb(path, 0, 0.5));
  EXPECT_EQ(Read(path).samples, (std::vector<int16_t>{-1, 1, 500, -500, 2, 3}));

  // 40 frames of reverb 1: the first frame echoes in frame 40 of each channel.
  std::vector<int16_t> impulse(2 * 50, 0);
  impulse[0] = 1000;
  impulse[1] = -500;
  Write(path, impulse);
  ASSERT_TRUE(ApplyVolumeAndReverb(path, 1, 1.0));
  const Wave w = Read(path);
  EXPECT_EQ(w.samples[80], 600);
  EXPECT_EQ(w.samples[81], -300);
  EXPECT_EQ(w.samples[0], 1000);
  EXPECT_EQ(Messages(), Strings{});

  // Any other format stays byte for byte, after the reader's message.
  const std::string other = File("22k.wav");
  Write(other, samples, 22050);
  const std::vector<uint8_t> before = Bytes(other);
  EXPECT_FALSE(ApplyVolumeAndReverb(other, 3, 2.0));
  EXPECT_EQ(Bytes(other), before);
  const std::string mono = File("mono.wav");
  Write(mono, samples, 44100, 1);
  EXPECT_FALSE(ApplyVolumeAndReverb(mono, 0, 1.0));
  EXPECT_FALSE(ApplyVolumeAndReverb(File("missing.wav"), 0, 1.0));
  EXPECT_FALSE(FileExists(File("missing.wav")));
  EXPECT_EQ(Messages(),
            (Strings{"このサンプリングレートに対応していません。",
                     "このチャネル数に対応していません。", "WAVEファイルが開けませんでした。"}));
}

TEST_F(Mix, InsertPutsSilenceInFrontInTheSourcesFormat) {
  const std::string src = File("acc.wav");
  const std::string dst = File("acc_tmp.wav");
  Write(src, {7, 8, 9, 10});
  CWaveInsert insert(src, dst, 8000);
  EXPECT_TRUE(insert.Written());
  const Wave w = Read(dst);
  ASSERT_EQ(w.samples.size(), 2u * 352800 + 4);
  EXPECT_EQ(w.samples[2 * 352800 - 1], 0);
  EXPECT_EQ(std::vector<int16_t>(w.samples.end() - 4, w.samples.end()),
            (std::vector<int16_t>{7, 8, 9, 10}));

  WavBuilder().Format(22050, 1, 8).Data({200, 201, 202}).WriteTo(src);
  CWaveInsert small(src, dst, 10);  // 220 frames of one byte
  const Wave s = Read(dst);
  EXPECT_EQ(s.rate, 22050);
  EXPECT_EQ(s.channels, 1);
  EXPECT_EQ(s.bits, 8);
  ASSERT_EQ(s.bytes.size(), 223u);
  EXPECT_EQ(s.bytes[219], 0);
  EXPECT_EQ(s.bytes[220], 200);
  EXPECT_EQ(Messages(), Strings{});
}

TEST_F(Mix, SumOfA10And12SecondFileLasts12SecondsAndSaturates) {
  const std::string a = File("a.wav");
  const std::string b = File("b.wav");
  const std::string out = File("out.wav");
  std::vector<int16_t> ten = TestSignal(441000, 1, 9000);
  std::vector<int16_t> twelve = TestSignal(529200, 2, 9000);
  ten[0] = 30000;
  twelve[0] = 10000;
  ten[1] = -30000;
  twelve[1] = -10000;
  Write(a, ten);
  Write(b, twelve);
  CWaveMix mix(a, b, out);
  ASSERT_TRUE(mix.Written());
  const Wave w = Read(out);
  ASSERT_EQ(w.samples.size(), twelve.size());
  EXPECT_EQ(w.samples[0], 32767);
  EXPECT_EQ(w.samples[1], -32768);
  for (size_t i : {size_t{2}, size_t{1000}, ten.size() - 1}) {
    EXPECT_EQ(w.samples[i], ten[i] + twelve[i]) << i;
  }
  for (size_t i : {ten.size(), ten.size() + 1, twelve.size() - 1}) {
    EXPECT_EQ(w.samples[i], twelve[i]) << i;
  }
  EXPECT_EQ(Messages(), Strings{});
}

TEST_F(Mix, SumRefusesOtherFormatsAndWritesNothing) {
  const std::string a = File("a.wav");
  const std::string b = File("b.wav");
  const std::string out = File("out.wav");
  Write(a, {1, 2});
  Write(b, {1, 2}, 48000);
  CWaveMix mix(a, b, out);
  EXPECT_FALSE(mix.Written());
  EXPECT_FALSE(FileExists(out));
  EXPECT_EQ(Messages(), Strings{"CWaveMix"});
  host_.Clear();
  CWaveMix missing(a, File("none.wav"), out);
  EXPECT_FALSE(FileExists(out));
  EXPECT_EQ(Messages(), (Strings{"WAVEファイルが開けませんでした。", "CWaveMix"}));
}

TEST_F(Mix, LeadInAndTemporaryPath) {
  EXPECT_EQ(LeadInMilliseconds(500000, ""), 8000);
  EXPECT_EQ(LeadInMilliseconds(499999, "/opt/vocal/editor"), 7999);
  EXPECT_EQ(LeadInMilliseconds(0xFFFFFF, ""), 268435);
  EXPECT_EQ(LeadInMilliseconds(500000, "/opt/LumivoceConv"), 0);
  EXPECT_EQ(LeadInMilliseconds(500000, "/opt/lumivoce"), 8000);  // case-sensitive
  EXPECT_EQ(TemporaryWavPath("/w/song.acc.wav"), "/w/song.acc_tmp.wav");
  EXPECT_EQ(TemporaryWavPath("/w/acc"), "/w/acc_tmp.wav");
}

TEST_F(Mix, MixSongRunsEveryStepInOrder) {
  const std::string vocal = File("vocal.wav");
  const std::string acc = File("acc.wav");
  const std::string out = File("mix.wav");
  // Vocal: 1 s of signal. Accompaniment: 0.5 s, delayed by 62500 x 16 us = 1 s.
  const std::vector<int16_t> v = TestSignal(44100, 3, 8000);
  const std::vector<int16_t> a = TestSignal(22050, 4, 8000);
  Write(vocal, v);
  Write(acc, a);
  MixSettings s;
  s.vocalVolume = 50;
  s.accompanimentVolume = 200;
  s.mixVolume = 100;
  const std::vector<uint8_t> vocalBefore = Bytes(vocal);
  const std::vector<uint8_t> accBefore = Bytes(acc);
  ASSERT_TRUE(MixSong(vocal, acc, out, s, 62500, "/usr/bin/editor"));
  EXPECT_EQ(Messages(), Strings{});

  // Both inputs stay as they were; no temporary file is left.
  EXPECT_EQ(Bytes(vocal), vocalBefore);
  EXPECT_EQ(Bytes(acc), accBefore);
  EXPECT_FALSE(FileExists(File("acc_tmp.wav")));

  // The mix: the vocal at half volume, then the accompaniment at double
  // volume after the lead-in; the quiet start of the test signal is trimmed.
  const Wave m = Read(out);
  EXPECT_EQ(m.rate, 44100);
  std::vector<int16_t> expected(2 * (44100 + 22050), 0);
  for (size_t i = 0; i < v.size(); ++i) expected[i] = static_cast<int16_t>(v[i] * 0.5);
  for (size_t i = 0; i < a.size(); ++i) {
    expected[2 * 44100 + i] = static_cast<int16_t>(std::clamp(a[i] * 2, -32768, 32767));
  }
  size_t start = 0;
  while (std::abs(expected[start]) <= 4 && std::abs(expected[start + 1]) <= 4) start += 2;
  ASSERT_GT(m.samples.size(), 0u);
  EXPECT_EQ(std::vector<int16_t>(m.samples.begin(), m.samples.begin() + 200),
            std::vector<int16_t>(expected.begin() + start, expected.begin() + start + 200));
  EXPECT_EQ(m.samples.size(), expected.size() - start);

  // With the maker's own converter there is no lead-in.
  ASSERT_TRUE(MixSong(vocal, acc, out, MixSettings{}, 62500, "C:\\Lumivoce\\LumivoceConv.exe"));
  EXPECT_EQ(Read(out).samples.size(), v.size() - start);
}

TEST_F(Mix, MixSongKeepsFilesThatTheTemporaryPathWouldDestroy) {
  // The whole-file steps kept the delayed accompaniment in "acc_tmp.wav";
  // the mix keeps nothing in files of its own, so a vocal of that name is
  // read like any other.
  const std::string acc = File("acc.wav");
  const std::string vocal = File("acc_tmp.wav");
  Write(acc, {100, 100});
  Write(vocal, {200, 200});
  const std::vector<uint8_t> before = Bytes(vocal);
  EXPECT_TRUE(MixSong(vocal, acc, File("out.wav"), MixSettings{}, 0, ""));
  EXPECT_EQ(Bytes(vocal), before);
  EXPECT_EQ(Read(File("out.wav")).samples, (std::vector<int16_t>{300, 300}));
  EXPECT_EQ(Messages(), Strings{});
}

TEST_F(Mix, ARefusedSumLeavesAnOlderOutputAlone) {
  const std::string vocal = File("vocal.wav");
  const std::string acc = File("acc.wav");
  const std::string out = File("out.wav");
  Write(vocal, {100, 100}, 22050);
  Write(acc, {100, 100});
  Write(out, {1, 2, 3, 4});
  const std::vector<uint8_t> before = Bytes(out);
  EXPECT_FALSE(MixSong(vocal, acc, out, MixSettings{}, 500000, ""));
  EXPECT_EQ(Bytes(out), before);
  EXPECT_EQ(Messages(), (Strings{"このサンプリングレートに対応していません。", "CWaveMix"}));
}

}  // namespace
}  // namespace crx::test
