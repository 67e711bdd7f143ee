#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/CLyricConvertDlg.h"
#include "app/CMelodyDlg.h"
#include "app/CTextEditDlg.h"
#include "app/LyricCorrectionDialogs.h"
#include "karaoke/XfKaraokeData.h"
#include "lyrics/CLyricCorrection.h"
#include "lyrics/CVocaloid.h"
#include "lyrics/LyricEvent.h"
#include "midi/MidiTrackData.h"
#include "platform/ReadingService.h"
#include "platform/TextCodec.h"
#include "support/karaoke/XfFileBuilder.h"
#include "support/platform/ScriptedHost.h"
#include "support/platform/TempFolder.h"
#include "workflow/VocalPipeline.h"

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
  std::string position;
};

// A folder with the (empty) word lists the conversion reads.
struct DictionaryFolder {
  test::TempFolder tmp;
  DictionaryFolder() {
    test::WriteFileBytes(tmp.File("kanji.csv"), "");
    test::WriteFileBytes(tmp.File("english.csv"), "");
  }
};

class CorrectionTest : public ::testing::Test {
 protected:
  // Runs step 2's questions over the lyrics, one per note; each dialog is
  // answered by the next action (none left: Enter without editing).
  Lines Run(const Lines& lyrics, std::vector<ScriptedHost::DialogScript> actions = {},
            bool particlesAsSung = false) {
    XfFileBuilder b;
    b.Tempo(0, 500000);
    for (size_t i = 0; i < lyrics.size(); ++i)
      b.Note(static_cast<uint32_t>(i * 480), 0, 60, 100, 470);
    b.LyricsUtf8(0, 480, lyrics);
    song = std::make_unique<XfKaraokeData>(b.WriteTo(dictionaries.tmp.File("song.mid")));
    ScriptedHost host;  // one per run: answers left over stay with it
    ScopedUi scope{host};
    for (size_t i = 0; i < lyrics.size(); ++i) {
      ScriptedHost::DialogScript action = i < actions.size() ? actions[i] : nullptr;
      host.AnswerDialog([this, action](DialogModel& d) {
        auto& dlg = dynamic_cast<CTextEditDlg&>(d);
        shown.push_back({dlg.ContextText(), dlg.TargetText(), std::string(dlg.ChangeCaption()),
                         dlg.PositionText()});
        return action ? action(d) : DialogResult::Ok;
      });
    }
    dialogs = LyricCorrectionDialogs::Run(*song, 0, dictionaries.tmp.Path(), particlesAsSung);
    for (const std::string& m : host.Messages()) messages.push_back(m);
    return LyricsOf(*song);
  }
  static Lines LyricsOf(const XfKaraokeData& s) {
    Lines out;
    for (const MidiEvent& e : s.LyricTrack()->Events())
      if (LyricEvent::IsLyric(e)) out.push_back(Utf8(LyricEvent::Text(e)));
    return out;
  }
  static ScriptedHost::DialogScript PressChange() {
    return [](DialogModel& d) {
      return dynamic_cast<CTextEditDlg&>(d).OnChange() ? DialogResult::Ok : DialogResult::Cancel;
    };
  }
  // A button that closes the dialog by itself, as the window does.
  static ScriptedHost::DialogScript Press(bool (CTextEditDlg::*button)()) {
    return [button](DialogModel& d) {
      auto& dlg = dynamic_cast<CTextEditDlg&>(d);
      EXPECT_TRUE((dlg.*button)());
      return DialogResult::Cancel;  // the host's own OK must not run after it
    };
  }
  static ScriptedHost::DialogScript Type(std::string utf8) {
    return [utf8](DialogModel& d) {
      dynamic_cast<CTextEditDlg&>(d).SetTargetText(utf8);
      return DialogResult::Ok;
    };
  }

  DictionaryFolder dictionaries;
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
  EXPECT_EQ(shown[0].position, "1 / 3");
  EXPECT_EQ(shown[2].position, "3 / 3");
  EXPECT_TRUE(messages.empty());
}

TEST_F(CorrectionTest, AParticleOfTheLineIsOfferedAsSungAndConfirmedByEnter) {
  if (CreateReadingService() == nullptr) GTEST_SKIP() << "no reading service";
  EXPECT_EQ(Run({"ゆめ", "は", "いまも", "はなが", "さく"}, {}, true),
            (Lines{"ゆめ", "わ", "いまも", "はなが", "さく"}));
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].target, "わ");      // the particle, as sung
  EXPECT_EQ(shown[1].target, "はなが");  // a word's は stays
}

