#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <map>

#include "audio/CWaveFile.h"
#include "audio/MixSong.h"
#include "audio/SampleSteps.h"
#include "foundation/SystemReason.h"
#include "support/audio/AudioTestFixture.h"
#include "support/audio/CWaveInsert.h"
#include "support/audio/CWaveMix.h"
#include "support/audio/WavBuilder.h"

namespace crx::test {
namespace {

using Strings = std::vector<std::string>;
using Frames = std::vector<StereoFrame>;

// Frames of a noise-like signal.
Frames Signal(size_t frames, uint32_t seed, int amplitude = 12000) {
  const std::vector<int16_t> s = TestSignal(frames, seed, amplitude);
  Frames out;
  for (size_t i = 0; i < s.size(); i += 2) out.emplace_back(s[i], s[i + 1]);
  return out;
}

Frames Impulse(size_t frames, size_t at, int16_t value) {
  Frames out(frames, {0, 0});
  out[at] = {value, static_cast<int16_t>(-value / 2)};
  return out;
}

// A soft start: the trimming starts at the (3, 0) frame, and a start that
// quiet lets it cut a quiet end.
Frames SoftStart() { return {{0, 0}, {-4, 0}, {3, 0}}; }

struct Case {
  Case(std::string n, std::vector<uint8_t> v, std::vector<uint8_t> a, MixSettings s,
       uint32_t t = 6250, std::string program = "")
      : name(std::move(n)),
        vocal(std::move(v)),
        accompaniment(std::move(a)),
        settings(s),
        tempo(t),
        voiceProgram(std::move(program)) {}
  std::string name;
  std::vector<uint8_t> vocal;  // sample bytes
  std::vector<uint8_t> accompaniment;
  MixSettings settings;
  uint32_t tempo = 6250;  // lead-in 100 ms: 4410 frames
  std::string voiceProgram;
};

class MixSongTest : public AudioTest {
 protected:
  void SetUp() override {
    vocal_ = File("vocal.wav");
    acc_ = File("acc.wav");
    out_ = File("mix.wav");
  }

