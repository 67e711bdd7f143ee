#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/CCantorixDlg.h"
#include "app/CMelodyDlg.h"
#include "app/CResultDlg.h"
#include "foundation/FixedField.h"
#include "karaoke/XfKaraokeData.h"
#include "midi/MidiEvent.h"
#include "platform/Process.h"
#include "support/audio/WavBuilder.h"
#include "support/karaoke/XfFileBuilder.h"
#include "support/platform/ScriptedHost.h"
#include "support/platform/TempFolder.h"
#include "support/renderer/RenderProbe.h"
#include "support/workflow/StandInStart.h"

namespace crx {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;
using Dlg = CCantorixDlg;

// A start folder with the shipped companions, the real renderer when asked
// for, and stand-in outside programs written as shell scripts; the working
// folder in a temporary configuration home.
struct MainDialogTest : ::testing::Test, test::StandInStart {
  MainDialogTest()
      : StandInStart({"kanji.csv", "english.csv", "white.bmp", "help", "TunepressCRX"}) {
    std::vector<uint8_t> samples;
    for (int i = 0; i < 44100 * 2; ++i) {  // a second of a square wave
      const int16_t v = (i / 100) % 2 ? 8000 : -8000;
      samples.push_back(static_cast<uint8_t>(v & 0xFF));
      samples.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
    }
    test::WavBuilder().Data(samples).WriteTo(songs.File("voice.source"));
    Program("CantorixSinger",
            "cp " + test::ShellQuote(songs.File("voice.source")) + " \"${1%.*}.wav\"");
    Program("lame", "cp \"$1\" \"$2\"");
    // The video needs the background image and the song information given.
    Program("Lyricreel", "[ -f \"$4\" ] && [ -f \"$5\" ] && : > \"$3\"");
    test::XfFileBuilder song;
    song.GmReset()
        .MasterVolume(0, 127)
        .Tempo(0, 500000)
        .Note(0, 1, 48, 100, 3800)
        .Note(0, 10, 36, 100, 200);
    for (int i = 0; i < 8; ++i) song.Note(i * 480, 0, 60 + i, 100, 460);
    song.LyricsUtf8(0, 480, {"さ", "く", "ら", "さ", "く", "ら", "や", "よ"});
    karaoke = song.WriteTo(songs.File("song.mid"));
  }
  ~MainDialogTest() override { dialog.reset(); }
  Dlg& Open() {
    ProgramLocations where{
        start.Path(), {start.File("CantorixSinger")}, {start.File("lame")}, {start.File("editor")}};
    dialog = std::make_unique<Dlg>(OutsidePrograms(where, ProgramWaits{300, 3000, 2, 10}));
    dialog->OnInitDialog();
    return *dialog;
  }
  // The enabled buttons: execute, redo and edit by step, then "A" when the
  // full-auto button is enabled, e.g. "x5 r1234 e4".
  static std::string Buttons(const Dlg& d) {
    std::string x = "x", r = " r", e = " e", a;
    for (const Dlg::Control& c : d.Controls()) {
      if (!c.enabled || c.row < 0) continue;
      const char step = static_cast<char>('1' + c.row);
      if (c.kind == Dlg::ControlKind::Execute && c.row == Dlg::kFullAutoRow) a = " A";
      if (c.kind == Dlg::ControlKind::Execute && c.row < Dlg::kFullAutoRow) x += step;
      if (c.kind == Dlg::ControlKind::Redo) r += step;
      if (c.kind == Dlg::ControlKind::Edit) e += step;
    }
    return x + r + e + a + (d.IsEnabled(Dlg::kCloseId) ? "" : " busy");
  }
  void Click(int row, bool redo = false) {
    const Dlg::StepRow& r = Dlg::kRows[static_cast<size_t>(row - 1)];
    dialog->Click(redo ? r.redoId : r.executeId);
    dialog->WaitForWorker();
  }
  std::vector<int> MelodyNotes() {
    std::vector<int> notes;
    for (const MidiEvent& e : dialog->Flow().Song()->MainTrack().Events())
      if (e.kind == MidiKind::Note && e.channel == 0) notes.push_back(e.note);
    return notes;
  }
  // Steps 1 to 3 with the vocal MIDI written to songs/vocal.mid.
  void FirstThreeSteps() {
    host.AnswerFile(karaoke);
    Click(1);
    Click(2);
    host.AnswerFile(songs.File("vocal.mid"));
    Click(3);
    ASSERT_EQ(Buttons(*dialog), "x4 r123 e");
  }

