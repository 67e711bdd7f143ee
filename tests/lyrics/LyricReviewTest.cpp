#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "karaoke/XfKaraokeData.h"
#include "lyrics/CLyricConvertDlg.h"
#include "lyrics/CLyricCorrection.h"
#include "lyrics/CMelodyDlg.h"
#include "lyrics/CTextEditDlg.h"
#include "lyrics/CVocaloid.h"
#include "lyrics/LyricEvent.h"
#include "midi/MidiTrackData.h"
#include "platform/ReadingService.h"
#include "platform/ScriptedHost.h"
#include "platform/TextCodec.h"
#include "support/karaoke/XfFileBuilder.h"
#include "support/platform/TempFolder.h"

namespace crx {
namespace {

using Lines = std::vector<std::string>;
using test::XfFileBuilder;

std::string Sjis(std::string_view utf8) { return XfFileBuilder::Cp932(utf8); }
std::string Utf8(std::string_view cp932) { return TextCodec::Cp932ToUtf8Lossy(cp932); }

constexpr const char* kNotKana = "歌詞に漢字やアルファベット、記号が含まれています。";

// What one correction dialog showed as it opened.
struct Shown {
  std::string context;
  std::string target;
  std::string caption;
};

class CorrectionTest : public ::testing::Test {
 protected:
  // Runs the pass over the lyrics; each dialog is answered by the next
  // action (none left: "スキップ" without editing).
  Lines Run(const Lines& lyrics, std::vector<ScriptedHost::DialogScript> actions = {},
            bool particlesAsSung = false) {
    XfFileBuilder b;
    b.Tempo(0, 500000).Note(0, 0, 60, 100, 470).LyricsUtf8(0, 480, lyrics);
    song = std::make_unique<XfKaraokeData>(b.WriteTo(tmp.File("song.mid")));
    ScriptedHost host;  // one per run: answers left over stay with it
    ScopedUi scope{host};
    for (size_t i = 0; i < lyrics.size(); ++i) {
      ScriptedHost::DialogScript action = i < actions.size() ? actions[i] : nullptr;
      host.AnswerDialog([this, action](DialogModel& d) {
        auto& dlg = dynamic_cast<CTextEditDlg&>(d);
        shown.push_back({dlg.ContextText(), dlg.TargetText(), std::string(dlg.ChangeCaption())});
        return action ? action(d) : DialogResult::Ok;
      });
    }
    dialogs = CLyricCorrection::Run(*song, particlesAsSung);
    for (const std::string& m : host.Messages()) messages.push_back(m);
    Lines out;
    for (const MidiEvent& e : song->LyricTrack()->Events())
      if (LyricEvent::IsLyric(e)) out.push_back(Utf8(LyricEvent::Text(e)));
    return out;
  }
  static ScriptedHost::DialogScript PressChange() {
    return [](DialogModel& d) {
      return dynamic_cast<CTextEditDlg&>(d).OnChange() ? DialogResult::Ok : DialogResult::Cancel;
    };
  }

  test::TempFolder tmp;
  std::unique_ptr<XfKaraokeData> song;
  std::vector<Shown> shown;
  Lines messages;
  int dialogs = 0;
};

TEST_F(CorrectionTest, ClosingParticleBecomesTheSungSoundOnlyAtTheEnd) {
  EXPECT_EQ(
      Run({"わたしは", "はな", "みちへ", "そら"}, {PressChange(), PressChange(), PressChange()}),
      (Lines{"わたしわ", "はな", "みちえ", "そら"}));
  EXPECT_EQ(dialogs, 3);  // plain kana without は or へ is not shown
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0].caption, "「は」を「わ」に変更");
  EXPECT_EQ(shown[1].caption, "「は」を「わ」に変更");
  EXPECT_EQ(shown[2].caption, "「へ」を「え」に変更");
  EXPECT_TRUE(messages.empty());
}

TEST_F(CorrectionTest, AParticleOfTheLineIsOfferedAsSungAndConfirmedBySkip) {
  if (CreateReadingService() == nullptr) GTEST_SKIP() << "no reading service";
  EXPECT_EQ(Run({"ゆめ", "は", "いまも", "はなが", "さく"}, {}, true),
            (Lines{"ゆめ", "わ", "いまも", "はなが", "さく"}));
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].target, "わ");      // the particle, as sung
  EXPECT_EQ(shown[1].target, "はなが");  // a word's は stays
}

