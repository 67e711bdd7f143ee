#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "foundation/FileHelpers.h"
#include "foundation/FixedField.h"
#include "platform/ProgressLine.h"
#include "renderer/AccompanimentRenderer.h"
#include "renderer/CConfigDlg.h"
#include "renderer/CTunepressDlg.h"
#include "renderer/ConversionCommand.h"
#include "support/platform/ScriptedHost.h"
#include "support/platform/TempFolder.h"
#include "support/renderer/RenderProbe.h"
#include "support/renderer/SmfBuilder.h"

namespace crx::renderer {
namespace {

using test::ReadFileBytes;
using test::SmfBuilder;
using test::WavProbe;
using Strings = std::vector<std::string>;

// One track per channel given, each playing a two-second chord from tick 0.
std::vector<uint8_t> ChordSong(std::initializer_list<int> channels, bool format0 = false,
                               int channelVolume = 100) {
  SmfBuilder b;
  int tempo = b.AddTrack();
  b.Tempo(tempo, 0, 500000);
  for (int ch : channels) {
    int t = b.AddTrack();
    if (ch == *channels.begin()) b.MasterVolume(t, 0);
    b.Program(t, 0, ch, 0).Control(t, 0, ch, 7, channelVolume);
    for (int key : {60, 64, 67}) b.Note(t, 0, ch, key, 100, 4 * 480);
  }
  return format0 ? b.Format0() : b.Format1();
}

class TunepressDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (FileExists(test::kTestSoundFont) == 0) GTEST_SKIP() << "timgm6mb-soundfont is missing";
  }
  std::string Song(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::string path = dir.File(name);
    SmfBuilder::WriteFile(path, bytes);
    return path;
  }
  // Every name in the folder, hidden ones too, in order.
  Strings Listing() const {
    Strings names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  // The settings the renderer finds in the current folder.
  void StoreSettings(const TunepressSettings& s) {
    std::string bytes(reinterpret_cast<const char*>(&s), sizeof s);
    test::WriteFileBytes(dir.File("fc_setup.ini"), bytes);
  }
  // A command-line conversion as the main program asks for it.
  WavProbe Render(const std::string& midi, const std::string& wav) {
    CTunepressDlg dlg({midi, wav, "crx"});
    dlg.SetSaveSettingsOnExit(false);
    dlg.OnInitDialog();
    dlg.OnStartMessage();
    EXPECT_TRUE(dlg.QuitPosted());
    std::optional<WavProbe> probe = WavProbe::Read(wav);
    EXPECT_TRUE(probe.has_value()) << wav;
    return probe.value_or(WavProbe{});
  }

  test::TempFolder dir;
  test::ScopedCurrentFolder cwd{dir.Path()};
  test::ScopedSoundFont soundFont{test::kTestSoundFont};
  ScriptedHost host;
  ScopedUi scope{host};
};

TEST_F(TunepressDlgTest, WithTheMarkerSettingsComeFromTheCurrentFolderAndTempMidGoesBesideTheMidi) {
  mkdir(dir.File("song").c_str(), 0755);
  TunepressSettings stored;
  stored.volume = 33;
  StoreSettings(stored);
  CTunepressDlg dlg({dir.File("song/a.mid"), dir.File("b.wav"), "crx"});
  dlg.SetSaveSettingsOnExit(false);
  ASSERT_TRUE(dlg.OnInitDialog());
  EXPECT_EQ(dlg.MidiPath(), dir.File("song/a.mid"));
  EXPECT_EQ(dlg.OutputPath(), dir.File("b.wav"));
  EXPECT_EQ(dlg.SettingsPath(), dir.File("fc_setup.ini"));
  EXPECT_EQ(dlg.Settings().volume, 33);
  EXPECT_EQ(dlg.WorkFolder(), dir.File("song"));
  EXPECT_TRUE(dlg.SynthesizerReady());
  EXPECT_TRUE(dlg.StartMessagePending());
  EXPECT_TRUE(host.Messages().empty());
}

TEST_F(TunepressDlgTest, AnyOtherThirdArgumentIsTheWorkingFolderOfSettingsAndTempMid) {
  mkdir(dir.File("work").c_str(), 0755);
  CTunepressDlg dlg({"a.mid", "b.wav", dir.File("work")});
  dlg.SetSaveSettingsOnExit(false);
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.SettingsPath(), dir.File("work/fc_setup.ini"));
  EXPECT_EQ(dlg.WorkFolder(), dir.File("work"));

