#include "workflow/Workflow.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <future>
#include <set>
#include <string>
#include <vector>

#include "audio/MixSettings.h"
#include "foundation/FixedField.h"
#include "karaoke/XfKaraokeData.h"
#include "platform/Process.h"
#include "support/audio/WavBuilder.h"
#include "support/karaoke/XfFileBuilder.h"
#include "support/platform/ScriptedHost.h"
#include "support/platform/TempFolder.h"
#include "support/workflow/StandInStart.h"

namespace crx {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// The manual button table: "x<next> r<redo steps> e<edit step>", or
// "busy" while a step works.
std::string Table(const StepMachine& m) {
  if (m.Working()) return "busy";
  std::string x = "x", r = " r", e = " e";
  for (int i = 0; i < kStepCount; ++i) {
    const char digit = static_cast<char>('1' + i);
    if (m.CanExecute(StepAt(i))) x += digit;
    if (m.CanRedo(StepAt(i))) r += digit;
    if (m.CanEdit(StepAt(i))) e += digit;
  }
  return x + r + e;
}

TEST(StepMachine, TheButtonTableFollowsFromTheTransitions) {
  StepMachine m;
  EXPECT_EQ(Table(m), "x1 r e");
  EXPECT_FALSE(m.Midway());
  m.Begin(Step::Load);
  EXPECT_EQ(Table(m), "busy");
  EXPECT_FALSE(m.CanStart(Step::Load));
  // Each outcome, and the table it leaves ("" where it is not checked).
  // A failed accompaniment takes the voice's edit away; a failed mix keeps
  // the accompaniment's.
  struct Transition {
    bool ok;
    Step step;
    const char* table;
  };
  const Transition walk[] = {
      {true, Step::Load, "x2 r1 e"},
      {true, Step::Lyrics, ""},
      {true, Step::VocalMidi, "x4 r123 e"},
      {false, Step::Voice, "x4 r123 e"},
      {true, Step::Voice, "x5 r1234 e4"},
      {false, Step::Accompaniment, "x5 r1234 e"},
      {true, Step::Accompaniment, ""},
      {false, Step::Mix, "x6 r12345 e5"},
      {true, Step::Mix, "x7 r123456 e6"},
      {false, Step::Mp3, "x7 r123456 e"},
      {true, Step::Mp3, ""},
      {false, Step::Video, "x8 r1234567 e"},
      {true, Step::Video, "x9 r12345678 e"},
  };
  for (const Transition& t : walk) {
    t.ok ? m.Succeeded(t.step) : m.Failed(t.step);
    if (*t.table != '\0') {
      EXPECT_EQ(Table(m), t.table) << IndexOf(t.step);
    }
    EXPECT_TRUE(m.Midway());
  }
  m.Succeeded(Step::Remove);
  EXPECT_EQ(Table(m), "x1 r e");
  EXPECT_FALSE(m.Midway());
  // A redone step 1 after step 5 starts over from step 2.
  for (int i = 0; i < 5; ++i) m.Succeeded(StepAt(i));
  m.Succeeded(Step::Load);
  EXPECT_EQ(Table(m), "x2 r1 e");

  // The automatic modes: no step by hand, the run once at a time.
  m.SetAutomatic(true);
  EXPECT_EQ(Table(m), "x r e");
  EXPECT_TRUE(m.CanRunAutomatically());
  m.BeginAutomaticRun();
  EXPECT_FALSE(m.CanRunAutomatically());
  m.EndAutomaticRun();
  m.SetAutomatic(false);
  EXPECT_EQ(Table(m), "x1 r e");
  EXPECT_FALSE(m.CanRunAutomatically());
}

// Answers the workflow's questions from a script, and notes what it was
// asked.
struct ScriptUser : WorkflowUser {
  std::optional<std::string> KaraokeFile() override { return Next("karaoke"); }
  bool MelodyRange(crx::MelodyRange& range) override {
    asked.push_back("range");
    range.lowest += octaves * 12;
    range.highest += octaves * 12;
    return true;
  }
  void ReviewLyrics(LyricsReview& review) override {
    asked.push_back("review");
    std::vector<std::string> lines;
    VocalPipeline::ConvertLyrics(review.song, review.vocaloid, review.melodyChannel,
                                 review.dictionaryFolder, lines);
  }
  std::optional<std::string> VocalMidiPath() override { return Next("vocal midi"); }
  void BeforeSinger(const std::string&, const std::string&, ProgramField&) override {
    asked.push_back("before singer");
  }
  std::optional<std::string> SingerProgram() override { return Next("singer"); }
  std::optional<std::string> MixPath() override { return Next("mix"); }
  void MixValues(const std::string&, const std::string&, const std::string&,
                 MixSettings&) override {
    asked.push_back("mix values");
  }
  bool WantMp3(ProgramField&) override {
    asked.push_back("mp3");
    return true;
  }
  std::string VideoTexts(const VideoRequest& request) override {
    asked.push_back("video");
    const std::string info = request.workFolder + "/song_info.lrd";
    test::WriteFileBytes(info, "info");
    return info;
  }
  void FilesToRemove(const std::array<std::string, 4>&, std::array<int32_t, 4>& flags) override {
    asked.push_back("remove");
    flags = removeFlags;
  }