TEST_F(CorrectionTest, TextThatIsNotKanaKeepsTheDialogOpenUntilCorrected) {
  Lines result =
      Run({"空へ", "ABC", "カタカナー"}, {[](DialogModel& d) {
                                            auto& dlg = dynamic_cast<CTextEditDlg&>(d);
                                            EXPECT_FALSE(dlg.OnChange());  // 空え: still a kanji
                                            EXPECT_EQ(dlg.TargetText(), "空え");
                                            EXPECT_FALSE(dlg.OnOK());
                                            dlg.SetTargetText("そらえ");
                                            return DialogResult::Ok;
                                          },
                                          [](DialogModel& d) {
                                            auto& dlg = dynamic_cast<CTextEditDlg&>(d);
                                            dlg.SetTargetText("えーびーしー");
                                            return DialogResult::Ok;
                                          }});
  EXPECT_EQ(result, (Lines{"そらえ", "えーびーしー", "カタカナー"}));
  EXPECT_EQ(shown[0].caption, "「へ」を「え」に変更");
  EXPECT_EQ(shown[1].caption, "修正を反映");
  EXPECT_EQ(messages, (Lines{kNotKana, kNotKana}));
}

TEST_F(CorrectionTest, SkipWithoutEditingIsRefusedForKanjiAndCancelKeepsTheLastEdit) {
  // Cancelled with the kanji still there: the lyric stays as it was.
  Lines result = Run({"星", "ABC"}, {[](DialogModel&) { return DialogResult::Cancel; },
                                     [](DialogModel& d) {
                                       dynamic_cast<CTextEditDlg&>(d).SetTargetText("ええ");
                                       return DialogResult::Cancel;
                                     }});
  EXPECT_EQ(result, (Lines{"星", "ええ"}));
  // An edit to an empty text leaves the lyric too.
  shown.clear();
  EXPECT_EQ(Run({"Ｘ"}, {[](DialogModel& d) {
                  dynamic_cast<CTextEditDlg&>(d).SetTargetText("");
                  return DialogResult::Ok;
                }}),
            Lines{"Ｘ"});
}

TEST_F(CorrectionTest, ContextShowsTheLast16BytesBeforeTheLyricOnACharacterBoundary) {
  // Single-byte "a" shifts the boundaries: the cut never splits a kana.
  Run({"あいうえお", "かきくけこ", "a", "さしすせそは", "たは"});
  ASSERT_EQ(shown.size(), 3u);  // "a" too, left as it is after the refusal
  EXPECT_EQ(shown[0].context, "うえおかきくけこa");
  // 15 bytes before the lyric: the 16th from the end is the second half of a kana.
  EXPECT_EQ(shown[1].context, "えおかきくけこaさしすせそは");
  EXPECT_EQ(shown[2].context, "こaさしすせそはたは");
  EXPECT_EQ(shown[2].target, "たは");
  EXPECT_EQ(messages, Lines{kNotKana});
}

TEST_F(CorrectionTest, TheCorrectedLyricEntersTheContext) {
  EXPECT_EQ(Run({"あは", "はは"}, {PressChange()}), (Lines{"あわ", "はは"}));
  EXPECT_EQ(shown.back().context, "あわはは");
}

TEST(PlainKana, TableKanaAndTheLongVowelMarkOnly) {
  EXPECT_TRUE(CLyricCorrection::IsPlainKana(Sjis("あーンぁヲ")));
  EXPECT_TRUE(CLyricCorrection::IsPlainKana(""));
  EXPECT_FALSE(CLyricCorrection::IsPlainKana(Sjis("ヴ")));  // not in the table
  EXPECT_FALSE(CLyricCorrection::IsPlainKana(Sjis("ゐ")));
  EXPECT_FALSE(CLyricCorrection::IsPlainKana(Sjis("あ い")));
  EXPECT_FALSE(CLyricCorrection::IsPlainKana(Sjis("ｱ")));  // half-width
  EXPECT_FALSE(CLyricCorrection::IsPlainKana(Sjis("あ").substr(0, 1)));
  EXPECT_TRUE(CLyricCorrection::NeedsCorrection(Sjis("はな")));
  EXPECT_FALSE(CLyricCorrection::NeedsCorrection(Sjis("ばな")));
}

