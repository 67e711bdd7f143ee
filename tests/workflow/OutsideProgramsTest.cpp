#include "workflow/OutsidePrograms.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "foundation/FixedField.h"
#include "platform/Process.h"
#include "support/platform/ScriptedHost.h"
#include "support/platform/TempFolder.h"

namespace crx {
namespace {

using Lines = std::vector<std::string>;
using test::ReadFileBytes;
using test::ShellQuote;

// Stand-in programs written as small shell scripts into a start folder.
class OutsideProgramsTest : public ::testing::Test {
 protected:
  std::string Script(const std::string& path, const std::string& body) {
    test::WriteFileBytes(path, "#!/bin/sh\n" + body + "\n");
    chmod(path.c_str(), 0755);
    return path;
  }
  // A program that writes its arguments, one per line, to args.txt.
  std::string Recorder(const std::string& path, const std::string& more = "") {
    return Script(path, "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > " +
                            ShellQuote(tmp.File("args.txt")) + "\n" + more);
  }
  std::string Args() const { return ReadFileBytes(tmp.File("args.txt")); }
  OutsidePrograms Programs() const {
    ProgramWaits waits{300, 300, 20, 50};
    return OutsidePrograms(ProgramLocations::Known(tmp.Path()), waits);
  }

  ScriptedHost host;
  ScopedUi scope{host};
  test::TempFolder tmp;
};

TEST_F(OutsideProgramsTest, DefaultsTakeTheFirstProgramFoundInOrder) {
  ProgramLocations l{tmp.Path(),
                     {tmp.File("none"), Recorder(tmp.File("singer"))},
                     {tmp.File("lame"), Recorder(tmp.File("lame2"))},
                     {Recorder(tmp.File("editor1")), Recorder(tmp.File("editor2"))}};
  const AppSettings s = OutsidePrograms(l).DefaultSettings();
  EXPECT_EQ(ReadFixedField(s.voiceProgramPath), tmp.File("singer"));
  EXPECT_EQ(ReadFixedField(s.mp3EncoderPath), tmp.File("lame2"));
  EXPECT_EQ(ReadFixedField(s.soundEditorPath), tmp.File("editor1"));
  EXPECT_EQ(ReadFixedField(s.videoBackgroundPath), tmp.File("white.bmp"));
  EXPECT_TRUE(host.Records().empty());
}

TEST_F(OutsideProgramsTest, WithoutASingerTheUserIsAskedAtEveryStart) {
  const ProgramLocations l = ProgramLocations::Known(tmp.Path());
  EXPECT_EQ(l.singer, Lines{tmp.File("CantorixSinger")});
  host.AnswerFile(tmp.File("my singer"));
  host.AnswerFile(std::nullopt);
  const AppSettings chosen = OutsidePrograms(l).DefaultSettings();
  const AppSettings cancelled = OutsidePrograms(l).DefaultSettings();
  EXPECT_EQ(ReadFixedField(chosen.voiceProgramPath), tmp.File("my singer"));
  EXPECT_EQ(ReadFixedField(cancelled.voiceProgramPath), "");
  const std::string message = "VOCALOID EDITORの実行プログラムが見つかりませんでした。通常は" +
                              tmp.File("CantorixSinger") +
                              "などのフォルダにあります。手動で所在を指定してください。";
  EXPECT_EQ(host.Messages(), (Lines{message, message}));
  ASSERT_EQ(host.Records().size(), 4u);
  EXPECT_EQ(host.Records()[1].kind, ScriptedHost::Kind::SaveFile);
  EXPECT_EQ(host.Records()[1].text, "歌声合成プログラム|*");
}

TEST_F(OutsideProgramsTest, ArgumentsArriveWholeAndTheKindFollowsTheFullPath) {
  const std::string odd = tmp.File("歌 \"x\" it's\\.mid");
  mkdir(tmp.File("Lumivoce").c_str(), 0755);
  const std::string converter = Recorder(tmp.File("Lumivoce/VOCALOID2"));
  OutsidePrograms p = Programs();
  EXPECT_FALSE(p.RenderVocal(converter, odd, "v.mid", tmp.File("v.wav"), -12));
  EXPECT_EQ(Args(), odd + "\n" + tmp.File("v.wav") + "\n-12\n");
  const std::string editor = Recorder(tmp.File("editor"), "touch \"$1.wav\"");
  EXPECT_TRUE(p.RenderVocal(editor, "k.mid", odd, odd + ".wav", 0));
  EXPECT_EQ(Args(), odd + "\n");
  EXPECT_EQ(host.Messages(), Lines{tmp.File("v.wav") + "がありません。"});
}

TEST_F(OutsideProgramsTest, AMissingSingerIsNotStartedAndTheWavIsReportedMissing) {
  OutsidePrograms p = Programs();
  EXPECT_FALSE(p.RenderVocal("", "k.mid", "v.mid", tmp.File("v.wav"), 0));
  EXPECT_FALSE(p.RenderVocal(tmp.File("gone"), "k.mid", "v.mid", tmp.File("v.wav"), 0));
  EXPECT_EQ(host.Messages().size(), 2u);
}

// A program's failure is a failure whatever file stands beside: an earlier
// WAV of the expected name does not count, and comes back as it was.
TEST_F(OutsideProgramsTest, AFailingProgramFailsAndSaysWhyEvenBesideAnEarlierFile) {
  OutsidePrograms p = Programs();
  const std::string wav = tmp.File("v.wav");
  test::WriteFileBytes(wav, "earlier");
  const std::string crashes = Script(tmp.File("crashes"),
                                     "echo half > \"$1.wav\"\nprintf 'one\\ntwo\\n\\n' >&2\n"
                                     "for i in 3 4 5 6 7; do echo \"line $i\" >&2; done\nexit 3");
  EXPECT_FALSE(p.RenderVocal(crashes, "k.mid", tmp.File("v"), wav, 0));
  EXPECT_EQ(host.Messages(), Lines{wav + "がありません。\nline 3\nline 4\nline 5\nline 6\nline 7"});
  EXPECT_EQ(ReadFileBytes(wav), "earlier");
  // A singer that ends well replaces it, and nothing is left aside.
  host.Clear();
  EXPECT_TRUE(p.RenderVocal(Script(tmp.File("sings"), "echo new > \"$1.wav\""), "k.mid",
                            tmp.File("v"), wav, 0));
  EXPECT_EQ(ReadFileBytes(wav), "new\n");
  EXPECT_TRUE(host.Messages().empty());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.Path()),
                          std::filesystem::directory_iterator()),
            3);  // the two programs and the WAV
}