  std::optional<std::string> Next(const std::string& what) {
    asked.push_back(what);
    if (answers.empty()) return std::nullopt;
    std::optional<std::string> a = answers.front();
    answers.pop_front();
    return a;
  }

  std::deque<std::optional<std::string>> answers;
  Lines asked;
  int octaves = 0;
  std::array<int32_t, 4> removeFlags = {1, 1, 1, 0};
};

// A start folder of stand-in programs (singer, renderer, encoder, video
// maker) and a karaoke song in a folder of its own.
struct WorkflowTest : ::testing::Test, test::StandInStart {
  WorkflowTest() : StandInStart({"kanji.csv", "english.csv"}) {
    std::vector<uint8_t> samples;
    for (int i = 0; i < 44100 * 2; ++i) {  // a second of a square wave
      const int16_t v = (i / 100) % 2 ? 8000 : -8000;
      samples.push_back(static_cast<uint8_t>(v & 0xFF));
      samples.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
    }
    test::WavBuilder().Data(samples).WriteTo(work.File("voice.source"));
    Program("CantorixSinger",
            Marked("singer") + "cp " + Q(work.File("voice.source")) + " \"${1%.*}.wav\"");
    Program("TunepressCRX", Marked("renderer") + "cp " + Q(work.File("voice.source")) + " \"$2\"");
    Program("lame", Marked("lame") + "cp \"$1\" \"$2\"");
    Program("Lyricreel", Marked("video") + ": > \"$3\"");
    test::XfFileBuilder song;
    song.GmReset().MasterVolume(0, 127).Tempo(0, 500000).Note(0, 1, 48, 100, 3800);
    for (int i = 0; i < 4; ++i) song.Note(i * 480, 0, 72 + i, 100, 460);
    song.LyricsUtf8(0, 480, {"さ", "く", "ら", "よ"});
    karaoke = song.WriteTo(songs.File("song.mid"));
    settings = AppSettings::Defaults(start.Path());
    WriteFixedField(settings.voiceProgramPath, start.File("CantorixSinger"));
    WriteFixedField(settings.mp3EncoderPath, start.File("lame"));
    settings.loudness = AppSettings::kLoudnessOff;
  }
  static std::string Q(const std::string& s) { return test::ShellQuote(s); }
  // A stand-in's first lines: its process id noted, then its start.
  std::string Marked(const std::string& name) const {
    return "echo $$ >> " + Q(work.File("pids")) + "\n: > " + Q(work.File(name + ".started")) + "\n";
  }
  Workflow& Open(int mode) {
    settings.mode = mode;
    ProgramLocations where{start.Path(), {start.File("CantorixSinger")}, {start.File("lame")}, {}};
    flow = std::make_unique<Workflow>(OutsidePrograms(where, ProgramWaits{5000, 5000, 2, 10}),
                                      settings, start.Path(), work.Path(), user);
    return *flow;
  }
  std::set<std::string> SongFolder() const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(songs.Path())) {
      names.insert(e.path().filename().string());
    }
    return names;
  }
  // Whether any stand-in started by the run is still there.
  bool AnyStandInRunning() const {
    const std::string pids = test::ReadFileBytes(work.File("pids"));
    size_t at = 0;
    while (at < pids.size()) {
      const size_t nl = pids.find('\n', at);
      const std::string pid = pids.substr(at, nl - at);
      at = nl + 1;
      // Gone, or a zombie waiting for whoever adopted it.
      const std::string stat = test::ReadFileBytes("/proc/" + pid + "/stat");
      const size_t state = stat.rfind(") ");
      if (state != std::string::npos && stat[state + 2] != 'Z') return true;
    }
    return false;
  }

  test::TempFolder songs, work;
  ScriptedHost host;
  ScopedUi scope{host};
  ScriptUser user;
  AppSettings settings;
  std::string karaoke;
  std::unique_ptr<Workflow> flow;
};

