#include <sys/stat.h>

#include <cerrno>

#include "audio/AudioMessages.h"
#include "audio/CWaveFile.h"
#include "audio/CWaveImage.h"
#include "foundation/SystemReason.h"
#include "support/audio/AudioTestFixture.h"
#include "support/audio/WavBuilder.h"
#include "support/platform/FileSizeLimit.h"

namespace crx::test {
namespace {

using Strings = std::vector<std::string>;

class WaveFileRead : public AudioTest {};
class WaveFileWrite : public AudioTest {};

const std::vector<uint8_t> kSamples = FrameBytes({{1, -1}, {300, -300}, {-32768, 32767}});

TEST_F(WaveFileRead, FormatChunksOf16And40BytesBothLeadToTheData) {
  for (uint32_t fmtSize : {16u, 18u, 40u}) {
    SCOPED_TRACE(fmtSize);
    const std::string path = File("f.wav");
    WavBuilder().Format(22050, 1, 16).FmtSize(fmtSize).Data(kSamples).WriteTo(path);
    CWaveFile f;
    ASSERT_EQ(f.Open(0, path), 0);
    EXPECT_EQ(f.Format().formatTag, 1);
    EXPECT_EQ(f.Format().extraSize, 0);
    EXPECT_EQ(f.Format().blockAlign, 2);
    EXPECT_EQ(f.SampleRate(), 22050);
    EXPECT_EQ(f.Channels(), 1);
    EXPECT_EQ(f.BitsPerSample(), 16);
    EXPECT_EQ(f.DataSize(), kSamples.size());
    EXPECT_EQ(f.ReadData(), kSamples);
    f.Close();
  }
  EXPECT_EQ(Messages(), Strings{});
}

TEST_F(WaveFileRead, OtherChunksAreSkippedWhereverTheyStand) {
  const std::string path = File("list.wav");
  WavBuilder b;
  b.ChunkInFront("JUNK", {1, 2, 3})  // odd size: padded
      .FmtSize(18)
      .ChunkBetween("LIST", std::vector<uint8_t>(27, 'x'))
      .ChunkBetween("fact", {4, 0, 0, 0})
      .Data(kSamples)
      .WriteTo(path);
  CWaveFile f;
  ASSERT_EQ(f.Open(0, path), 0) << b.Build().Describe();
  EXPECT_EQ(f.ReadData(), kSamples);
}

TEST_F(WaveFileRead, MissingChunksFailWithTheErrorAndCloseTheFile) {
  struct Case {
    const char* name;
    WavBuilder builder;
  };
  std::vector<Case> cases;
  cases.push_back({"data before fmt", WavBuilder().Data(kSamples).DataBeforeFmt()});
  cases.push_back({"no data", WavBuilder().NoData()});
  cases.push_back({"not WAVE", WavBuilder().Data(kSamples).FormType("AVI ")});
  cases.push_back({"RIFF too short for data", WavBuilder().Data(kSamples).RiffSize(4 + 24)});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host_.Clear();
    const std::string path = File("bad.wav");
    c.builder.WriteTo(path);
    CWaveFile f;
    EXPECT_EQ(f.Open(0, path), kWaveErrorChunkNotFound);
    EXPECT_FALSE(f.IsOpen());
    EXPECT_EQ(f.DataSize(), 0u);
    EXPECT_EQ(Messages(), Strings{"CWaveFile Error!"});
  }
}

TEST_F(WaveFileRead, ExpectationsAreCheckedInOrderAndZeroAcceptsAny) {
  const std::string path = File("22k.wav");
  WavBuilder().Format(22050, 1, 8).Data({128, 129}).WriteTo(path);
  {
    CWaveFile f(2, 44100, 16);
    EXPECT_EQ(f.Open(0, path), 1);
    EXPECT_TRUE(f.IsOpen());  // a mismatch leaves the file open
    f.Close();
  }
  {
    CWaveFile f(1, 22050, 16);
    EXPECT_EQ(f.Open(0, path), 1);
  }
  {
    CWaveFile f(2, 22050, 8);
    EXPECT_EQ(f.Open(0, path), 1);
  }
  EXPECT_EQ(Messages(), (Strings{"このサンプリングレートに対応していません。", "CWaveFile Error!",
                                 "このチャネル数に対応していません。"}));
  host_.Clear();
  CWaveFile any;
  ASSERT_EQ(any.Open(0, path), 0);
  EXPECT_EQ(any.SampleRate(), 22050);
  EXPECT_EQ(any.Channels(), 1);
  EXPECT_EQ(any.BitsPerSample(), 8);
  EXPECT_EQ(Messages(), Strings{});
}

TEST_F(WaveFileRead, SecondOpenFailsWith259AndKeepsTheFirstFile) {
  const std::string a = File("a.wav");
  const std::string b = File("b.wav");
  WavBuilder().Data(kSamples).WriteTo(a);
  WavBuilder().Data({9, 9, 9, 9}).WriteTo(b);
  CWaveFile f;
  ASSERT_EQ(f.Open(0, a), 0);
  EXPECT_EQ(f.Open(0, b), kWaveErrorCannotOpen);
  EXPECT_EQ(f.Open(1, b), kWaveErrorCannotOpen);
  EXPECT_TRUE(f.IsOpen());
  EXPECT_EQ(f.ReadData(), kSamples);
  EXPECT_EQ(Messages(), (Strings{"CWaveFile Error!", "CWaveFile Error!"}));
  EXPECT_EQ(ReadFileBytes(b).size(), 44u + 4u);  // untouched
}

TEST_F(WaveFileRead, UnreadableInputsGiveTheirMessages) {
  const std::string empty = File("empty.wav");
  WriteFileBytes(empty, "");
  const std::string truncated = File("truncated.wav");
  WriteFileBytes(truncated, WavBuilder().Data(kSamples).Build().Str().substr(0, 18));
  const std::string shortFmt = File("shortfmt.wav");
  WriteFileBytes(shortFmt,
                 WavBuilder().FmtSize(18).Data(kSamples).Build().Str().substr(0, 20 + 10));
  const std::string folder = File("folder.wav");
  mkdir(folder.c_str(), 0755);

  struct Case {
    std::string path;
    int result;
    std::string message;
  };
  const Case cases[] = {
      {"", kWaveErrorNotFound, "CWaveFile Error!"},
      {File("missing.wav"), kWaveErrorNotFound, "WAVEファイルが開けませんでした。"},
      {folder, kWaveErrorCannotOpen, "WAVEファイルが開けませんでした。"},
      {empty, kWaveErrorChunkNotFound, "CWaveFile Error!"},
      {truncated, kWaveErrorChunkNotFound, "CWaveFile Error!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    host_.Clear();
    CWaveFile f;
    EXPECT_EQ(f.Open(0, c.path), c.result);
    EXPECT_FALSE(f.IsOpen());
    EXPECT_EQ(Messages(), Strings{c.message});
  }
  // The format chunk claims 18 bytes, the file holds 10 of them: no "data"
  // can follow either, but the short read is what fails first.
  host_.Clear();
  CWaveFile f;
  EXPECT_EQ(f.Open(0, shortFmt), kWaveErrorCannotRead);
  EXPECT_EQ(Messages(), Strings{"CWaveFile Error!"});
}

TEST_F(WaveFileRead, DataSizePastTheEndIsCutToTheFile) {
  const std::string path = File("long.wav");
  WavBuilder().Data(kSamples).DataSize(0xFFFFFFF0u).RiffSize(0xFFFFFFFFu).WriteTo(path);
  CWaveFile f;
  ASSERT_EQ(f.Open(0, path), 0);
  EXPECT_EQ(f.DeclaredDataSize(), 0xFFFFFFF0u);
  EXPECT_EQ(f.DataSize(), kSamples.size());
  EXPECT_EQ(f.ReadData(), kSamples);
  std::vector<uint8_t> more(8);
  EXPECT_EQ(f.Read(more), 0u);
}

TEST_F(WaveFileWrite, ZeroBytesGiveThe46ByteHeaderWithRiffSize38) {
  const std::string path = File("empty.wav");
  CWaveFile f(2, 44100, 16);
  ASSERT_EQ(f.Open(1, path), 0);
  f.Close();
  const AnnotatedBytes expected = Wave46Header(44100, 2, 16, 0);
  EXPECT_EQ(Bytes(path), expected.Data()) << expected.Describe();
  EXPECT_EQ(Bytes(path)[4], 38);
  EXPECT_EQ(expected.Data()[28] | expected.Data()[29] << 8 | expected.Data()[30] << 16, 176400);
  EXPECT_EQ(expected.Data()[32], 4);  // block align
}

TEST_F(WaveFileWrite, OddDataGetsAPadByteAndTheSizesCountIt) {
  const std::string path = File("odd.wav");
  {
    CWaveFile f(1, 8000, 8);
    ASSERT_EQ(f.Open(1, path), 0);
    const std::vector<uint8_t> data = {1, 2, 3};
    EXPECT_EQ(f.Write(data), 3u);
    // The owner normally closes; destroying the object finishes it too.
  }
  AnnotatedBytes expected = Wave46Header(8000, 1, 8, 3);
  expected.Bytes("samples", std::vector<uint8_t>{1, 2, 3, 0});
  EXPECT_EQ(Bytes(path), expected.Data()) << expected.Describe();

  // Read back by the system's own reader.
  CWaveFile r;
  ASSERT_EQ(r.Open(0, path), 0);
  EXPECT_EQ(r.ReadData(), (std::vector<uint8_t>{1, 2, 3}));
}

TEST_F(WaveFileWrite, FailuresShowTheErrorAndLeaveTheObjectUsable) {
  CWaveFile f(2, 44100, 16);
  EXPECT_EQ(f.Open(1, File("no/such/folder/x.wav")), kWaveErrorCannotOpen);
  EXPECT_EQ(f.Open(1, ""), kWaveErrorNotFound);
  EXPECT_EQ(f.Write(kSamples), 0u);
  EXPECT_EQ(Messages(),
            (Strings{"CWaveFile Error! (" + SystemReason(ENOENT) + ")", "CWaveFile Error!"}));
  ASSERT_EQ(f.Open(1, File("ok.wav")), 0);
  EXPECT_EQ(f.Write(kSamples), kSamples.size());
  f.Close();
  f.Close();  // nothing open: nothing happens
  EXPECT_EQ(Bytes(File("ok.wav")).size(), 46u + kSamples.size());
}

TEST_F(WaveFileWrite, AFailedWriteSaysWhyAfterTheMessage) {
  // A full disk refuses the header.
  CWaveFile full(2, 44100, 16);
  EXPECT_EQ(full.Open(1, "/dev/full"), kWaveErrorCannotWrite);
  EXPECT_EQ(full.LastError(), ENOSPC);
  EXPECT_EQ(Messages(), Strings{"CWaveFile Error! (" + SystemReason(ENOSPC) + ")"});

  // A disk that fills up halfway: the samples come up short, and the reason
  // is kept for the caller's message.
  host_.Clear();
  CWaveFile half(2, 44100, 16);
  ASSERT_EQ(half.Open(1, File("half.wav")), 0);
  const std::vector<uint8_t> second(8192, 1);
  {
    FileSizeLimit limit(4096);
    EXPECT_LT(half.Write(second), second.size());
  }
  EXPECT_EQ(half.LastError(), EFBIG);
  EXPECT_TRUE(Messages().empty());
}

TEST(WaveImage, WritesThe44ByteHeaderAndNoPadByte) {
  TempFolder folder;
  ScriptedHost host;
  ScopedUi scope(host);
  const std::vector<uint8_t> samples = {1, 2, 3, 4, 5, 6, 7};
  CWaveImage image;
  image.SetFormat(1, 11025, 11025 * 3, 3, 24);
  image.BorrowSamples(samples, 2);  // 1 x 24 x 2 / 8 = 6 bytes of 7
  EXPECT_EQ(image.DataLength(), 6u);
  EXPECT_EQ(image.FileLength(), 50u);
  ASSERT_TRUE(image.Write(folder.File("i.wav")));
  AnnotatedBytes expected;
  expected.Text("RIFF id", "RIFF")
      .U32LE("RIFF size", 42)
      .Text("form type", "WAVE")
      .Text("fmt id", "fmt ")
      .U32LE("fmt size", 16)
      .U16LE("format tag", 1)
      .U16LE("channels", 1)
      .U32LE("samples per second", 11025)
      .U32LE("average bytes per second", 33075)
      .U16LE("block align", 3)
      .U16LE("bits per sample", 24)
      .Text("data id", "data")
      .U32LE("data size", 6)
      .Bytes("samples", std::vector<uint8_t>{1, 2, 3, 4, 5, 6});
  const std::string written = ReadFileBytes(folder.File("i.wav"));
  EXPECT_EQ(std::vector<uint8_t>(written.begin(), written.end()), expected.Data())
      << expected.Describe();

  EXPECT_FALSE(image.Write(folder.File("missing/i.wav")));
  EXPECT_EQ(host.Messages(), std::vector<std::string>{"ファイルが開けませんでした。"});
}

}  // namespace
}  // namespace crx::test