TEST(TextEditDlg, TheTargetKeeps127BytesAndRefusesWhatCp932CannotHold) {
  ScriptedHost host;
  ScopedUi scope(host);
  std::string longKana;
  for (int i = 0; i < 70; ++i) longKana += "あ";
  const std::string whole = Sjis(longKana);  // 140 bytes: kept whole when not edited
  CTextEditDlg skipped(Sjis("あ"), whole);
  ASSERT_TRUE(skipped.OnInitDialog());
  EXPECT_TRUE(skipped.OnOK());
  EXPECT_EQ(skipped.Target(), whole);
  CTextEditDlg dlg(Sjis("あ"), Sjis("か"));
  ASSERT_TRUE(dlg.OnInitDialog());
  dlg.SetTargetText("a" + longKana);
  EXPECT_EQ(dlg.Target().size(), 127u);  // "a" and 63 kana, no half kana
  dlg.SetTargetText("か😀");
  EXPECT_EQ(dlg.Target().size(), 127u);  // unchanged
  EXPECT_FALSE(dlg.OnOK());
  EXPECT_EQ(host.Messages(), Lines{kNotKana});
}

TEST(MelodyDlg, OctaveButtonsAndTheRangeCheck) {
  ScriptedHost host;
  ScopedUi scope(host);
  CMelodyDlg a(45, 70);
  a.OnOctaveUp();
  EXPECT_EQ(a.LowestText(), "57");
  EXPECT_EQ(a.HighestText(), "82");
  EXPECT_TRUE(a.OnOK());

  CMelodyDlg low(10, 30);
  EXPECT_FALSE(low.OnOK());
  low.OnOctaveUp();
  EXPECT_TRUE(low.OnOK());

  CMelodyDlg high(98, 110);
  high.OnOctaveUp();
  EXPECT_EQ(high.Highest(), 122);
  EXPECT_FALSE(high.OnOK());
  high.OnOctaveDown();
  EXPECT_TRUE(high.OnOK());

  EXPECT_TRUE(CMelodyDlg(12, 115).OnOK());
  EXPECT_EQ(host.Messages(), (Lines{"音域が異常です。", "音域が異常です。"}));
}

TEST(LyricConvertDlg, RunsTheConversionAsItOpensAndListsTheLines) {
  ScriptedHost host;
  ScopedUi scope(host);
  test::TempFolder tmp;
  test::WriteFileBytes(tmp.File("kanji.csv"), "");
  test::WriteFileBytes(tmp.File("english.csv"), "");
  XfFileBuilder b;
  b.Tempo(0, 500000).Note(0, 0, 60, 100, 470).Note(480, 0, 62, 100, 470);
  b.Note(960, 0, 64, 100, 470);
  b.LyricUtf8(0, "さ").LyricUtf8(480, "く").LyricUtf8(960, "/ら");
  XfKaraokeData song(b.WriteTo(tmp.File("song.mid")));
  CVocaloid vocaloid;
  CLyricConvertDlg dlg(song, vocaloid, 0, tmp.Path());
  EXPECT_EQ(host.RunModal(dlg), DialogResult::Ok);
  EXPECT_EQ(dlg.Lines(), (Lines{"さく", "ら"}));
  EXPECT_EQ(vocaloid.Count(), 4);  // three syllables and the end record
  EXPECT_EQ(host.DialogNames(), Lines{"CLyricConvertDlg"});
}

}  // namespace
}  // namespace crx

namespace crx {
namespace {

TEST(MelodyRangeAdviceTest, NamesTheNotesAndTheShiftIntoTheReferenceRange) {
  EXPECT_EQ(CMelodyDlg::NoteName(60), "C4");
  EXPECT_EQ(CMelodyDlg::NoteName(65), "F4");
  EXPECT_EQ(CMelodyDlg::NoteName(73), "C#5");
  EXPECT_EQ(CMelodyDlg::NoteName(0), "C-1");
  EXPECT_EQ(CMelodyDlg::NoteName(-1), "B-2");
  CMelodyDlg inRange(65, 77);
  EXPECT_EQ(inRange.RangeNames(), "F4 - F5");
  EXPECT_EQ(inRange.SuggestedShift(), 0);
  EXPECT_EQ(inRange.Advice(), "メロディは参考音域のあたりにあります。");
  CMelodyDlg low(41, 53);
  EXPECT_EQ(low.SuggestedShift(), 2);
  EXPECT_EQ(low.Advice(), "「オクターブ上げる」を2回押すと参考音域に近づきます。");
  // Following the advice lands the melody where it says.
  low.OnOctaveUp();
  low.OnOctaveUp();
  EXPECT_EQ(low.SuggestedShift(), 0);
  CMelodyDlg high(84, 96);
  EXPECT_EQ(high.Advice(), "「オクターブ下げる」を2回押すと参考音域に近づきます。");
}

}  // namespace
}  // namespace crx