TEST_F(WorkflowTest, AManualRunAsksEachStepsQuestionsAndMakesItsFiles) {
  Workflow& f = Open(Workflow::kManual);
  user.octaves = -1;
  user.answers = {karaoke, songs.File("vocal.mid"), songs.File("mix.wav")};
  for (int i = 0; i < kStepCount; ++i) {
    ASSERT_TRUE(f.Machine().CanExecute(StepAt(i))) << i;
    EXPECT_TRUE(f.RunStep(StepAt(i))) << i;
  }
  EXPECT_EQ(user.asked, (Lines{"karaoke", "range", "review", "vocal midi", "before singer", "mix",
                               "mix values", "mp3", "video", "remove"}));
  EXPECT_EQ(f.Transpose(), -12);
  // The stand-in encoder copies the WAV: no MP3 to put tags in, and so said.
  EXPECT_EQ(host.Messages(),
            Lines{songs.File("mix.mp3") + "はMP3ファイルではないので、タグを書けませんでした。"});
  // Step 9 took the intermediate files; the products stay.
  EXPECT_EQ(SongFolder(),
            (std::set<std::string>{"song.mid", "mix.wav", "mix.mp3", "mix.lrc", "mix.wmv"}));
  EXPECT_EQ(Table(f.Machine()), "x1 r e");
  // A step that may not run now does nothing.
  EXPECT_FALSE(f.RunStep(Step::Mix));
  EXPECT_EQ(user.asked.size(), 10u);
}

TEST_F(WorkflowTest, AFailedStepIsRedoneAndACancelledOneChangesNothing) {
  Workflow& f = Open(Workflow::kManual);
  user.answers = {karaoke, songs.File("vocal.mid")};
  ASSERT_TRUE(f.RunStep(Step::Load));
  ASSERT_TRUE(f.RunStep(Step::Lyrics));
  ASSERT_TRUE(f.RunStep(Step::VocalMidi));
  // An earlier vocal WAV beside the vocal MIDI does not make a failing
  // singer succeed.
  test::WriteFileBytes(songs.File("vocal.wav"), "earlier");
  Program("CantorixSinger", "echo 'no voice installed' >&2; exit 2");
  EXPECT_FALSE(f.RunStep(Step::Voice));
  EXPECT_EQ(host.Messages(), Lines{songs.File("vocal.wav") + "がありません。\nno voice installed"});
  EXPECT_EQ(Table(f.Machine()), "x4 r123 e");
  EXPECT_EQ(test::ReadFileBytes(songs.File("vocal.wav")), "earlier");
  // No program at all: asked for, and a cancel fails the step.
  host.Clear();
  WriteFixedField(settings.voiceProgramPath, "");
  EXPECT_FALSE(f.RunStep(Step::Voice));
  EXPECT_EQ(host.Messages(), Lines{std::string(OutsidePrograms::kAskSingerMessage)});
  // Given one, the step is redone.
  Program("CantorixSinger", "cp " + Q(work.File("voice.source")) + " \"${1%.*}.wav\"");
  user.answers = {start.File("CantorixSinger")};
  EXPECT_TRUE(f.RunStep(Step::Voice));
  EXPECT_EQ(Table(f.Machine()), "x5 r1234 e4");
  EXPECT_EQ(f.EditedFile(Step::Voice), songs.File("vocal.wav"));
  // The mix's file dialog cancelled, or a name of its inputs: nothing moves.
  ASSERT_TRUE(f.RunStep(Step::Accompaniment));
  // The accompaniment does not take the song's own name, the mix's natural
  // one; a clash names the file.
  EXPECT_EQ(f.AccompanimentWavPath(), songs.File("song_伴奏.wav"));
  user.answers = {std::nullopt, songs.File("song_伴奏.wav")};
  EXPECT_FALSE(f.RunStep(Step::Mix));
  EXPECT_FALSE(f.RunStep(Step::Mix));
  EXPECT_EQ(host.Messages().back(),
            std::string(Workflow::kMsgSameFileName) + "\n" + songs.File("song_伴奏.wav"));
  EXPECT_EQ(Table(f.Machine()), "x6 r12345 e5");
}