TEST_F(OutsideProgramsTest, RendererLeavesTheWavAndTheCallerCleansUp) {
  OutsidePrograms p = Programs();
  const std::string midi = tmp.File("song_tmp.mid");
  test::WriteFileBytes(midi, "MThd");
  // A missing renderer: nothing starts, the quoted WAV is reported.
  EXPECT_FALSE(p.RenderAccompaniment(midi, tmp.File("acc.wav")));
  EXPECT_EQ(host.Messages(), Lines{"\"" + tmp.File("acc.wav") + "\"がありません。"});
  EXPECT_FALSE(FileExists(midi));

  Recorder(p.RendererPath(), "touch \"$2\"");
  test::WriteFileBytes(midi, "MThd");
  EXPECT_TRUE(p.RenderAccompaniment(midi, tmp.File("acc.wav")));
  EXPECT_EQ(Args(), midi + "\n" + tmp.File("acc.wav") + "\ncrx\n");
  EXPECT_FALSE(FileExists(midi));
  EXPECT_EQ(host.Messages().size(), 1u);

  // A renderer that fails after writing its WAV has made nothing.
  Recorder(p.RendererPath(), "touch \"$2\"; echo 'no SoundFont' >&2; exit 1");
  test::WriteFileBytes(midi, "MThd");
  EXPECT_FALSE(p.RenderAccompaniment(midi, tmp.File("acc.wav")));
  EXPECT_EQ(host.Messages().back(), "\"" + tmp.File("acc.wav") + "\"がありません。\nno SoundFont");
  EXPECT_TRUE(FileExists(tmp.File("acc.wav")));  // the earlier one, back
  EXPECT_FALSE(FileExists(midi));
}