TEST_F(CorrectionTest, TheFieldOpensWithTheReadingAndEnterLeavesTheLyricToTheConversion) {
  // The ruby gives the reading without any reading service.
  Lines result = Run({"兎[うさぎ]", "お", "い"});
  EXPECT_EQ(dialogs, 1);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].target, "うさぎ");
  EXPECT_EQ(shown[0].caption, "「は」を「わ」に変更");
  // Confirmed as proposed, the lyric stays as written: the conversion sings
  // the same reading from it.
  EXPECT_EQ(result, (Lines{"兎[うさぎ]", "お", "い"}));
  EXPECT_TRUE(messages.empty());
}

TEST_F(CorrectionTest, SkipKeepsTheLyricAsWrittenWithoutAMessage) {
  // The particle button works on the reading shown, in hiragana.
  EXPECT_EQ(Run({"空へ", "ABC", "カタカナは"},
                {Press(&CTextEditDlg::OnSkip), Press(&CTextEditDlg::OnSkip), PressChange()}),
            (Lines{"空へ", "ABC", "かたかなわ"}));
  EXPECT_EQ(dialogs, 3);
  EXPECT_TRUE(messages.empty());
}

TEST_F(CorrectionTest, AcceptAllTakesEveryProposalLeftWithoutAsking) {
  EXPECT_EQ(Run({"ええ", "空へ", "ABC", "はな", "へや"},
                {Type("そらえ"), Press(&CTextEditDlg::OnAcceptAll)}),
            (Lines{"ええ", "そらえ", "ABC", "はな", "へや"}));
  EXPECT_EQ(dialogs, 2);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1].position, "2 / 4");
}

TEST_F(CorrectionTest, LineAndPageMarksAreNeverAskedAboutAndStayAroundAnEdit) {
  EXPECT_EQ(
      Run({"/", "<", "/さくら", "/空", ">はな/"}, {Type("くう"), Press(&CTextEditDlg::OnSkip)}),
      (Lines{"/", "<", "/さくら", "/くう", ">はな/"}));
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1].target, "はな");  // the marks are not the user's to edit
}

TEST_F(CorrectionTest, TypingTheProposalItselfIsTakingTheProposal) {
  // The lyric stays for the conversion, which sings just that.
  EXPECT_EQ(Run({"兎[うさぎ]"}, {Type("うさぎ")}), Lines{"兎[うさぎ]"});
  EXPECT_EQ(Run({"兎[うさぎ]"}, {Type("うさ")}), Lines{"うさ"});
}

TEST_F(CorrectionTest, TextThatIsNotKanaOrEmptyIsRefusedUntilCorrected) {
  Lines result = Run({"Ｘ", "ABC"}, {[](DialogModel& d) {
                                       auto& dlg = dynamic_cast<CTextEditDlg&>(d);
                                       dlg.SetTargetText("Ｘ");
                                       EXPECT_FALSE(dlg.OnOK());
                                       dlg.SetTargetText("");
                                       EXPECT_FALSE(dlg.OnOK());
                                       dlg.SetTargetText("ばつ");
                                       return DialogResult::Ok;
                                     },
                                     [](DialogModel& d) {
                                       auto& dlg = dynamic_cast<CTextEditDlg&>(d);
                                       dlg.SetTargetText("ABC");
                                       EXPECT_FALSE(dlg.OnChange());
                                       return DialogResult::Cancel;
                                     }});
  // Closed with the close box: the last edit, as before; an unedited field
  // would have taken the proposal.
  EXPECT_EQ(result, (Lines{"ばつ", "ABC"}));
  EXPECT_EQ(messages, (Lines{kNotKana, std::string(CTextEditDlg::kEmptyMessage), kNotKana}));
}

TEST_F(CorrectionTest, ContextShowsTheLast16BytesBeforeTheLyricOnACharacterBoundary) {
  // Single-byte "a" shifts the boundaries: the cut never splits a kana.
  Run({"あいうえお", "かきくけこ", "a", "さしすせそは", "たは"}, {Press(&CTextEditDlg::OnSkip)});
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0].context, "うえおかきくけこa");
  // 15 bytes before the lyric: the 16th from the end is the second half of a kana.
  EXPECT_EQ(shown[1].context, "えおかきくけこaさしすせそは");
  EXPECT_EQ(shown[2].context, "こaさしすせそはたは");
}

TEST_F(CorrectionTest, TheCorrectedLyricEntersTheContext) {
  EXPECT_EQ(Run({"あは", "はは"}, {PressChange()}), (Lines{"あわ", "はは"}));
  EXPECT_EQ(shown.back().context, "あわはは");
}

// A song with what step 2 asks about: ruby, a bare kanji, particles, marks.
XfKaraokeData AskingSong(const std::string& path) {
  XfFileBuilder b;
  b.Tempo(0, 500000);
  for (int i = 0; i < 14; ++i) b.Note(static_cast<uint32_t>(i * 480), 0, 60 + i % 5, 100, 460);
  const std::pair<uint32_t, const char*> lyrics[] = {
      {0, "/兎[うさぎ]"}, {1440, "お"}, {1920, "い"},   {2400, "し"}, {2880, "/かの"},
      {3840, "山"},       {4320, "は"}, {4800, "ゆめ"}, {5760, "は"}, {6240, "いま"}};
  for (const auto& [tick, text] : lyrics) b.LyricUtf8(tick, text);
  return XfKaraokeData(b.WriteTo(path));
}

