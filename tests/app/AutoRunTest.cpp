#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <cmath>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/CCantorixDlg.h"
#include "foundation/FixedField.h"
#include "platform/Process.h"
#include "support/audio/AudioSamples.h"
#include "support/karaoke/XfFileBuilder.h"
#include "support/platform/ScriptedHost.h"
#include "support/platform/TempFolder.h"
#include "support/workflow/StandInStart.h"

extern char** environ;

namespace crx {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;
using Dlg = CCantorixDlg;

const std::string kStandInSinger = std::string(CRX_SOURCE_DIR) + "/tests/tools/standin_singer.py";
constexpr int kRate = 44100;

// The samples of a WAV's data chunk, left channel only.
std::vector<int16_t> LeftChannel(const std::string& path) {
  const std::string bytes = test::ReadFileBytes(path);
  const size_t data = bytes.find("data", 12);
  if (data == std::string::npos || data + 8 > bytes.size()) return {};
  std::vector<uint8_t> raw(bytes.begin() + static_cast<std::ptrdiff_t>(data + 8), bytes.end());
  std::vector<int16_t> all = test::SamplesOf(raw);
  std::vector<int16_t> left;
  for (size_t i = 0; i < all.size(); i += 2) left.push_back(all[i]);
  return left;
}

// Strength of one frequency in a stretch of samples (Goertzel), relative to
// full scale.
double Strength(const std::vector<int16_t>& s, size_t from, size_t count, double hz) {
  const double k = 2 * std::cos(2 * M_PI * hz / kRate);
  double a = 0, b = 0;
  for (size_t i = from; i < from + count && i < s.size(); ++i) {
    const double x = s[i] / 32768.0;
    const double c = x + k * a - b;
    b = a;
    a = c;
  }
  return std::sqrt(a * a + b * b - k * a * b) / static_cast<double>(count);
}

// A start folder with the shipped companions, the real renderer and
// stand-in programs; a karaoke song in a folder of its own; the working
// folder in a temporary configuration home.
struct AutoRunTest : ::testing::Test, test::StandInStart {
  AutoRunTest() : StandInStart({"kanji.csv", "english.csv", "white.bmp", "TunepressCRX"}) {
    fs::create_symlink(kStandInSinger, start.File("CantorixSinger"));
    Program("lame", "cp \"$1\" \"$2\"");
    Program("Lyricreel", ": > \"$3\"");
    // The melody's first note (C6) and a low piano note (C3) share tick 480.
    test::XfFileBuilder song;
    song.GmReset().MasterVolume(0, 127).Tempo(0, 500000).Program(0, 1, 0).Note(480, 1, 48, 110,
                                                                               1800);
    for (int i = 0; i < 4; ++i) song.Note(480 + i * 480, 0, 84, 100, 460);
    song.LyricsUtf8(480, 480, {"さ", "く", "ら", "よ"});
    karaoke = song.WriteTo(songs.File("song.mid"));
  }
  ~AutoRunTest() override { dialog.reset(); }
  Dlg& Open(int mode) {
    ProgramLocations where{start.Path(), {start.File("CantorixSinger")}, {start.File("lame")}, {}};
    dialog = std::make_unique<Dlg>(OutsidePrograms(where, ProgramWaits{3000, 3000, 20, 50}));
    dialog->OnInitDialog();
    dialog->SelectMode(mode);
    return *dialog;
  }
  // Clicks the full-auto button and waits for the run's end.
  void Run(const std::string& karaokePath) {
    host.AnswerFile(karaokePath);
    ASSERT_TRUE(dialog->IsEnabled(Dlg::kFullAutoId));
    dialog->Click(Dlg::kFullAutoId);
    dialog->WaitForWorker();
  }
  bool Exists(const std::string& name) const { return fs::exists(songs.File(name)); }
  // What the run told the user: its messages, then the list of what it made
  // under "処理が終了しました。".
  static constexpr const char* kList = "[list]";
  std::vector<std::string> Told() const {
    std::vector<std::string> told;
    for (const ScriptedHost::Record& r : host.Records()) {
      if (r.kind == ScriptedHost::Kind::Message) told.push_back(r.text);
      if (r.kind == ScriptedHost::Kind::Dialog && r.text == "CResultDlg") told.push_back(kList);
    }
    return told;
  }