  CTunepressDlg root({"a.mid", "b.wav", "/"});
  root.SetSaveSettingsOnExit(false);
  root.OnInitDialog();
  EXPECT_EQ(root.SettingsPath(), "/fc_setup.ini");

  // By hand: everything in the current folder, and the start message waits.
  CTunepressDlg byHand;
  byHand.OnInitDialog();
  EXPECT_EQ(byHand.SettingsPath(), dir.File("fc_setup.ini"));
  EXPECT_EQ(byHand.WorkFolder(), dir.Path());
  byHand.OnStartMessage();
  EXPECT_FALSE(byHand.Hidden());
  EXPECT_FALSE(byHand.StartMessagePending());
  EXPECT_TRUE(host.Records().empty());
}

TEST_F(TunepressDlgTest, TheCommandLineRendersA44100HzStereoWavOfTheSongsLengthAndNothingElse) {
  const std::string midi = Song("a.mid", ChordSong({0, 1}));
  CTunepressDlg dlg({midi, dir.File("out.wav"), "crx"});
  dlg.SetSaveSettingsOnExit(false);
  dlg.OnInitDialog();
  dlg.OnStartMessage();
  EXPECT_TRUE(dlg.Hidden());
  EXPECT_TRUE(dlg.QuitPosted());
  EXPECT_TRUE(host.Messages().empty()) << host.Messages()[0];
  EXPECT_GT(dlg.ProgressCounter(), 0);
  EXPECT_EQ(dlg.ProgressCounter(), 5 * host.ProgressTicks());

  std::optional<WavProbe> wav = WavProbe::Read(dir.File("out.wav"));
  ASSERT_TRUE(wav);
  EXPECT_EQ(wav->formatTag, 1);
  EXPECT_EQ(wav->sampleRate, 44100u);
  EXPECT_EQ(wav->channels, 2);
  EXPECT_EQ(wav->bitsPerSample, 16);
  EXPECT_GT(wav->Seconds(), 2.0);
  EXPECT_LT(wav->Seconds(), 2.0 + AccompanimentRenderer::kMaxReleaseTailSeconds + 0.2);
  EXPECT_GT(wav->Peak(), 0.01);
  EXPECT_LT(wav->Peak(), 1.0);
  // The song is prepared in memory and written once, as the WAV file.
  EXPECT_EQ(Listing(), (Strings{"a.mid", "out.wav"}));

  const std::string f = "'" + dir.File("out.wav") + "'";
  test::CommandOutput sox =
      test::RunShell("sox --i -r " + f + " && sox --i -c " + f + " && sox --i -b " + f);
  if (sox.status == 0) {
    EXPECT_EQ(sox.text, "44100\n2\n16\n");
  }
}

TEST_F(TunepressDlgTest, ChannelsSwitchedOffRenderToSilenceInBothFormats) {
  TunepressSettings s;
  s.channelFlags[2] = 0;
  StoreSettings(s);
  for (bool format0 : {false, true}) {
    WavProbe wav = Render(Song("a.mid", ChordSong({2}, format0)), dir.File("off.wav"));
    EXPECT_EQ(wav.Peak(), 0.0) << "format " << (format0 ? 0 : 1);
    EXPECT_EQ(FileExists(dir.File("temp.mid")), 0);
  }
  WavProbe other = Render(Song("b.mid", ChordSong({3})), dir.File("on.wav"));
  EXPECT_GT(other.Peak(), 0.005);
}

TEST_F(TunepressDlgTest, ALeadInOfFourBeatsAtTempo500000PutsTheFirstSoundAfterTwoSeconds) {
  const std::string midi = Song("a.mid", ChordSong({0}));
  std::optional<double> plain = Render(midi, dir.File("plain.wav")).FirstSound();
  ASSERT_TRUE(plain);
  EXPECT_LT(*plain, 0.05);

  TunepressSettings s;
  s.leadInBeats = 4;
  StoreSettings(s);
  WavProbe late = Render(midi, dir.File("late.wav"));
  ASSERT_TRUE(late.FirstSound());
  // 500000 / 1000 * 4 = 2000 ticks, at 480 ticks a quarter note of 0.5 s.
  EXPECT_NEAR(*late.FirstSound(), 2000.0 / 480 * 0.5 + *plain, 0.02);
  EXPECT_GT(late.Seconds(), 4.0);
}