TEST(CorrectionAcceptAll, OneButtonGivesTheVocalMidiOfTheAutomaticRun) {
  DictionaryFolder folder;
  const std::string dictionaries = folder.tmp.Path();
  // By hand: the first dialog's "すべて提案どおり", then the review.
  XfKaraokeData byHand = AskingSong(folder.tmp.File("a.mid"));
  CVocaloid handVoice;
  {
    ScriptedHost host;
    ScopedUi scope(host);
    int asked = 0;
    host.AnswerDialog([&asked](DialogModel& d) {
      ++asked;
      return dynamic_cast<CTextEditDlg&>(d).OnAcceptAll() ? DialogResult::Cancel : DialogResult::Ok;
    });
    EXPECT_EQ(LyricCorrectionDialogs::Run(byHand, 0, dictionaries), 1);
    EXPECT_EQ(asked, 1);
    CLyricConvertDlg review(byHand, handVoice, 0, dictionaries);
    EXPECT_EQ(host.RunModal(review), DialogResult::Ok);
    EXPECT_FALSE(review.BackToCorrection());
  }
  // Automatic: no question at all.
  XfKaraokeData automatic = AskingSong(folder.tmp.File("b.mid"));
  CVocaloid autoVoice;
  std::vector<std::string> lines;
  VocalPipeline::ConvertLyrics(automatic, autoVoice, 0, dictionaries, lines);
  ASSERT_GT(autoVoice.Count(), 1);
  ASSERT_TRUE(VocalPipeline::WriteVocalMidi(handVoice, byHand, folder.tmp.File("hand_vocal.mid")));
  ASSERT_TRUE(
      VocalPipeline::WriteVocalMidi(autoVoice, automatic, folder.tmp.File("auto_vocal.mid")));
  EXPECT_EQ(test::ReadFileBytes(folder.tmp.File("hand_vocal.mid")),
            test::ReadFileBytes(folder.tmp.File("auto_vocal.mid")));
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
  EXPECT_FALSE(CLyricCorrection::NeedsCorrection("/"));
  EXPECT_FALSE(CLyricCorrection::NeedsCorrection("<>/"));
  EXPECT_TRUE(CLyricCorrection::NeedsCorrection("/a"));
}

TEST(TextEditDlg, TheTargetKeeps127BytesAndRefusesWhatCp932CannotHold) {
  ScriptedHost host;
  ScopedUi scope(host);
  std::string longKana;
  for (int i = 0; i < 70; ++i) longKana += "あ";
  const std::string whole = Sjis(longKana);  // 140 bytes: kept whole when not edited
  CTextEditDlg confirmed(Sjis("あ"), whole);
  ASSERT_TRUE(confirmed.OnInitDialog());
  EXPECT_TRUE(confirmed.OnOK());
  EXPECT_EQ(confirmed.Target(), whole);
  EXPECT_FALSE(confirmed.Edited());
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

TEST(LyricConvertDlg, RunsTheConversionAsItOpensAndListsTheLinesAndNotes) {
  ScriptedHost host;
  ScopedUi scope(host);
  DictionaryFolder folder;
  XfFileBuilder b;
  b.Tempo(0, 500000).Note(0, 0, 60, 100, 470).Note(480, 0, 62, 100, 470);
  b.Note(960, 0, 65, 100, 470);
  b.LyricUtf8(0, "さ").LyricUtf8(480, "く").LyricUtf8(960, "/ら");
  XfKaraokeData song(b.WriteTo(folder.tmp.File("song.mid")));
  CVocaloid vocaloid;
  CLyricConvertDlg dlg(song, vocaloid, 0, folder.tmp.Path());
  EXPECT_EQ(host.RunModal(dlg), DialogResult::Ok);
  EXPECT_EQ(dlg.Lines(), (Lines{"さく", "ら"}));
  EXPECT_EQ(vocaloid.Count(), 4);  // three syllables and the end record
  // Half a second a beat: the time, the note's name, the syllable.
  EXPECT_EQ(dlg.NoteRows(), (Lines{"0:00.0  C4  さ", "0:00.5  D4  く", "0:01.0  F4  ら"}));
  EXPECT_EQ(host.DialogNames(), Lines{"CLyricConvertDlg"});
  EXPECT_FALSE(dlg.BackToCorrection());
  EXPECT_TRUE(dlg.OnBack());
  EXPECT_TRUE(dlg.BackToCorrection());
}

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