TEST_F(OutsideProgramsTest, EncoderWritesAPartialFileThatBecomesTheMp3OnlyWhenItSucceeds) {
  OutsidePrograms p = Programs();
  const std::string mp3 = tmp.File("mix.mp3");
  const std::string partial = OutsidePrograms::PartialPathFor(mp3);
  EXPECT_EQ(partial, tmp.File(".mix.partial.mp3"));
  const std::string good = Recorder(tmp.File("lame"), "touch \"$2\"");
  EXPECT_TRUE(p.EncodeMp3(good, "a b.wav", mp3));
  EXPECT_EQ(Args(), "a b.wav\n" + partial + "\n");
  EXPECT_TRUE(FileExists(mp3));
  EXPECT_FALSE(FileExists(partial));
  RemoveFile(mp3);
  // Failures are told, with the encoder's words; nothing is left.
  const std::string failed = mp3 + "の生成に失敗しました。";
  EXPECT_FALSE(
      p.EncodeMp3(Script(tmp.File("fails"), "touch \"$2\"; echo bad >&2; exit 1"), "m.wav", mp3));
  EXPECT_FALSE(p.EncodeMp3(Script(tmp.File("hangs"), "sleep 3; touch \"$2\""), "m.wav", mp3));
  EXPECT_EQ(host.Messages(), (Lines{failed + "\nbad", failed}));
  EXPECT_FALSE(FileExists(partial));
  // Still writing when the time is up: its file is the MP3, as it grows.
  bool finished = true;
  EXPECT_TRUE(
      p.EncodeMp3(Script(tmp.File("slow"), "touch \"$2\"; sleep 3"), "m.wav", mp3, &finished));
  EXPECT_FALSE(finished);
  EXPECT_TRUE(FileExists(mp3));
  host.Clear();
  EXPECT_FALSE(p.EncodeMp3("", "m.wav", mp3));
  EXPECT_TRUE(host.Messages().empty());
  SleepMs(3500);  // the hanging encoder was stopped: it never writes
  EXPECT_FALSE(FileExists(partial));
}