  TempFolder songs;
  ScriptedHost host;
  ScopedUi scope{host};
  std::string karaoke;
  std::unique_ptr<Dlg> dialog;
};

TEST_F(MainDialogTest, AWholeManualRunFollowsTheButtonTable) {
  const char* font = std::getenv("CANTORIX_SOUNDFONT");
  if (!(font && fs::exists(font)) && !fs::exists("/usr/share/sounds/sf2/default-GM.sf2") &&
      !fs::exists("/usr/share/sounds/sf2/TimGM6mb.sf2")) {
    GTEST_SKIP() << "the renderer has no SoundFont";
  }
  Dlg& d = Open();
  std::vector<std::string> states;
  d.SetChangeListener([&] { states.push_back(Buttons(d)); });
  EXPECT_EQ(Buttons(d), "x1 r e");
  EXPECT_EQ(d.Text(1026), Dlg::kRows[9].description);
  EXPECT_EQ(d.Flow().FirstTempo(), 500000);

  // While the melody range waits for the user, step 1's row is marked and
  // the indicator stands still.
  std::string statusAtDialog;
  host.AnswerDialog([&](DialogModel& m) {
    static_cast<CMelodyDlg&>(m).OnOctaveUp();
    EXPECT_EQ(d.RunningRow(), 0);
    statusAtDialog = d.StatusLine();
    d.ProgressTimer();
    EXPECT_EQ(d.StatusLine(), statusAtDialog);
    return DialogResult::Ok;
  });
  host.AnswerFile(karaoke);
  Click(1);
  EXPECT_EQ(Buttons(d), "x2 r1 e");
  EXPECT_EQ(d.RunningRow(), -1);
  EXPECT_EQ(d.SongFileName(), "song.mid");
  EXPECT_EQ(d.Text(1000), std::string(Dlg::kRows[0].description) + "\n完了：song.mid");
  EXPECT_EQ(d.RecentKaraokeFiles(), std::vector<std::string>{karaoke});
  EXPECT_EQ(d.Flow().Transpose(), 12);
  Click(2);
  EXPECT_EQ(Buttons(d), "x3 r12 e");
  EXPECT_EQ(d.Flow().Vocaloid().Count(), 9);  // eight syllables and the end record
  host.AnswerFile(songs.File("vocal.mid"));
  Click(3);
  EXPECT_NE(std::find(states.begin(), states.end(), "x r e busy"), states.end());
  EXPECT_EQ(Buttons(d), "x4 r123 e");
  Click(4);
  EXPECT_EQ(Buttons(d), "x5 r1234 e4");
  EXPECT_EQ(d.Flow().VocalWavPath(), songs.File("vocal.wav"));
  Click(5);
  EXPECT_EQ(Buttons(d), "x6 r12345 e5");
  EXPECT_EQ(d.Flow().AccompanimentWavPath(), songs.File("song_伴奏.wav"));
  EXPECT_TRUE(fs::exists(songs.File("song_伴奏.wav")));
  EXPECT_FALSE(fs::exists(songs.File("song_tmp.mid")));
  host.AnswerFile(songs.File("mix.wav"));
  Click(6);
  EXPECT_EQ(Buttons(d), "x7 r123456 e6");
  Click(7);
  EXPECT_EQ(Buttons(d), "x8 r1234567 e");
  EXPECT_TRUE(fs::exists(songs.File("mix.mp3")));
  Click(8);
  EXPECT_EQ(Buttons(d), "x9 r12345678 e");
  EXPECT_TRUE(fs::exists(songs.File("mix.wmv")));
  // The end of the run lists what it made and what is left of it.
  std::vector<std::string> listed;
  host.AnswerDialog([](DialogModel&) { return DialogResult::Ok; });
  host.AnswerDialog([&](DialogModel& m) {
    auto& result = static_cast<CResultDlg&>(m);
    EXPECT_EQ(result.Heading(), "処理が終了しました。");
    for (const CResultDlg::Entry& e : result.Files()) listed.push_back(CResultDlg::Line(e));
    return DialogResult::Ok;
  });
  Click(9);
  EXPECT_EQ(Buttons(d), "x1 r e");
  EXPECT_EQ(listed, (std::vector<std::string>{"合成WAV: " + songs.File("mix.wav"),
                                              "MP3: " + songs.File("mix.mp3"),
                                              "動画: " + songs.File("mix.wmv")}));
  // Every row says it is done, and names the file its step made.
  const std::vector<std::string> notes = {"完了：song.mid",
                                          "完了",
                                          "完了：vocal.mid",
                                          "完了：vocal.wav",
                                          "完了：song_伴奏.wav",
                                          "完了：mix.wav",
                                          "完了：mix.mp3",
                                          "完了：mix.wmv",
                                          "完了"};
  for (size_t row = 0; row < notes.size(); ++row) {
    EXPECT_EQ(d.Text(Dlg::kRows[row].descriptionId),
              std::string(Dlg::kRows[row].description) + "\n" + notes[row]);
  }
  for (const char* gone : {"vocal.mid", "vocal.wav", "song_伴奏.wav"})
    EXPECT_FALSE(fs::exists(songs.File(gone))) << gone;
  EXPECT_TRUE(fs::exists(songs.File("mix.wav")));
  // The stand-in encoder copies the WAV: no MP3 to put tags in, and so said.
  EXPECT_EQ(host.Messages(),
            std::vector<std::string>{songs.File("mix.mp3") +
                                     "はMP3ファイルではないので、タグを書けませんでした。"});
  EXPECT_EQ(host.DialogNames(),
            (std::vector<std::string>{"CMelodyDlg", "CLyricConvertDlg", "CExternalDlg", "CMixDlg",
                                      "CMP3Dlg", "CVideoDlg", "CRemoveDlg", "CResultDlg"}));
}

TEST_F(MainDialogTest, FailedStepsLeaveTheButtonsToTryAgain) {
  fs::remove(start.File("TunepressCRX"));
  Program("CantorixSinger", "exit 0");
  Dlg& d = Open();
  FirstThreeSteps();
  // No program: it is asked for; a cancel fails the step.
  WriteFixedField(d.Settings().voiceProgramPath, "");
  Click(4);
  EXPECT_EQ(Buttons(d), "x4 r123 e");
  EXPECT_EQ(host.Messages(),
            std::vector<std::string>{"歌声合成のための外部プログラムを指定してください。"});
  host.AnswerFile(start.File("CantorixSinger"));
  Click(4);
  EXPECT_EQ(Buttons(d), "x4 r123 e");
  EXPECT_EQ(host.Messages().back(), songs.File("vocal.wav") + "がありません。");
  Program("CantorixSinger", "cp \"$1\" \"${1%.*}.wav\"");
  Click(4);
  Click(5);  // no renderer in the start folder
  EXPECT_EQ(Buttons(d), "x5 r1234 e");
  EXPECT_EQ(host.Messages().back(), "\"" + songs.File("song_伴奏.wav") + "\"がありません。");
  EXPECT_FALSE(fs::exists(songs.File("song_tmp.mid")));

  // The mix refuses the names of its inputs and fails on a vocal WAV that is
  // none; cancelled dialogs change nothing.
  Program("TunepressCRX", "cp " + test::ShellQuote(songs.File("voice.source")) + " \"$2\"");
  Click(5);
  host.AnswerFile(songs.File("mix.wav"));
  Click(6);
  EXPECT_EQ(Buttons(d), "x6 r12345 e5");
  EXPECT_EQ(d.Flow().MixWavPath(), "");
  fs::copy_file(songs.File("voice.source"), songs.File("vocal.wav"),
                fs::copy_options::overwrite_existing);
  host.AnswerFile(songs.File("song_伴奏.wav"));
  Click(6);
  EXPECT_EQ(host.Messages().back(),
            "同じファイル名は使用できません。\n" + songs.File("song_伴奏.wav"));
  Click(6);
  Click(1, true);
  EXPECT_EQ(Buttons(d), "x6 r12345 e5");
  EXPECT_EQ(d.StatusLine(), "");

  host.AnswerFile(songs.File("mix.wav"));
  Click(6);
  // A failing encoder and one that has written nothing when its time is up
  // both fail, said with the encoder's own words; no MP3, whole or not, stays.
  host.Clear();
  const std::string failed = songs.File("mix.mp3") + "の生成に失敗しました。";
  Program("lame", "echo 'lame: cannot read input' >&2; exit 1");
  Click(7);
  EXPECT_EQ(Buttons(d), "x7 r123456 e");
  Program("lame", "sleep 1; cp \"$1\" \"$2\"");  // past the wait
  Click(7);
  EXPECT_EQ(Buttons(d), "x7 r123456 e");
  EXPECT_EQ(host.Messages(),
            (std::vector<std::string>{failed + "\nlame: cannot read input", failed}));
  SleepMs(1200);  // the stopped encoder would have written by now
  EXPECT_FALSE(fs::exists(songs.File("mix.mp3")));
  for (const auto& entry : fs::directory_iterator(songs.Path())) {
    EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
  }
  host.AnswerDialog([](DialogModel&) { return DialogResult::Cancel; });
  Click(7);
  EXPECT_EQ(Buttons(d), "x8 r1234567 e");
  EXPECT_EQ(host.Messages().size(), 2u);
  Program("Lyricreel", "exit 0");
  Click(8);
  EXPECT_EQ(Buttons(d), "x8 r1234567 e");
  EXPECT_EQ(host.Messages().back(), songs.File("mix.wmv") + "の生成に失敗しました。");
}

TEST_F(MainDialogTest, NameRulesRedoneStepsAndBadFiles) {
  fs::remove(start.File("TunepressCRX"));
  Dlg& d = Open();
  FirstThreeSteps();
  // The vocal MIDI may not share the karaoke file's name, in any folder; the
  // letter case counts.
  host.Clear();
  host.AnswerFile(start.File("song.mid"));
  host.AnswerFile(songs.File("Song.mid"));
  Click(3, true);
  EXPECT_EQ(host.Messages(),
            std::vector<std::string>{"元のmidiファイルと同じ名前は指定できません。"});
  EXPECT_EQ(d.Flow().VocalMidiPath(), songs.File("Song.mid"));
  EXPECT_TRUE(fs::exists(songs.File("Song.mid")));

  // Step 5 takes the melody out of the song: a redone step 2 finds nothing
  // to sing; a redone step 1 reads the whole song again.
  Click(4);
  Click(5);
  EXPECT_TRUE(MelodyNotes().empty());
  Click(2, true);
  EXPECT_EQ(Buttons(d), "x3 r12 e");
  EXPECT_LE(d.Flow().Vocaloid().Count(), 1);
  host.AnswerFile(karaoke);
  Click(1, true);
  EXPECT_EQ(MelodyNotes(), (std::vector<int>{60, 61, 62, 63, 64, 65, 66, 67}));

  // A vocal MIDI that cannot be written keeps step 3 next.
  Click(2);
  host.AnswerFile(songs.File("no/such/folder/vocal.mid"));
  Click(3);
  EXPECT_EQ(Buttons(d), "x3 r12 e");

  // A karaoke file gone between the steps: the buttons go back to step 1.
  fs::remove(karaoke);
  host.AnswerFile(karaoke);
  Click(1, true);
  EXPECT_EQ(Buttons(d), "x1 r e");
  EXPECT_EQ(d.Flow().Song(), nullptr);
}

TEST_F(MainDialogTest, RecentFilesLoadAgainAndForgetWhatIsGone) {
  Open();
  host.AnswerFile(karaoke);
  Click(1);
  // A new start lists the song and loads it in one go.
  dialog.reset();
  Dlg& again = Open();
  ASSERT_EQ(again.RecentKaraokeFiles(), std::vector<std::string>{karaoke});
  EXPECT_EQ(again.Text(1000), Dlg::kRows[0].description);
  again.LoadRecentKaraoke(karaoke);
  EXPECT_EQ(Buttons(again), "x2 r1 e");
  EXPECT_EQ(again.SongFileName(), "song.mid");
  // A file deleted since: said so with its path, taken off the list,
  // nothing loaded anew.
  fs::remove(karaoke);
  host.Clear();
  again.LoadRecentKaraoke(karaoke);
  EXPECT_EQ(host.Messages(),
            std::vector<std::string>{std::string(RecentFiles::kMissingMessage) + "\n" + karaoke});
  EXPECT_TRUE(again.RecentKaraokeFiles().empty());
  EXPECT_EQ(Buttons(again), "x2 r1 e");
}

TEST_F(MainDialogTest, StartUpModeAndShutDown) {
  Dlg& d = Open();
  const std::string settingsPath = d.SettingsPath();
  EXPECT_EQ(settingsPath, config.File("CRXWAV/crx_setup.ini"));
  EXPECT_EQ(ReadFixedField(d.Settings().voiceProgramPath), start.File("CantorixSinger"));
  EXPECT_EQ(ReadFixedField(d.Settings().videoBackgroundPath), start.File("white.bmp"));
  EXPECT_TRUE(host.Records().empty());
  d.Click(Dlg::kHelpId);
  EXPECT_EQ(host.Records().back().text, start.File("help/index.html"));
  EXPECT_TRUE(fs::exists(start.File("help/index.html")));
  if (fs::exists("/usr/bin/ffprobe")) {  // the default background as a reader sees it
    EXPECT_EQ(test::RunShell("ffprobe -v error -show_entries stream=width,height -of csv=p=0 " +
                             start.File("white.bmp"))
                  .text,
              "640,480\n");
  }

  // The status line grows to 48 asterisks and empties on the next tick.
  d.StartProgress();
  for (int i = 0; i < 48; ++i) d.ProgressTimer();
  EXPECT_EQ(d.StatusLine(), std::string(48, '*'));
  d.ProgressTimer();
  EXPECT_EQ(d.StatusLine(), "");
  d.StopProgress();

  host.AnswerFile(karaoke);
  Click(1);
  d.SelectMode(2);
  EXPECT_EQ(Buttons(d), "x r e A");
  dialog.reset();
  EXPECT_EQ(test::ReadFileBytes(settingsPath).size(), sizeof(AppSettings));
  EXPECT_EQ(test::ReadFileBytes(settingsPath)[820], 2);

  // With the settings file: its mode; without any singer: the prompt.
  fs::remove(start.File("CantorixSinger"));
  host.Clear();
  EXPECT_EQ(Buttons(Open()), "x r e A");
  ASSERT_EQ(host.Records().size(), 2u);
  EXPECT_EQ(host.Records()[1].kind, ScriptedHost::Kind::SaveFile);
  EXPECT_EQ(ReadFixedField(dialog->Settings().voiceProgramPath), start.File("CantorixSinger"));

  // A settings file of the wrong size is reported; the buttons still work.
  dialog.reset();
  test::WriteFileBytes(settingsPath, std::string(900, '\x07'));
  host.Clear();
  Dlg& again = Open();
  EXPECT_EQ(host.Messages().size(), 2u);
  EXPECT_EQ(again.ModeSelection(), 0);
  EXPECT_EQ(Buttons(again), "x1 r e");
}

}  // namespace
}  // namespace crx