TEST_F(TunepressDlgTest, TheVolumeSettingLowersTheLevel) {
  const std::string midi = Song("a.mid", ChordSong({0}, false, 100));
  TunepressSettings s;
  s.volume = 100;
  StoreSettings(s);
  const double full = Render(midi, dir.File("v100.wav")).Rms();
  s.volume = 50;  // Channel Volume 100 becomes 50
  StoreSettings(s);
  const double half = Render(midi, dir.File("v50.wav")).Rms();
  ASSERT_GT(full, 0.0);
  // The synthesizer's volume curve: half the controller value is about a
  // quarter of the amplitude.
  EXPECT_GT(half / full, 0.15);
  EXPECT_LT(half / full, 0.4);
}

TEST_F(TunepressDlgTest, WithoutASoundFontStartUpSaysSoAndEveryConversionFails) {
  test::ScopedSoundFont none(nullptr);
  MidiSynthesizer::OverrideSoundFontFolder(dir.File("none"));
  const std::string midi = Song("a.mid", ChordSong({0}));
  test::WriteFileBytes(dir.File("out.wav"), "an old render");
  {
    CTunepressDlg dlg({midi, dir.File("out.wav"), "crx"});
    dlg.SetSaveSettingsOnExit(false);
    dlg.OnInitDialog();
    MidiSynthesizer::OverrideSoundFontFolder("");
    EXPECT_FALSE(dlg.SynthesizerReady());
    dlg.OnStartMessage();
    EXPECT_TRUE(dlg.QuitPosted());
  }
  const std::string tried = "no SoundFont at " + dir.File("none/default-GM.sf2") +
                            "\nno SoundFont at " + dir.File("none/FluidR3_GM.sf2") +
                            "\nno SoundFont at " + dir.File("none/TimGM6mb.sf2");
  EXPECT_EQ(host.Messages(), (Strings{"QuickTimeがインストールされていません。", tried,
                                      "エラー発生", "変換に失敗しました。"}));
  EXPECT_EQ(FileExists(dir.File("out.wav")), 0);
  EXPECT_EQ(FileExists(dir.File("temp.mid")), 0);
}

TEST_F(TunepressDlgTest, AMidiThatCannotBeReadLeavesNoWavAndOtherFilesAlone) {
  // A file of the user's that happens to bear the old prepared file's name.
  const std::string other = test::ReadFileBytes(Song("temp.mid", ChordSong({0})));
  test::WriteFileBytes(dir.File("out.wav"), "an old render");
  CTunepressDlg dlg({dir.File("missing.mid"), dir.File("out.wav"), "crx"});
  dlg.SetSaveSettingsOnExit(false);
  dlg.OnInitDialog();
  dlg.OnStartMessage();
  Strings m = host.Messages();
  ASSERT_GE(m.size(), 2u);
  EXPECT_EQ(m[m.size() - 2], "エラー発生");
  EXPECT_EQ(m.back(), "変換に失敗しました。");
  EXPECT_EQ(FileExists(dir.File("out.wav")), 0);
  EXPECT_EQ(test::ReadFileBytes(dir.File("temp.mid")), other);
}

TEST_F(TunepressDlgTest, AFailedRenderLeavesNoWavNorAnyPartOfOne) {
  SmfBuilder b;
  int t = b.AddTrack();
  b.Tempo(t, 0, 500000).Note(t, 0, 0, 60, 100, 480).EndAt(t, 480 * 2 * 10);  // ten seconds
  const std::string midi = Song("long.mid", b.Format0());
  test::WriteFileBytes(dir.File("long.wav"), "an old render");
  AccompanimentRenderer::OverrideMaxRenderSeconds(3);
  CTunepressDlg dlg({midi, dir.File("long.wav"), "crx"});
  dlg.SetSaveSettingsOnExit(false);
  dlg.OnInitDialog();
  dlg.OnStartMessage();
  AccompanimentRenderer::OverrideMaxRenderSeconds(0);
  EXPECT_EQ(host.Messages(), Strings{"変換に失敗しました。"});
  EXPECT_EQ(Listing(), Strings{"long.mid"});

  // A WAV that cannot be written says why.
  host.Clear();
  const std::string lost = dir.File("gone/long.wav");
  CTunepressDlg again({midi, lost, "crx"});
  again.SetSaveSettingsOnExit(false);
  again.OnInitDialog();
  again.OnStartMessage();
  EXPECT_EQ(host.Messages(), (Strings{"cannot write " + lost + ": No such file or directory",
                                      "変換に失敗しました。"}));
  EXPECT_EQ(Listing(), Strings{"long.mid"});
}