TEST(OutsidePrograms, TheLastLinesOfAnErrorText) {
  EXPECT_EQ(OutsidePrograms::LastLines(""), "");
  EXPECT_EQ(OutsidePrograms::LastLines("\r\n\n"), "");
  EXPECT_EQ(OutsidePrograms::LastLines("a\r\n\nb\n"), "a\nb");
  EXPECT_EQ(OutsidePrograms::LastLines("1\n2\n3\n4\n5\n6"), "2\n3\n4\n5\n6");
  // A carriage return ends a line; the named program's progress lines are
  // no last words, so they crowd none out.
  struct Case {
    const char* text;
    const char* progressName;
    const char* last;
  };
  const Case cases[] = {
      {"a\rb\r", "", "a\nb"},
      {"R: 10%\nbad\rR:  20%\nR: 30%\n", "R", "bad"},
      {"R: 10%\nbad\n", "", "R: 10%\nbad"},
      {"1\n2\n3\n4\n5\nR: 10%\nR: 20%\nR: 30%\nR: 40%\nR: 50%\n", "R", "1\n2\n3\n4\n5"},
      {"S: 10%\nR: 101%\nR: 10%\n", "R", "S: 10%\nR: 101%"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(OutsidePrograms::LastLines(c.text, c.progressName), c.last) << c.text;
  }
  EXPECT_EQ(OutsidePrograms::PartialPathFor("/a.b/song"), "/a.b/.song.partial");
  EXPECT_EQ(OutsidePrograms::PartialPathFor("x.wmv"), ".x.partial.wmv");
}

TEST_F(OutsideProgramsTest, VideoMakerGetsSixParametersAndALateVideoCountsOnlyInTheAutoRun) {
  OutsidePrograms p = Programs();
  const std::string video = tmp.File("mix.wmv");
  const std::string params = OutsidePrograms::VideoParameters(
      "m.wav", "k.mid", OutsidePrograms::PartialPathFor(video), "b g.bmp", "s.lrd", tmp.Path());
  // Not in the start folder: the parameter string is shown.
  EXPECT_FALSE(p.MakeVideo("m.wav", "k.mid", video, "b g.bmp", "s.lrd",
                           OutsidePrograms::VideoCheck::AtOnce));
  EXPECT_EQ(host.Messages(), Lines{params});
  host.Clear();
  // Writes the video 0.3 s after it ended.
  Recorder(p.VideoMakerPath(), "(sleep 0.3; touch \"$3\") >/dev/null 2>&1 &");
  EXPECT_FALSE(p.MakeVideo("m.wav", "k.mid", video, "b g.bmp", "s.lrd",
                           OutsidePrograms::VideoCheck::AtOnce));
  EXPECT_EQ(host.Messages(), Lines{video + "の生成に失敗しました。"});
  EXPECT_EQ(Args(), "m.wav\nk.mid\n" + OutsidePrograms::PartialPathFor(video) +
                        "\nb g.bmp\ns.lrd\n" + tmp.Path() + "\n");
  SleepMs(400);  // the late writer of the partial file has ended
  RemoveFile(OutsidePrograms::PartialPathFor(video));
  RemoveFile(video);
  host.Clear();
  const std::string longName(250, 'x');
  EXPECT_TRUE(p.MakeVideo("m.wav", "k.mid", video, longName, "s.lrd",
                          OutsidePrograms::VideoCheck::Repeated));
  const size_t length =
      OutsidePrograms::VideoParameters("m.wav", "k.mid", OutsidePrograms::PartialPathFor(video),
                                       longName, "s.lrd", tmp.Path())
          .size();
  EXPECT_EQ(host.Messages(),
            Lines{"ファイル名が長すぎるので処理に失敗するかもしれません。 パラメータが" +
                  std::to_string(length) + "文字になっています。"});
  SleepMs(100);  // the second late writer ends before the folder goes
}

// The renderer and the video maker report their progress to the watch; the
// other programs have none. A failure's message keeps the program's own
// words, not its progress.
TEST_F(OutsideProgramsTest, TheProgressOfRendererAndVideoMakerReachesTheWatch) {
  OutsidePrograms p = Programs();
  std::vector<int> seen;
  p.SetWatch({{}, {}, [&seen](int percent) { seen.push_back(percent); }});
  auto reports = [](const std::string& name, const std::string& percents) {
    return "for i in " + percents + "; do echo \"" + name + ": $i%\" >&2; done\n";
  };
  Script(p.RendererPath(), "echo starting >&2\necho 'Lyricreel: 50%' >&2\n" +
                               reports("TunepressCRX", "0 30 60 100 130") +
                               "echo 'no SoundFont' >&2\nexit 1");
  const std::string midi = tmp.File("song_tmp.mid");
  EXPECT_FALSE(p.RenderAccompaniment(midi, tmp.File("acc.wav")));
  EXPECT_EQ(seen, (std::vector<int>{0, 0, 30, 60, 100, -1}));
  EXPECT_EQ(host.Messages(),
            Lines{"\"" + tmp.File("acc.wav") +
                  "\"がありません。\nstarting\nLyricreel: 50%\nTunepressCRX: 130%\nno SoundFont"});

  seen.clear();
  host.Clear();
  Script(p.VideoMakerPath(), reports("Lyricreel", "40 100") + "echo 'ffmpeg: broken' >&2\nexit 1");
  EXPECT_FALSE(p.MakeVideo("m.wav", "k.mid", tmp.File("mix.wmv"), "b.bmp", "s.lrd",
                           OutsidePrograms::VideoCheck::AtOnce));
  EXPECT_EQ(seen, (std::vector<int>{0, 40, 100, -1}));
  EXPECT_EQ(host.Messages(), Lines{tmp.File("mix.wmv") + "の生成に失敗しました。\nffmpeg: broken"});

  seen.clear();
  EXPECT_TRUE(p.RenderVocal(
      Script(tmp.File("sings"), reports("TunepressCRX", "50") + "echo new > \"$1.wav\""), "k.mid",
      tmp.File("v"), tmp.File("v.wav"), 0));
  EXPECT_EQ(seen, std::vector<int>{-1});
}

TEST(OutsidePrograms, ParameterStringsQuoteEachPathAndSplitBackWhole) {
  EXPECT_EQ(OutsidePrograms::Mp3Parameters("/a b/m.wav", "/a b/m.mp3"),
            "\"/a b/m.wav\" \"/a b/m.mp3\" ");
  EXPECT_EQ(OutsidePrograms::SoundEditorParameters("/歌/x.wav"), "\"/歌/x.wav\"");
  for (std::string odd : {"a\"b", "end\\", "a\\\"b\\\\", "\"", "", "歌 \\x"}) {
    EXPECT_EQ(Process::SplitParameterString(OutsidePrograms::QuoteParameter(odd)), Lines{odd})
        << odd;
  }
  EXPECT_TRUE(OutsidePrograms::IsConverter("/opt/Lumivoce/VOCALOID2"));
  EXPECT_FALSE(OutsidePrograms::IsConverter("/opt/lumivoce/conv"));
}

TEST(OutsidePrograms, OnlyOurOwnSingerIsToldTheVoiceChosen) {
  const Lines voice{"--voice", "male"};
  EXPECT_EQ(OutsidePrograms::SingerArguments("/opt/crx/CantorixSinger", "k.mid", "v.mid", "v.wav",
                                             0, voice),
            (Lines{"v.mid", "--voice", "male"}));
  EXPECT_EQ(
      OutsidePrograms::SingerArguments("/opt/other/sing", "k.mid", "v.mid", "v.wav", 0, voice),
      Lines{"v.mid"});
  EXPECT_EQ(OutsidePrograms::SingerArguments("/opt/Lumivoce/VOCALOID2", "k.mid", "v.mid", "v.wav",
                                             -12, voice),
            (Lines{"k.mid", "v.wav", "-12"}));
}

}  // namespace
}  // namespace crx