TEST_F(WorkflowTest, AnAutomaticRunAsksOnlyForTheFileTheRangeAndTheVideo) {
  Workflow& f = Open(Workflow::kVideo);
  std::vector<Step> announced;
  f.SetStepListener([&](Step s) { announced.push_back(s); });
  user.answers = {karaoke};
  EXPECT_EQ(f.RunAutomatic(), songs.File("song.wmv"));
  EXPECT_EQ(user.asked, (Lines{"karaoke", "range", "video"}));
  EXPECT_EQ(announced,
            (std::vector<Step>{Step::Load, Step::Lyrics, Step::VocalMidi, Step::Voice,
                               Step::Accompaniment, Step::Mix, Step::Video, Step::Remove}));
  EXPECT_EQ(SongFolder(), (std::set<std::string>{"song.mid", "song.wav", "song.wmv"}));
  EXPECT_TRUE(f.Machine().CanRunAutomatically());
  EXPECT_FALSE(f.Interrupted());

  // A file that gives no song says why, and the run goes no further.
  test::XfFileBuilder silent;
  silent.Tempo(0, 500000).Note(0, 0, 60, 100, 470).WithoutChunk("XFKM");
  silent.WriteTo(songs.File("silent.mid"));
  test::WriteFileBytes(songs.File("empty.mid"), "");
  for (const char* name : {"empty.mid", "silent.mid"}) {
    user.answers = {songs.File(name)};
    user.asked.clear();
    host.Clear();
    EXPECT_EQ(f.RunAutomatic(), "");
    EXPECT_EQ(host.Messages().size(), 1u) << name;
    EXPECT_EQ(user.asked, Lines{"karaoke"});
  }
}

// A run stopped while each outside program works: the program is gone,
// and so is everything of the run but the whole products.
TEST_F(WorkflowTest, AStoppedRunStopsItsProgramAndLeavesOnlyWholeProducts) {
  struct Case {
    const char* program;
    int mode;
    std::set<std::string> left;
  };
  const Case cases[] = {
      {"singer", Workflow::kMp3, {"song.mid"}},
      {"renderer", Workflow::kMp3, {"song.mid"}},
      {"lame", Workflow::kMp3, {"song.mid", "song.wav"}},
      {"video", Workflow::kVideo, {"song.mid", "song.wav"}},
  };
  const std::string names[] = {"CantorixSinger", "TunepressCRX", "lame", "Lyricreel"};
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.program);
    // The program writes part of its file, then works on (in a child of its
    // own, as a real encoder's helper would).
    const std::string out = i == 0   ? "\"${1%.*}.wav\""
                            : i == 1 ? "\"$2\""
                            : i == 2 ? "\"$2\""
                                     : "\"$3\"";
    Program(names[i], Marked(c.program) + "echo part > " + out + "\nsleep 30 &\necho $! >> " +
                          Q(work.File("pids")) + "\nwait");
    Workflow& f = Open(c.mode);
    user.answers = {karaoke};
    auto run = std::async(std::launch::async, [&f] { return f.RunAutomatic(); });
    const auto started = std::chrono::steady_clock::now();
    while (!fs::exists(work.File(std::string(c.program) + ".started")) &&
           std::chrono::steady_clock::now() - started < std::chrono::seconds(20)) {
      SleepMs(10);
    }
    SleepMs(100);
    const auto stop = std::chrono::steady_clock::now();
    f.RequestStop();
    EXPECT_EQ(run.get(), "");
    EXPECT_LT(std::chrono::steady_clock::now() - stop, std::chrono::seconds(3));
    EXPECT_TRUE(f.Interrupted());
    SleepMs(50);
    EXPECT_FALSE(AnyStandInRunning());
    EXPECT_EQ(SongFolder(), c.left);
    // The next run starts afresh.
    fs::remove(songs.File("song.wav"));
    fs::remove(work.File("pids"));
    Program(names[i], i == 0   ? "cp " + Q(work.File("voice.source")) + " \"${1%.*}.wav\""
                      : i == 1 ? "cp " + Q(work.File("voice.source")) + " \"$2\""
                      : i == 2 ? "cp \"$1\" \"$2\""
                               : ": > \"$3\"");
  }
}

}  // namespace
}  // namespace crx