TEST_F(TunepressDlgTest, ASongNamedTempMidInTheWorkingFolderIsRenderedAndKept) {
  const std::string midi = Song("temp.mid", ChordSong({0}));
  const std::string original = ReadFileBytes(midi);
  WavProbe wav = Render(midi, dir.File("t.wav"));
  EXPECT_GT(wav.Peak(), 0.01);
  EXPECT_EQ(ReadFileBytes(midi), original);
  EXPECT_EQ(FileExists(dir.File("temp.prepared.mid")), 0);
}

TEST_F(TunepressDlgTest, BrokenCorpusFilesFailWithTheMessagesAndNoWav) {
  const std::string corpus = std::string(CRX_SHARED_DIR) + "/testdata/midi-corpus/";
  if (FileExists(corpus + "README.md") == 0) GTEST_SKIP() << "no shared test data";
  for (const char* name :
       {"jazz-soft/test-not-a-midi-file.mid", "jazz-soft/test-empty-file.mid",
        "jazz-soft/test-corrupt-file-missing-byte.mid", "fq/midi/smpte-timecode-30.mid"}) {
    if (FileExists(corpus + name) == 0) continue;
    host.Clear();
    CTunepressDlg dlg({corpus + name, dir.File("c.wav"), "crx"});
    dlg.SetSaveSettingsOnExit(false);
    dlg.OnInitDialog();
    dlg.OnStartMessage();
    Strings m = host.Messages();
    ASSERT_GE(m.size(), 2u) << name;
    EXPECT_EQ(m[m.size() - 2], "エラー発生") << name;
    EXPECT_EQ(m.back(), "変換に失敗しました。") << name;
    EXPECT_EQ(FileExists(dir.File("c.wav")), 0) << name;
    EXPECT_EQ(FileExists(dir.File("temp.mid")), 0) << name;
  }
}

TEST_F(TunepressDlgTest, AfterAFailedRenderTheMp3LinkStillRunsAndFindsNoWav) {
  test::WriteFileBytes(dir.File("enc"), "#!/bin/sh\n");
  chmod(dir.File("enc").c_str(), 0755);
  TunepressSettings s;
  WriteFixedField(s.mp3Link, dir.File("enc"));
  StoreSettings(s);
  test::WriteFileBytes(dir.File("text.mid"), "no MIDI file");
  CTunepressDlg dlg({dir.File("text.mid"), dir.File("t.wav"), "crx"});
  dlg.SetSaveSettingsOnExit(false);
  dlg.OnInitDialog();
  dlg.OnStartMessage();
  Strings m = host.Messages();
  ASSERT_GE(m.size(), 3u);
  EXPECT_EQ(Strings(m.end() - 3, m.end()),
            (Strings{"エラー発生", "変換に失敗しました。", "WAVファイルが見つかりませんでした。"}));
  EXPECT_EQ(ReadFixedField(dlg.Settings().mp3Link), dir.File("enc"));
}