  TempFolder songs;
  ScriptedHost host;
  ScopedUi scope{host};
  std::string karaoke;
  std::unique_ptr<Dlg> dialog;
};

TEST_F(AutoRunTest, ModeWavEndsWithTheMixInTimeAndOnlyIt) {
  Dlg& d = Open(Workflow::kWav);
  Run(karaoke);
  EXPECT_EQ(Told(), std::vector<std::string>{kList});
  EXPECT_TRUE(d.IsEnabled(Dlg::kFullAutoId));
  EXPECT_EQ(d.StatusLine(), "");
  ASSERT_TRUE(Exists("song.wav"));
  // The default delete flags take every intermediate file away.
  for (const char* gone : {"out.mid", "out.wav", "acc.wav", "song_tmp.mid"}) {
    EXPECT_FALSE(Exists(gone)) << gone;
  }
  // The mix starts where the song's first sound is: the melody's tone and
  // the piano note of the same tick are both there within 60 ms.
  const std::vector<int16_t> mix = LeftChannel(songs.File("song.wav"));
  ASSERT_GT(mix.size(), static_cast<size_t>(kRate));
  const size_t window = kRate / 50;
  const double voiceEarly = Strength(mix, window, window, 1046.5);
  const double voiceLate = Strength(mix, kRate / 2 + window, window, 1046.5);
  EXPECT_GT(voiceEarly, 0.01) << "no voice at the start of the mix";
  EXPECT_GT(voiceLate, 0.01);
  EXPECT_GT(Strength(mix, window, window * 2, 130.8), 0.0005) << "no piano at the start";

  // A second run in the same folder overwrites everything cleanly.
  const auto firstSize = fs::file_size(songs.File("song.wav"));
  Run(karaoke);
  EXPECT_EQ(fs::file_size(songs.File("song.wav")), firstSize);
  EXPECT_FALSE(Exists("out.mid"));
}

TEST_F(AutoRunTest, RefusalsAndFailuresStopWithTheirMessageAndFinishedLast) {
  Dlg& d = Open(Workflow::kWav);
  // acc.mid would mix into the accompaniment's own acc.wav.
  fs::copy_file(karaoke, songs.File("acc.mid"));
  Run(songs.File("acc.mid"));
  EXPECT_EQ(Told(), (std::vector<std::string>{
                        "同じファイル名は使用できません。\n" + songs.File("acc.wav"), kList}));
  EXPECT_FALSE(Exists("out.mid"));
  EXPECT_TRUE(d.IsEnabled(Dlg::kFullAutoId));

  // A singer that writes nothing.
  host.Clear();
  Program("CantorixSinger", "exit 0");
  Run(karaoke);
  EXPECT_EQ(Told(), (std::vector<std::string>{songs.File("out.wav") + "がありません。", kList}));
  EXPECT_TRUE(Exists("out.mid"));  // what was made remains
  EXPECT_FALSE(Exists("song.wav"));
  EXPECT_TRUE(d.IsEnabled(Dlg::kFullAutoId));

  // The karaoke dialog cancelled: nothing but the final message.
  host.Clear();
  host.AnswerFile(std::nullopt);
  d.Click(Dlg::kFullAutoId);
  d.WaitForWorker();
  EXPECT_EQ(Told(), std::vector<std::string>{kList});
}

TEST_F(AutoRunTest, Mp3ModeWithoutEncoderKeepsTheMixAndDeleteFlagsCanTakeTheResult) {
  Dlg& d = Open(Workflow::kMp3);
  WriteFixedField(d.Settings().mp3EncoderPath, "");
  Run(karaoke);
  EXPECT_EQ(Told(), std::vector<std::string>{kList});
  EXPECT_TRUE(Exists("song.wav"));
  EXPECT_FALSE(Exists("song.mp3"));
  EXPECT_TRUE(Exists("out.mid"));  // stopped before the deletions

  host.Clear();
  d.SelectMode(Workflow::kWav);
  d.Settings().deleteMixedWav = 1;
  Run(karaoke);
  EXPECT_FALSE(Exists("song.wav"));
  EXPECT_FALSE(Exists("out.mid"));
}

TEST_F(AutoRunTest, VideoModeWaitsForAVideoThatComesLate) {
  Dlg& d = Open(Workflow::kVideo);
  Program("Lyricreel", "(sleep 0.4; : > \"$3\") >/dev/null 2>&1 &");
  host.AnswerDialog([](DialogModel&) { return DialogResult::Ok; });
  Run(karaoke);
  EXPECT_EQ(Told(), std::vector<std::string>{kList});
  EXPECT_TRUE(Exists("song.wmv"));
  EXPECT_EQ(d.Flow().VideoPath(), songs.File("song.wmv"));

  host.Clear();
  Program("Lyricreel", "exit 0");
  fs::remove(songs.File("song.wmv"));
  host.AnswerDialog([](DialogModel&) { return DialogResult::Ok; });
  Run(karaoke);
  EXPECT_EQ(Told(),
            (std::vector<std::string>{songs.File("song.wmv") + "の生成に失敗しました。", kList}));
}

// The headless command, as a user runs it.
struct AutoCommandTest : AutoRunTest {
  int Cantorix(const std::string& arguments, std::string* out = nullptr) {
    const std::string command = "XDG_CONFIG_HOME=" + test::ShellQuote(config.Path()) + " " +
                                test::ShellQuote(std::string(CRX_START_FOLDER) + "/Cantorix") +
                                " auto " + arguments + " >" +
                                test::ShellQuote(songs.File("stdout")) + " 2>" +
                                test::ShellQuote(songs.File("stderr"));
    const int status = std::system(command.c_str());
    if (out) *out = test::ReadFileBytes(songs.File("stdout"));
    errors = test::ReadFileBytes(songs.File("stderr"));
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string errors;
};

TEST_F(AutoCommandTest, Mp3OfASongInAFolderWithBlanksQuotesAndJapanese) {
  const std::string folder = songs.File("うた の 'フォルダ' \"1\"");
  fs::create_directory(folder);
  fs::copy_file(karaoke, folder + "/ふるさと song.mid");
  std::string out;
  ASSERT_EQ(Cantorix("--mode mp3 --singer " + test::ShellQuote(kStandInSinger) + " " +
                         test::ShellQuote(folder + "/ふるさと song.mid"),
                     &out),
            0)
      << errors;
  EXPECT_EQ(out, folder + "/ふるさと song.mp3\n");
  EXPECT_NE(errors.find("処理が終了しました。"), std::string::npos);
  EXPECT_NE(errors.find(Dlg::kRows[5].description), std::string::npos);  // the mix step
  EXPECT_FALSE(fs::exists(folder + "/out.wav"));
  // A headless run leaves the settings file as it was: here, absent.
  EXPECT_FALSE(fs::exists(config.File("CRXWAV/crx_setup.ini")));
}

TEST_F(AutoCommandTest, BadInputGivesStatusOne) {
  EXPECT_EQ(Cantorix("--mode ogg x.mid"), 1);
  EXPECT_NE(errors.find("--mode is wav, mp3 or wmv"), std::string::npos);
  for (const char* loudness : {"3", "-50", "loud", "-16x", ""}) {
    EXPECT_EQ(Cantorix("--loudness '" + std::string(loudness) + "' " + test::ShellQuote(karaoke)),
              1)
        << loudness;
    EXPECT_NE(errors.find("--loudness takes off or LUFS from -40 to -6"), std::string::npos);
  }
  EXPECT_EQ(Cantorix("--singer /nonexistent/singer " + test::ShellQuote(karaoke)), 1);
  EXPECT_NE(errors.find("歌声合成のための外部プログラムを指定してください。"), std::string::npos);
  test::WriteFileBytes(songs.File("crash.sh"), "#!/bin/sh\nkill -SEGV $$\n");
  fs::permissions(songs.File("crash.sh"), fs::perms::owner_all);
  EXPECT_EQ(Cantorix("--singer " + test::ShellQuote(songs.File("crash.sh")) + " " +
                     test::ShellQuote(karaoke)),
            1);
  EXPECT_NE(errors.find("out.wavがありません。"), std::string::npos) << errors;
  test::WriteFileBytes(songs.File("empty.mid"), "MThd");
  EXPECT_EQ(Cantorix("--singer " + test::ShellQuote(kStandInSinger) + " " +
                     test::ShellQuote(songs.File("empty.mid"))),
            1);
  EXPECT_NE(errors.find("処理が終了しました。"), std::string::npos);
}

// Ctrl-C or a SIGTERM while each outside program works: the program is
// stopped, the run's files go, and only the karaoke file and whole products
// stay. The command runs from a start folder of its own, so that its
// renderer, encoder and video maker are slow stand-ins.
TEST_F(AutoCommandTest, ASignalStopsTheRunAndItsProgramAndLeavesOnlyWholeProducts) {
  fs::copy_file(std::string(CRX_START_FOLDER) + "/Cantorix", start.File("Cantorix"));
  const TempFolder marks;
  const std::string pids = marks.File("pids");
  // A stand-in notes its id and its child's, says it has started, writes
  // part of its file and works on.
  const auto slow = [&](const std::string& name, const std::string& out) {
    return "echo $$ >> " + test::ShellQuote(pids) + "\necho part > " + out +
           "\nsleep 30 &\necho $! >> " + test::ShellQuote(pids) + "\n: > " +
           test::ShellQuote(marks.File(name)) + "\nwait";
  };
  const std::string voice = test::ShellQuote(marks.File("voice.wav"));
  const auto quick = [&](const std::string& name) {
    if (name == "TunepressCRX") return "cp " + voice + " \"$2\"";
    if (name == "lame") return std::string("cp \"$1\" \"$2\"");
    if (name == "Lyricreel") return std::string(": > \"$3\"");
    return "cp " + voice + " \"${1%.*}.wav\"";
  };
  struct Case {
    std::string program;
    std::string out;
    const char* mode;
    int signal;
    std::set<std::string> left;
  };
  const Case cases[] = {
      {"CantorixSinger", "\"${1%.*}.wav\"", "mp3", SIGINT, {"song.mid"}},
      {"TunepressCRX", "\"$2\"", "mp3", SIGTERM, {"song.mid"}},
      {"lame", "\"$2\"", "mp3", SIGINT, {"song.mid", "song.wav"}},
      {"Lyricreel", "\"$3\"", "wmv", SIGINT, {"song.mid", "song.wav"}},
  };
  const std::string names[] = {"CantorixSinger", "TunepressCRX", "lame", "Lyricreel"};
  // A voice to mix: the stand-in singer's own output.
  ASSERT_EQ(
      Cantorix("--singer " + test::ShellQuote(kStandInSinger) + " " + test::ShellQuote(karaoke)), 0)
      << errors;
  fs::rename(songs.File("song.wav"), marks.File("voice.wav"));
  // Only the karaoke file to start from (this renderer still leaves its AIFF).
  for (const char* other : {"acc.aiff", "stdout", "stderr"}) fs::remove(songs.File(other));

  for (const Case& c : cases) {
    SCOPED_TRACE(c.program);
    for (const std::string& name : names)
      Program(name, name == c.program ? slow(name, c.out) : quick(name));
    fs::remove(pids);
    const std::vector<std::string> args = {
        start.File("Cantorix"),       "auto", "--mode", c.mode, "--singer",
        start.File("CantorixSinger"), karaoke};
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, songs.File("stderr").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    const auto begin = std::chrono::steady_clock::now();
    while (!fs::exists(marks.File(c.program)) &&
           std::chrono::steady_clock::now() - begin < std::chrono::seconds(30)) {
      SleepMs(20);
    }
    ASSERT_TRUE(fs::exists(marks.File(c.program))) << test::ReadFileBytes(songs.File("stderr"));
    kill(pid, c.signal);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(20));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + c.signal);
    // Every stand-in and its child have ended (a zombie awaits its adopter).
    const std::string started = test::ReadFileBytes(pids);
    std::istringstream ids(started);
    for (std::string id; std::getline(ids, id);) {
      const std::string stat = test::ReadFileBytes("/proc/" + id + "/stat");
      const size_t state = stat.rfind(") ");
      EXPECT_TRUE(state == std::string::npos || stat[state + 2] == 'Z') << id;
    }
    std::set<std::string> left;
    for (const auto& e : fs::directory_iterator(songs.Path())) {
      if (e.path().filename() != "stderr") left.insert(e.path().filename().string());
    }
    EXPECT_EQ(left, c.left);
    fs::remove(songs.File("song.wav"));
    fs::remove(marks.File(c.program));
  }
}

}  // namespace
}  // namespace crx
