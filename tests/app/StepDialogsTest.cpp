#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CConfigDlg.h"
#include "app/CEditDlg.h"
#include "app/CExternalDlg.h"
#include "app/CMP3Dlg.h"
#include "app/CRemoveDlg.h"
#include "app/CVideoDlg.h"
#include "foundation/FixedField.h"
#include "karaoke/CSongData.h"
#include "platform/TextCodec.h"
#include "support/platform/ScriptedHost.h"
#include "support/platform/TempFolder.h"

namespace crx {
namespace {

using Lines = std::vector<std::string>;
using Field = std::array<char, kPathFieldSize>;

Field PathField(const std::string& text) {
  Field f{};
  WriteFixedField(f, text);
  return f;
}

struct StepDialogsTest : ::testing::Test {
  ScriptedHost host;
  ScopedUi scope{host};
  test::TempFolder tmp;
};

TEST_F(StepDialogsTest, AProgramPickedWithDotsStaysAfterCancelWhileTheFlagsDoNot) {
  Field program = PathField("/old/singer");
  Field encoder = PathField("/old/lame");
  CConfigDlg dlg({1, 1, 1, 0}, program, encoder);
  host.AnswerFile("/new/singer");
  host.AnswerDialog([](DialogModel& d) {
    auto& c = dynamic_cast<CConfigDlg&>(d);
    EXPECT_TRUE(c.Ticked(0) && c.Ticked(2) && !c.Ticked(3));
    c.OnBrowseProgram();
    EXPECT_EQ(c.ProgramText(), "/new/singer");
    c.SetTicked(0, false);
    return DialogResult::Cancel;
  });
  EXPECT_EQ(host.RunModal(dlg), DialogResult::Cancel);
  EXPECT_EQ(ReadFixedField(program), "/new/singer");
  EXPECT_EQ(ReadFixedField(encoder), "/old/lame");
  EXPECT_EQ((dlg.Flags()), (DeleteFlags{1, 1, 1, 0}));
  EXPECT_EQ(host.Records()[1].text, "プログラム|*|");

  host.AnswerDialog([](DialogModel& d) {
    dynamic_cast<CConfigDlg&>(d).SetTicked(3, true);
    return DialogResult::Ok;
  });
  EXPECT_EQ(host.RunModal(dlg), DialogResult::Ok);
  EXPECT_EQ((dlg.Flags()), (DeleteFlags{1, 1, 1, 1}));
  AppSettings s;
  StoreDeleteFlags(s, dlg.Flags());
  EXPECT_EQ(DeleteFlagsOf(s), (DeleteFlags{1, 1, 1, 1}));
}

TEST_F(StepDialogsTest, ExternalDlgExplainsByTheProgramsFileName) {
  Field program = PathField("/opt/Lumivoce/VOCALOID2");  // an editor by its name
  CExternalDlg dlg("/s/v.mid", "/s/v.wav", program);
  host.AnswerFile("/opt/x/LumivoceConv");
  host.AnswerDialog([](DialogModel& d) {
    auto& e = dynamic_cast<CExternalDlg&>(d);
    EXPECT_EQ(e.Explanation(),
              "[OK]ボタンを押すと歌声生成のためのVOCALOID2が開きます。/s/v.wavというファイル名で"
              "ＷＡＶファイルを出力してください。");
    e.OnBrowse();
    return DialogResult::Cancel;
  });
  host.RunModal(dlg);
  EXPECT_EQ(dlg.Explanation(),
            "[OK]ボタンを押すと歌声生成のためのLumivoceConvが/s/v.wavというファイル名の"
            "ＷＡＶファイルを出力します。");
  EXPECT_EQ(ReadFixedField(program), "/opt/x/LumivoceConv");
  EXPECT_EQ(CExternalDlg::ExplanationFor("/x/%s", "/w.wav"),
            "[OK]ボタンを押すと歌声生成のための%sが開きます。/w.wavというファイル名で"
            "ＷＡＶファイルを出力してください。");
  // Our own singer opens nothing.
  EXPECT_EQ(CExternalDlg::ExplanationFor("/opt/crx/CantorixSinger", "/w.wav"),
            "[OK]ボタンを押すとCantorixSingerが歌声用MIDIファイルを歌い、/w.wavというファイル名の"
            "ＷＡＶファイルを出力します。");
}

TEST_F(StepDialogsTest, EditorPathIsTakenOnOkAndAPathTooLongIsRefused) {
  Field editor = PathField("/usr/bin/audacity");
  CEditDlg dlg(editor, "/s/mix.wav");
  host.AnswerDialog([](DialogModel& d) {
    dynamic_cast<CEditDlg&>(d).SetEditorText(std::string(260, 'e'));
    return DialogResult::Ok;
  });
  EXPECT_EQ(host.RunModal(dlg), DialogResult::Cancel);
  EXPECT_EQ(ReadFixedField(editor), "/usr/bin/audacity");
  EXPECT_EQ(host.Messages().size(), 1u);
  host.AnswerDialog([](DialogModel& d) {
    dynamic_cast<CEditDlg&>(d).SetEditorText("/usr/bin/mhwaveedit");
    return DialogResult::Ok;
  });
  EXPECT_EQ(host.RunModal(dlg), DialogResult::Ok);
  EXPECT_EQ(ReadFixedField(editor), "/usr/bin/mhwaveedit");
}

TEST_F(StepDialogsTest, Mp3DlgSkipsUnlessRunAndRemoveDlgTakesItsBoxesOnOk) {
  Field encoder = PathField("/usr/bin/lame");
  CMP3Dlg mp3(encoder);
  host.AnswerDialog([](DialogModel&) { return DialogResult::Cancel; });
  host.RunModal(mp3);
  EXPECT_EQ(mp3.Skip(), 1);
  host.RunModal(mp3);
  EXPECT_EQ(mp3.Skip(), 0);

  CRemoveDlg remove({"a.mid", "a.wav", "acc.wav", "mix.wav"}, {1, 0, 1, 0});
  host.AnswerDialog([](DialogModel& d) {
    auto& r = dynamic_cast<CRemoveDlg&>(d);
    EXPECT_EQ(r.Path(2), "acc.wav");
    r.SetTicked(1, true);
    return DialogResult::Ok;
  });
  host.RunModal(remove);
  EXPECT_EQ((remove.Flags()), (DeleteFlags{1, 1, 1, 0}));
}

TEST_F(StepDialogsTest, VideoDlgWritesTheSongInformationCutOnCharacterBoundaries) {
  Field background = PathField("/start/white.bmp");
  CVideoDlg dlg("m.wav", "k.mid", background, "m.wmv", tmp.Path());
  host.AnswerFile(tmp.File("背景 1.png"));
  host.AnswerDialog([](DialogModel& d) {
    auto& v = dynamic_cast<CVideoDlg&>(d);
    v.OnBrowseBackground();
    v.SetText(CVideoDlg::kTitle, "a" + std::string("夜空ノムコウ夜空ノムコウ夜空ノムコウ"));
    v.SetText(CVideoDlg::kComposer, "作曲者");
    v.SetText(CVideoDlg::kLyrics, "一行目\n二行目");
    return DialogResult::Ok;
  });
  EXPECT_EQ(host.RunModal(dlg), DialogResult::Ok);
  EXPECT_EQ(ReadFixedField(background), tmp.File("背景 1.png"));
  EXPECT_EQ(host.Records()[1].text, "画像ファイル|*.bmp;*.png;*.jpg;*.jpeg|");
  // "a" and 15 double-byte characters: 31 bytes, the 16th would end at 33.
  EXPECT_EQ(dlg.TextOf(CVideoDlg::kTitle), "a夜空ノムコウ夜空ノムコウ夜空ノ");
  ASSERT_TRUE(dlg.Written());
  EXPECT_EQ(dlg.SongInfoPath(), tmp.File("song_info.lrd"));
  int n = 4, key = 0, measures = 4;
  CSongData song(dlg.SongInfoPath(), n, key, measures);
  EXPECT_EQ(TextCodec::Cp932ToUtf8Lossy(song.Title()), "a夜空ノムコウ夜空ノムコウ夜空ノ");
  EXPECT_EQ(TextCodec::Cp932ToUtf8Lossy(song.Composer()), "作曲者");
  EXPECT_EQ(TextCodec::Cp932ToUtf8Lossy(song.Lyrics()), "一行目\r\n二行目");
  EXPECT_TRUE(host.Messages().empty());
}

TEST_F(StepDialogsTest, VideoDlgCancelledOrRefusedWritesNothingButKeepsTheInfoPath) {
  Field background = PathField("/start/white.bmp");
  CVideoDlg dlg("m.wav", "k.mid", background, "m.wmv", tmp.Path());
  host.AnswerDialog([](DialogModel& d) {
    dynamic_cast<CVideoDlg&>(d).SetText(CVideoDlg::kLyricist, "作詞😀");
    return DialogResult::Ok;
  });
  EXPECT_EQ(host.RunModal(dlg), DialogResult::Cancel);
  EXPECT_EQ(host.Messages(), Lines{"作詞にShift-JISで表せない文字が含まれています。"});
  EXPECT_FALSE(dlg.Written());
  EXPECT_FALSE(FileExists(tmp.File("song_info.lrd")));
  EXPECT_EQ(dlg.SongInfoPath(), tmp.File("song_info.lrd"));
}

}  // namespace
}  // namespace crx