TEST_F(TunepressDlgTest, ByHandTheConvertButtonAsksForBothFilesAndReportsTheEnd) {
  const std::string midi = Song("a.mid", ChordSong({0}));
  {
    CTunepressDlg dlg;
    dlg.OnInitDialog();
    host.AnswerFile(midi);
    host.AnswerFile(dir.File("chosen.wav"));
    dlg.OnConvert();
    EXPECT_EQ(dlg.ProposedWavPath(), dir.File("a.wav"));
    EXPECT_TRUE(dlg.ExitEnabled());
    EXPECT_TRUE(dlg.ConvertEnabled());
    EXPECT_FALSE(dlg.QuitPosted());
    EXPECT_EQ(FileExists(dir.File("chosen.wav")), 1);
    EXPECT_EQ(host.Messages(), Strings{"変換が終了しました。"});
    std::vector<ScriptedHost::Record> r = host.Records();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].kind, ScriptedHost::Kind::OpenFile);
    EXPECT_EQ(r[0].text, "SMF files|*.mid|");
    EXPECT_EQ(r[1].kind, ScriptedHost::Kind::SaveFile);
    EXPECT_EQ(r[1].text, "wav files|*.wav|");

    // Cancelling the save dialog ends it there.
    host.Clear();
    host.AnswerFile(midi);
    host.AnswerFile(std::nullopt);
    dlg.OnConvert();
    EXPECT_TRUE(host.Messages().empty());

    // The settings button edits the record, which reaches the file at exit.
    host.AnswerDialog([](DialogModel& d) {
      static_cast<CConfigDlg&>(d).volume.text = "45";
      return DialogResult::Ok;
    });
    dlg.OnSettings();
    EXPECT_EQ(host.DialogNames(), Strings{"renderer::CConfigDlg"});
    dlg.OnExit();
    EXPECT_TRUE(dlg.CloseRequested());
  }
  std::string saved = ReadFileBytes(dir.File("fc_setup.ini"));
  ASSERT_EQ(saved.size(), 332u);
  EXPECT_EQ(saved.substr(0, 4), std::string("\x2D\0\0\0", 4));
}

TEST_F(TunepressDlgTest, OneDroppedFileIsConvertedAndSeveralAreRefused) {
  const std::string midi = Song("a.mid", ChordSong({0}));
  CTunepressDlg dlg;
  dlg.OnInitDialog();
  dlg.OnDropFiles({midi, dir.File("b.mid")});
  EXPECT_EQ(host.Messages(), Strings{"複数のファイルは投入できません。"});
  EXPECT_EQ(host.Records().size(), 1u);
  host.Clear();
  host.AnswerFile(dir.File("dropped.wav"));
  dlg.OnDropFiles({midi});
  EXPECT_EQ(host.Messages(), Strings{"変換が終了しました。"});
  EXPECT_EQ(FileExists(dir.File("dropped.wav")), 1);
}

TEST_F(TunepressDlgTest, AnMp3OutputWritesTheWavThenRunsTheLinkOnceInTheConversionAndOnceAfter) {
  // A stand-in encoder: records its arguments and writes the MP3 file.
  const std::string script = dir.File("enc.sh");
  test::WriteFileBytes(script, "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]' \"$a\" >> \"" +
                                   dir.File("args.txt") + "\"; done\necho >> \"" +
                                   dir.File("args.txt") + "\"\necho mp3 > \"$2\"\n");
  chmod(script.c_str(), 0755);
  TunepressSettings s;
  WriteFixedField(s.mp3Link, script);
  StoreSettings(s);
  const std::string midi = Song("a.mid", ChordSong({0}));
  const std::string out = dir.File("song.MP3");
  {
    CTunepressDlg dlg({midi, out, "crx"});
    dlg.SetSaveSettingsOnExit(false);
    dlg.OnInitDialog();
    dlg.OnStartMessage();
    EXPECT_EQ(dlg.Title(), "song.mp3");
    EXPECT_TRUE(dlg.QuitPosted());
  }
  EXPECT_TRUE(host.Messages().empty());
  EXPECT_EQ(FileExists(dir.File("song.wav")), 1);
  const std::string line = "[" + dir.File("song.wav") + "][" + dir.File("song.mp3") + "]\n";
  EXPECT_EQ(ReadFileBytes(dir.File("args.txt")), line + line);
  EXPECT_EQ(ReadFileBytes(dir.File("song.mp3")), "mp3\n");
}

TEST_F(TunepressDlgTest, TheRealEncoderMakesAnMp3ThatAPeerReads) {
  if (FileExists("/usr/bin/lame") == 0) GTEST_SKIP() << "lame is missing";
  TunepressSettings s;
  WriteFixedField(s.mp3Link, "/usr/bin/lame");
  StoreSettings(s);
  const std::string midi = Song("a.mid", ChordSong({0}));
  EXPECT_EQ(RunConversionCommand({midi, dir.File("song.mp3"), "crx"}), 0);
  ASSERT_EQ(FileExists(dir.File("song.mp3")), 1);
  test::CommandOutput probe = test::RunShell(
      "ffprobe -v error -select_streams a:0 -show_entries stream=codec_name,sample_rate,channels "
      "-of default=nw=1 '" +
      dir.File("song.mp3") + "' 2>&1");
  if (probe.status == 127) GTEST_SKIP() << "ffprobe is missing";
  EXPECT_EQ(probe.status, 0);
  EXPECT_NE(probe.text.find("codec_name=mp3\n"), std::string::npos) << probe.text;
  EXPECT_NE(probe.text.find("sample_rate=44100\n"), std::string::npos) << probe.text;
  EXPECT_NE(probe.text.find("channels=2\n"), std::string::npos) << probe.text;
}

