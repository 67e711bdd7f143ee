#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "app/CConfigDlg.h"
#include "app/CVideoDlg.h"
#include "app/DroppedKaraoke.h"
#include "app/MessageAdvice.h"
#include "app/VoiceChoice.h"
#include "foundation/FileHelpers.h"
#include "foundation/FixedField.h"
#include "midi/MidiMessages.h"
#include "support/karaoke/XfFileBuilder.h"
#include "support/platform/ScriptedHost.h"
#include "support/platform/TempFolder.h"

namespace crx {
namespace {

using Field = std::array<char, kPathFieldSize>;
using test::XfFileBuilder;

struct WindowChoicesTest : ::testing::Test {
  ScriptedHost host;
  ScopedUi scope{host};
  test::TempFolder tmp;

  // A karaoke file that names its song, composer and lyricist.
  std::string Song(const std::string& name, std::string_view title) {
    XfFileBuilder b;
    b.XfihText(XfFileBuilder::Cp932("XFln:L1:" + std::string(title) + ":岡野貞一:高野辰之"));
    b.Tempo(0, 500000).Note(0, 0, 60, 100, 470).LyricUtf8(0, "う");
    return b.WriteTo(tmp.File(name));
  }
};

TEST_F(WindowChoicesTest, VideoTextsOpenWithTheSongsNamesThenWithWhatWasGivenLast) {
  Field background{};
  const std::string furusato = Song("furusato.mid", "ふるさと");
  {
    CVideoDlg dlg("m.wav", furusato, background, "m.wmv", tmp.Path());
    ASSERT_TRUE(dlg.OnInitDialog());
    EXPECT_EQ(dlg.TextOf(CVideoDlg::kTitle), "ふるさと");
    EXPECT_EQ(dlg.TextOf(CVideoDlg::kComposer), "岡野貞一");
    EXPECT_EQ(dlg.TextOf(CVideoDlg::kLyricist), "高野辰之");
    EXPECT_TRUE(dlg.TextOf(CVideoDlg::kLyrics).empty());
    dlg.SetText(CVideoDlg::kTitle, "故郷");
    dlg.SetText(CVideoDlg::kLyricist, "高野\n辰之");
    ASSERT_TRUE(dlg.OnOK());
  }
  {
    CVideoDlg again("m.wav", furusato, background, "m.wmv", tmp.Path());
    ASSERT_TRUE(again.OnInitDialog());
    EXPECT_EQ(again.TextOf(CVideoDlg::kTitle), "故郷");
    EXPECT_EQ(again.TextOf(CVideoDlg::kComposer), "岡野貞一");
    EXPECT_EQ(again.TextOf(CVideoDlg::kLyricist), "高野 辰之");
  }
  // Another song is not given the last song's texts.
  CVideoDlg other("m.wav", Song("oborozukiyo.mid", "朧月夜"), background, "m.wmv", tmp.Path());
  ASSERT_TRUE(other.OnInitDialog());
  EXPECT_EQ(other.TextOf(CVideoDlg::kTitle), "朧月夜");
  // A karaoke file that is gone leaves the texts empty, without a message.
  CVideoDlg gone("m.wav", tmp.File("gone.mid"), background, "m.wmv", tmp.Path());
  ASSERT_TRUE(gone.OnInitDialog());
  EXPECT_TRUE(gone.TextOf(CVideoDlg::kTitle).empty());
  EXPECT_TRUE(host.Messages().empty());
}

TEST_F(WindowChoicesTest, TheVoiceIsKeptInAFileOfItsOwnAndPassedToTheSinger) {
  const std::string file = tmp.File("voice.txt");
  EXPECT_EQ(VoiceChoice::Load(file), VoiceChoice::kByRange);  // none yet
  EXPECT_TRUE(VoiceChoice::SingerArguments(VoiceChoice::kByRange).empty());
  ASSERT_TRUE(VoiceChoice::Save(file, VoiceChoice::kMale));
  EXPECT_EQ(VoiceChoice::Load(file), VoiceChoice::kMale);
  EXPECT_EQ(VoiceChoice::SingerArguments(VoiceChoice::kMale),
            (std::vector<std::string>{"--voice", "male"}));
  EXPECT_FALSE(FileExists(file + ".tmp"));
  test::WriteFileBytes(file, "soprano\n");
  EXPECT_EQ(VoiceChoice::Load(file), VoiceChoice::kByRange);
  EXPECT_FALSE(VoiceChoice::Save(tmp.File("no/such/folder/voice.txt"), VoiceChoice::kFemale));

  // The voices installed: a folder per voice, as the packages install them.
  MakeFolders(tmp.File("voices/jp2"));
  test::WriteFileBytes(tmp.File("voices/jp2/jp2"), "x");
  Field program{}, encoder{};
  CConfigDlg dlg({0, 0, 0, 0}, program, encoder);
  dlg.SetVoiceFile(file);
  dlg.SetVoiceFolder(tmp.File("voices"));
  ASSERT_TRUE(dlg.OnInitDialog());
  EXPECT_EQ(dlg.InstalledText(), "インストール済みの声: jp2");
  EXPECT_EQ(dlg.VoiceLabel(VoiceChoice::kFemale), "女声 (jp2)");
  EXPECT_EQ(dlg.VoiceLabel(VoiceChoice::kMale), "男声 (jp1)（未インストール）");
  dlg.SetVoice(VoiceChoice::kFemale);
  ASSERT_TRUE(dlg.OnOK());
  EXPECT_EQ(VoiceChoice::Load(file), VoiceChoice::kFemale);
  // A voice that cannot be stored says so instead of passing for saved.
  CConfigDlg unsaved({0, 0, 0, 0}, program, encoder);
  unsaved.SetVoiceFile(tmp.File("no/such/folder/voice.txt"));
  unsaved.SetVoiceFolder(tmp.File("empty"));
  ASSERT_TRUE(unsaved.OnInitDialog());
  EXPECT_EQ(unsaved.InstalledText(), "インストール済みの声: なし（espeak-ngの声で歌います）");
  unsaved.SetVoice(VoiceChoice::kMale);
  EXPECT_TRUE(unsaved.OnOK());
  EXPECT_EQ(host.Messages(), std::vector<std::string>{"歌声の選択を保存できませんでした。"});
}

TEST_F(WindowChoicesTest, OnlyOneMidiFileMayBeDropped) {
  const std::string song = Song("song.mid", "さくら");
  EXPECT_TRUE(DroppedKaraoke::Problem({song}).empty());
  // A MIDI file under another name is known by its first bytes.
  test::WriteFileBytes(tmp.File("song.bin"), test::ReadFileBytes(song));
  EXPECT_TRUE(DroppedKaraoke::Problem({tmp.File("song.bin")}).empty());
  test::WriteFileBytes(tmp.File("notes.txt"), "さくら");
  EXPECT_EQ(DroppedKaraoke::Problem({tmp.File("notes.txt")}), DroppedKaraoke::kNotMidiMessage);
  EXPECT_EQ(DroppedKaraoke::Problem({tmp.Path()}), DroppedKaraoke::kFolderMessage);
  EXPECT_EQ(DroppedKaraoke::Problem({song, song}), DroppedKaraoke::kSeveralMessage);
  EXPECT_EQ(DroppedKaraoke::Problem({}), DroppedKaraoke::kSeveralMessage);
  EXPECT_EQ(DroppedKaraoke::Problem({tmp.File("gone.mid")}), DroppedKaraoke::kMissingMessage);
}

TEST(MessageAdviceTest, AddsALineOnCauseAndRemedyByTagAndCodeNeverChangingTheMessage) {
  Diagnostic cut{DiagnosticKind::ModuleError, "MDTK0D000001 内部エラー", "MDTK", kMdtkInternal};
  const std::string shown = MessageAdvice::WithAdvice(cut);
  EXPECT_EQ(shown.substr(0, cut.text.size() + 1), cut.text + "\n");
  EXPECT_NE(shown.find("途中で切れている"), std::string::npos);
  // Same code, another module: nothing to add; nor to an untagged message.
  Diagnostic other{DiagnosticKind::ModuleError, "M0DT0D000001", "M0DT", kMdtkInternal};
  EXPECT_EQ(MessageAdvice::WithAdvice(other), other.text);
  Diagnostic plain{DiagnosticKind::Plain, "CWaveFile Error!", "", 0};
  EXPECT_EQ(MessageAdvice::WithAdvice(plain), plain.text);
}

}  // namespace
}  // namespace crx