  // The mix as the whole-file steps compose it, on copies of the inputs:
  // the reference that MixSong must match byte for byte.
  std::vector<uint8_t> NaiveMix(const Case& c) {
    const std::string v = File("ref_vocal.wav");
    const std::string a = File("ref_acc.wav");
    const std::string t = File("ref_acc_tmp.wav");
    const std::string m = File("ref_mix.wav");
    std::filesystem::copy_file(vocal_, v, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::copy_file(acc_, a, std::filesystem::copy_options::overwrite_existing);
    const MixSettings& s = c.settings;
    ApplyVolumeAndReverb(v, s.vocalReverb, s.vocalVolume / 100.0);
    ApplyVolumeAndReverb(a, s.accompanimentReverb, s.accompanimentVolume / 100.0);
    CWaveInsert(a, t, LeadInMilliseconds(c.tempo, c.voiceProgram));
    CWaveMix(v, t, m);
    ApplyVolumeAndReverb(m, s.mixReverb, s.mixVolume / 100.0);
    std::vector<uint8_t> data;
    {
      CWaveFile in;
      in.Open(CWaveFile::kModeRead, m);
      data = in.ReadData();
      in.Close();
    }
    TrimSilence(data);
    CWaveFile out(2, 44100, 16);
    out.Open(CWaveFile::kModeWrite, m);
    out.Write(data);
    out.Close();
    const std::vector<uint8_t> bytes = Bytes(m);
    for (const std::string& p : {v, a, t, m}) std::filesystem::remove(p);
    return bytes;
  }

  void WriteInputs(const Case& c) {
    WavBuilder().Data(c.vocal).WriteTo(vocal_);
    WavBuilder().Data(c.accompaniment).WriteTo(acc_);
  }

  // Every file of the test's folder and its bytes.
  std::map<std::string, std::vector<uint8_t>> Folder() const {
    std::map<std::string, std::vector<uint8_t>> out;
    for (const auto& e : std::filesystem::directory_iterator(folder_.Path())) {
      if (e.is_regular_file()) out[e.path().filename()] = Bytes(e.path());
    }
    return out;
  }

  // Runs the mix in a child process, which drops root's rights when asked
  // and may write files only up to a size limit (the disk seems full).
  // Returns the mix's result and messages.
  std::pair<bool, Strings> MixInChild(bool asNobody, rlim_t fileSizeLimit) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return {true, {}};
    const pid_t pid = fork();
    if (pid == 0) {
      close(pipeFds[0]);
      if (asNobody && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
      if (fileSizeLimit != RLIM_INFINITY) {
        signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG
        const rlimit limit{fileSizeLimit, fileSizeLimit};
        setrlimit(RLIMIT_FSIZE, &limit);
      }
      host_.Clear();
      const bool mixed = MixSong(vocal_, acc_, out_, MixSettings{}, 500000, "");
      std::string text;
      for (const std::string& m : Messages()) text += m + "\n";
      if (write(pipeFds[1], text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        _exit(3);
      }
      _exit(mixed ? 0 : 1);
    }
    close(pipeFds[1]);
    std::string text;
    char buffer[256];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    Strings messages;
    for (size_t b = 0, e; (e = text.find('\n', b)) != std::string::npos; b = e + 1) {
      messages.push_back(text.substr(b, e - b));
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 3);
    return {WIFEXITED(status) && WEXITSTATUS(status) == 0, messages};
  }

  std::string vocal_, acc_, out_;
};

TEST_F(MixSongTest, MatchesTheWholeFileStepsSampleForSample) {
  const size_t kBlock = kMixBlockFrames;
  const std::vector<Case> cases = {
      {"shares", FrameBytes(Signal(6000, 1)), FrameBytes(Signal(3000, 2)), {50, 200, 150, 0, 0, 0}},
      {"silent shares",
       FrameBytes(Signal(3000, 3)),
       FrameBytes(Signal(3000, 4)),
       {0, 100, 100, 0, 0, 0}},
      {"vocal reverb 1",
       FrameBytes(Signal(5000, 5)),
       FrameBytes(Signal(900, 6)),
       {100, 100, 100, 1, 0, 0}},
      {"accompaniment reverb 2",
       FrameBytes(Signal(5000, 7)),
       FrameBytes(Signal(900, 8)),
       {100, 100, 100, 0, 2, 0}},
      {"mix reverb 3",
       FrameBytes(Signal(5000, 9)),
       FrameBytes(Signal(900, 10)),
       {100, 100, 100, 0, 0, 3}},
      {"reverbs 7, 17, 32",
       FrameBytes(Signal(9000, 11)),
       FrameBytes(Signal(4000, 12)),
       {80, 120, 100, 7, 17, 32}},
      {"lead-in longer than the vocal",
       FrameBytes(Signal(2000, 13)),
       FrameBytes(Signal(500, 14)),
       {100, 100, 100, 2, 2, 2}},
      {"vocal longer than the delayed accompaniment",
       FrameBytes(Signal(12000, 15)),
       FrameBytes(Signal(1000, 16)),
       {100, 100, 100, 0, 4, 0}},
      {"no lead-in for the converter",
       FrameBytes(Signal(3000, 17)),
       FrameBytes(Signal(5000, 18)),
       {100, 100, 100, 1, 0, 1},
       6250,
       "/opt/Lumivoce/LumivoceConv"},
      {"saturation",
       FrameBytes(Signal(5000, 19, 30000)),
       FrameBytes(Signal(5000, 20, 30000)),
       {200, 200, 200, 32, 32, 32},
       0},
      {"ends in silence",
       FrameBytes(Join({SoftStart(), Signal(3000, 21), Repeat({0, 0}, 3000)})),
       FrameBytes(Join({Repeat({1, -1}, 100), Signal(900, 22), Repeat({2, 2}, 400)})),
       {100, 100, 100, 0, 0, 0}},
      {"ends in sound",
       FrameBytes(Join({Repeat({0, 0}, 500), SoftStart(), Signal(3000, 23)})),
       FrameBytes(Repeat({0, 0}, 1000)),
       {100, 100, 100, 0, 0, 0},
       0},
      {"half a frame at the end of the vocal",
       [] {
         std::vector<uint8_t> b = FrameBytes(Signal(5000, 24));
         b.push_back(0x34);
         b.push_back(0x92);
         return b;
       }(),
       FrameBytes(Signal(1000, 25)),
       {50, 100, 100, 1, 0, 0}},
      {"empty inputs", {}, {}, {100, 100, 100, 3, 3, 3}},
      {"reverb tail across a block boundary",
       FrameBytes(Impulse(kBlock + 4000, kBlock - 10, 9000)),
       {},
       {100, 100, 100, 0, 0, 32},
       0},
      {"trimmed silence across a block boundary",
       FrameBytes(Join({SoftStart(), Signal(kBlock - 30, 26), Repeat({0, 0}, kBlock)})),
       {},
       {100, 100, 100, 0, 0, 0},
       0},
      {"a pause across a block boundary",
       FrameBytes(
           Join({SoftStart(), Signal(kBlock - 30, 27), Repeat({0, 0}, 200), Signal(100, 28)})),
       {},
       {100, 100, 100, 0, 0, 0},
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteInputs(c);
    const std::vector<uint8_t> vocalBefore = Bytes(vocal_);
    const std::vector<uint8_t> accBefore = Bytes(acc_);
    const std::vector<uint8_t> expected = NaiveMix(c);
    ASSERT_GE(expected.size(), 46u);
    const size_t frames = std::max(c.vocal.size(), c.accompaniment.size()) / 4;
    std::vector<size_t> blocks = {7, 1000, kMixBlockFrames};
    if (frames < 7000) blocks.push_back(1);
    for (size_t block : blocks) {
      SCOPED_TRACE(block);
      ASSERT_TRUE(MixSongInBlocks(vocal_, acc_, out_, c.settings, c.tempo, c.voiceProgram, block));
      EXPECT_EQ(Bytes(out_), expected);
    }
    EXPECT_EQ(Bytes(vocal_), vocalBefore);
    EXPECT_EQ(Bytes(acc_), accBefore);
  }
  EXPECT_EQ(Messages(), Strings{});
}

TEST_F(MixSongTest, InputsStayAsTheyWereAndASecondMixGivesTheSameFile) {
  const Case c{
      "", FrameBytes(Signal(20000, 31)), FrameBytes(Signal(20000, 32)), {150, 60, 90, 5, 9, 13}};
  WriteInputs(c);
  const auto before = Folder();
  ASSERT_TRUE(MixSong(vocal_, acc_, out_, c.settings, 500000, ""));
  const std::vector<uint8_t> first = Bytes(out_);
  ASSERT_TRUE(MixSong(vocal_, acc_, out_, c.settings, 500000, ""));
  EXPECT_EQ(Bytes(out_), first);
  auto after = Folder();
  after.erase("mix.wav");
  EXPECT_EQ(after, before);  // no temporary file left behind either
  // The output has the header of a written file and a whole number of frames.
  EXPECT_EQ(std::vector<uint8_t>(first.begin(), first.begin() + 46),
            Wave46Header(44100, 2, 16, static_cast<uint32_t>(first.size() - 46)).Data());
  EXPECT_EQ((first.size() - 46) % 4, 0u);
  EXPECT_EQ(Messages(), Strings{});
}

TEST_F(MixSongTest, BadInputsWriteNothingAndLoseNothing) {
  struct Bad {
    std::string name;
    std::function<void()> make;
    Strings messages;
  };
  const std::vector<uint8_t> good = FrameBytes(Signal(2000, 41));
  const Strings refused = {"CWaveFile Error!", "CWaveMix"};
  const std::vector<Bad> cases = {
      {"22050 Hz",
       [&] { WavBuilder().Format(22050, 2, 16).Data(good).WriteTo(vocal_); },
       {"このサンプリングレートに対応していません。", "CWaveMix"}},
      {"mono",
       [&] { WavBuilder().Format(44100, 1, 16).Data(good).WriteTo(acc_); },
       {"このチャネル数に対応していません。", "CWaveMix"}},
      {"8 bits", [&] { WavBuilder().Format(44100, 2, 8).Data(good).WriteTo(acc_); }, refused},
      {"odd data size",
       [&] {
         std::vector<uint8_t> odd = good;
         odd.pop_back();
         WavBuilder().Data(odd).WriteTo(vocal_);
       },
       refused},
      {"data chunk longer than the file",
       [&] { WavBuilder().Data(good).DataSize(8004).WriteTo(acc_); }, refused},
      {"missing vocal",
       [&] { std::filesystem::remove(vocal_); },
       {"WAVEファイルが開けませんでした。", "CWaveMix"}},
      {"output is the vocal", [&] { out_ = vocal_; }, {"同じファイル名は使用できません。"}},
      {"output is the accompaniment by another path",
       [&] { out_ = folder_.Path() + "/./acc.wav"; },
       {"同じファイル名は使用できません。"}},
      {"output folder missing",
       [&] { out_ = File("none/mix.wav"); },
       {"CWaveFile Error! (" + SystemReason(ENOENT) + ")"}},
  };
  for (const Bad& b : cases) {
    SCOPED_TRACE(b.name);
    host_.Clear();
    out_ = File("mix.wav");
    WavBuilder().Data(good).WriteTo(vocal_);
    WavBuilder().Data(good).WriteTo(acc_);
    WavBuilder().Data({1, 2, 3, 4}).WriteTo(out_);  // an older mix
    b.make();
    const auto before = Folder();
    EXPECT_FALSE(MixSong(vocal_, acc_, out_, MixSettings{}, 500000, ""));
    EXPECT_EQ(Folder(), before);
    EXPECT_EQ(Messages(), b.messages);
  }
  EXPECT_FALSE(std::filesystem::exists(File("none")));
}

TEST_F(MixSongTest, AFailedWriteKeepsTheOlderMix) {
  WavBuilder().Data(FrameBytes(Signal(44100, 51))).WriteTo(vocal_);
  WavBuilder().Data(FrameBytes(Signal(44100, 52))).WriteTo(acc_);
  WavBuilder().Data({1, 2, 3, 4}).WriteTo(out_);

  // A full disk: the file-size limit stops the output at 64 KB of 1.6 MB.
  const auto before = Folder();
  auto [mixed, messages] = MixInChild(false, 64 * 1024);
  EXPECT_FALSE(mixed);
  // Each says why after the message.
  EXPECT_EQ(messages, Strings{"CWaveFile Error! (" + SystemReason(EFBIG) + ")"});
  EXPECT_EQ(Folder(), before);

  // A folder that the mix may not write in.
  ASSERT_EQ(chmod(folder_.Path().c_str(), 0555), 0);
  std::tie(mixed, messages) = MixInChild(true, RLIM_INFINITY);
  chmod(folder_.Path().c_str(), 0700);
  EXPECT_FALSE(mixed);
  EXPECT_EQ(messages, Strings{"CWaveFile Error! (" + SystemReason(EACCES) + ")"});
  EXPECT_EQ(Folder(), before);

  // Without the limits the same mix succeeds.
  ASSERT_EQ(chmod(folder_.Path().c_str(), 0777), 0);
  std::tie(mixed, messages) = MixInChild(true, RLIM_INFINITY);
  EXPECT_TRUE(mixed);
  EXPECT_EQ(messages, Strings{});
  EXPECT_NE(Bytes(out_), before.at("mix.wav"));
}

}  // namespace
}  // namespace crx::test