TEST_F(TunepressDlgTest, AMissingEncoderClearsTheLinkAndAMissingWavIsNamed) {
  CTunepressDlg dlg;
  dlg.OnInitDialog();
  WriteFixedField(dlg.Settings().mp3Link, dir.File("no-encoder"));
  EXPECT_EQ(dlg.RunMp3Link(dir.File("x.wav")), 0);
  EXPECT_EQ(ReadFixedField(dlg.Settings().mp3Link), "");
  EXPECT_EQ(host.Messages(), Strings{"エンコーダが見つかりませんでした。"});

  host.Clear();
  test::WriteFileBytes(dir.File("enc"), "#!/bin/sh\n");
  chmod(dir.File("enc").c_str(), 0755);
  WriteFixedField(dlg.Settings().mp3Link, dir.File("enc"));
  EXPECT_EQ(dlg.RunMp3Link(dir.File("x.wav")), 0);
  EXPECT_EQ(host.Messages(), Strings{"WAVファイルが見つかりませんでした。"});

  // An encoder that writes nothing: no MP3, even where an old one lay.
  host.Clear();
  test::WriteFileBytes(dir.File("x.wav"), "RIFF");
  test::WriteFileBytes(dir.File("x.mp3"), "old");
  EXPECT_EQ(dlg.RunMp3Link(dir.File("x.wav")), 0);
  EXPECT_EQ(FileExists(dir.File("x.mp3")), 0);
  EXPECT_TRUE(host.Messages().empty());
}

TEST_F(TunepressDlgTest, TheCommandLineEndsQuietlyWithoutAMidiPathAndNeverRewritesTheSettings) {
  EXPECT_EQ(RunConversionCommand({}), 1);
  EXPECT_EQ(RunConversionCommand({""}), 1);
  EXPECT_EQ(FileExists(dir.File("fc_setup.ini")), 0);
  const std::string midi = Song("a.mid", ChordSong({0}));
  // Its progress goes to standard error as lines the main program reads,
  // rising from 0 to 100 percent.
  testing::internal::CaptureStderr();
  EXPECT_EQ(RunConversionCommand({midi, dir.File("a.wav"), "crx"}), 0);
  const std::string progress = testing::internal::GetCapturedStderr();
  std::vector<int> percents;
  for (size_t at = 0, end; (end = progress.find('\n', at)) != std::string::npos; at = end + 1) {
    percents.push_back(ProgressLine::PercentOf("TunepressCRX", progress.substr(at, end - at)));
  }
  ASSERT_GE(percents.size(), 2u) << progress;
  EXPECT_TRUE(progress.ends_with('\n')) << progress;
  EXPECT_EQ(percents.front(), 0);
  EXPECT_EQ(percents.back(), 100);
  for (size_t i = 1; i < percents.size(); ++i) {
    EXPECT_GT(percents[i], percents[i - 1]) << progress;
  }
  testing::internal::CaptureStderr();
  EXPECT_EQ(RunConversionCommand({dir.File("nothing.mid"), dir.File("b.wav"), "crx"}), 1);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("エラー発生\n変換に失敗しました。\n"), std::string::npos) << err;
  EXPECT_EQ(FileExists(dir.File("fc_setup.ini")), 0);
}

TEST(TunepressExtensions, OnlyTheFileNamesOwnExtensionCountsAndIsComparedInSmallLetters) {
  EXPECT_EQ(CTunepressDlg::ExtensionOf("/x/song.MP3"), "mp3");
  EXPECT_EQ(CTunepressDlg::ExtensionOf("/x.y/song"), "");
  EXPECT_EQ(CTunepressDlg::ExtensionOf("song."), "");
  EXPECT_EQ(CTunepressDlg::ReplaceExtension("/x.y/song", ".wav"), "/x.y/song.wav");
  EXPECT_EQ(CTunepressDlg::ReplaceExtension("/x/a.b.mid", ".wav"), "/x/a.b.wav");
}

}  // namespace
}  // namespace crx::renderer
