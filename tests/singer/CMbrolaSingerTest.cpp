#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "lyrics/CSyllableTable.h"
#include "platform/UiServices.h"
#include "singer/CMbrolaSinger.h"
#include "singer/CMbrolaVoice.h"
#include "singer/CSongSinger.h"
#include "singer/CVocalMidiReader.h"
#include "singer/CVocalSinger.h"
#include "support/platform/ScriptedHost.h"
#include "support/platform/TempFolder.h"
#include "support/singer/SungVoice.h"
#include "support/vocal/PeerReaders.h"
#include "support/vocal/VocalNoteBuilder.h"

namespace crx {
namespace {

using test::EndRecord;
using test::Syllable;
using Lines = std::vector<std::string>;

constexpr double kLeadIn = 8.0;
constexpr int kRate = 44100;

bool Installed(SingerVoice voice) {
  return !CMbrolaVoice::FindProgram().empty() &&
         !CMbrolaVoice::FindDatabase(CSongSinger::DiphoneVoiceOf(voice)).empty();
}

#define SKIP_WITHOUT(voice) \
  if (!Installed(voice)) GTEST_SKIP() << "mbrola or its voice is not installed"

struct MbrolaTest : ::testing::Test {
  ScriptedHost host;
  ScopedUi scope{host};
  test::TempFolder folder;
  std::string midi = folder.File("vocal.mid");
  std::string wave = folder.File("vocal.wav");

  size_t written = 0;  // messages before the singer's

  test::SungWave Sing(const std::vector<VocalNote>& notes, SingerVoice voice) {
    test::WriteVocalMidi(midi, notes, {{0, 500000}});
    written = host.Messages().size();
    EXPECT_TRUE(CVocalSinger::Run(midi, wave, voice, SingerEngine::Mbrola));
    return test::ReadSungWave(wave);
  }
  // The singer's messages after the one that names the voice.
  Lines Problems() const {
    Lines m = host.Messages();
    m.erase(m.begin(), m.begin() + static_cast<long>(std::min(m.size(), written + 1)));
    return m;
  }
};

class MbrolaVoiceTest : public MbrolaTest, public ::testing::WithParamInterface<SingerVoice> {};

// Each note 0.375 s with a rest of 0.125 s after it, over two octaves and a
// half from the lowest note.
std::vector<VocalNote> Scale(int lowest, int highest) {
  const char* kana[] = {"あ", "か", "さ", "た", "な", "ま", "ら", "お"};
  std::vector<VocalNote> notes;
  for (int n = lowest; n <= highest; ++n)
    notes.push_back(Syllable((n - lowest) * 480, n, 360, kana[n % 8]));
  notes.push_back(EndRecord((highest - lowest + 1) * 480));
  return notes;
}

TEST_P(MbrolaVoiceTest, EveryNoteOfItsRangeSingsWithin10CentsByOurTrackerAndPraat) {
  SKIP_WITHOUT(GetParam());
  const int lowest = GetParam() == SingerVoice::Male ? 36 : 48;
  const int highest = lowest + 31;
  test::SungWave w = Sing(Scale(lowest, highest), GetParam());
  ASSERT_EQ(w.rate, kRate);
  EXPECT_EQ(Problems(), Lines{});
  const bool praat = test::HavePraat();
  const double floor = test::NoteHz(lowest) * 0.8;
  const auto frames = praat ? test::PraatPitch(wave, floor) : decltype(test::PraatPitch(wave)){};
  double worst = 0;
  for (int n = lowest; n <= highest; ++n) {
    const double start = kLeadIn + (n - lowest) * 0.5;
    const double from = start + 0.2 * 0.375, to = start + 0.8 * 0.375;
    const double ours = test::MedianPitch(w.left, kRate, from, to);
    // Our tracker starts at 70 Hz; lower notes are measured by praat alone.
    if (test::NoteHz(n) > 75) {
      EXPECT_NEAR(test::Cents(ours, test::NoteHz(n)), 0, 10) << "note " << n << ": " << ours;
    }
    if (praat) {
      const double peer = test::MedianOf(frames, from, to);
      EXPECT_NEAR(test::Cents(peer, test::NoteHz(n)), 0, 10) << "note " << n << ": praat " << peer;
      worst = std::max(worst, std::fabs(test::Cents(peer, test::NoteHz(n))));
    }
  }
  RecordProperty("worst_cents", std::to_string(worst));
}

TEST_P(MbrolaVoiceTest, VowelsStartOnTheBeatAndAFourSecondNoteHoldsItsLevel) {
  SKIP_WITHOUT(GetParam());
  const int base = GetParam() == SingerVoice::Male ? 48 : 60;
  // Onsets out of silence and legato, then a held note of 4 s.
  std::vector<VocalNote> notes = {Syllable(0, base, 240, "あ"),
                                  Syllable(480, base + 2, 240, "か"),
                                  Syllable(960, base + 4, 240, "さ"),
                                  Syllable(1440, base + 5, 470, "た"),
                                  Syllable(1920, base + 4, 470, "ぱ"),
                                  Syllable(2400, base + 2, 470, "か"),
                                  Syllable(2880, base, 470, "ち"),
                                  Syllable(3840, base, 3840, "あ"),
                                  EndRecord(8160)};
  test::SungWave w = Sing(notes, GetParam());
  for (int i = 0; i < 7; ++i) {
    const double beat = kLeadIn + notes[static_cast<size_t>(i)].startTick / 960.0;
    // After a rest from well before the beat. Legato from within the
    // voiceless onset (the vowel before sounds until it), and at a level
    // above its burst or frication, 7 to 9 dB under the vowel's.
    const double from = i < 4 ? beat - 0.1 : beat - 0.04;
    const double level = i < 4 ? -40 : -30;
    const double onset = test::VoicedOnset(w.left, kRate, from, beat + 0.2, level);
    EXPECT_NEAR(onset, beat, 0.02) << "note " << i;
  }
  const double start = kLeadIn + 4.0;
  const double middle = test::RmsDb(w.left, kRate, start + 0.5, start + 3.5);
  for (double t = start + 0.5; t < start + 3.5; t += 0.05)
    EXPECT_NEAR(test::RmsDb(w.left, kRate, t, t + 0.05), middle, 6) << "at " << t - start;
  // Sung on pitch over its whole length, vibrato and all.
  EXPECT_NEAR(
      test::Cents(test::MedianPitch(w.left, kRate, start + 0.3, start + 3.7), test::NoteHz(base)),
      0, 10);
  EXPECT_LT(test::PeakDb(w.left), -7);
}

INSTANTIATE_TEST_SUITE_P(AllVoices, MbrolaVoiceTest,
                         ::testing::Values(SingerVoice::Female, SingerVoice::Female2,
                                           SingerVoice::Male));

// Every kana of the phonetic table after a vowel, after a rest, after the
// moraic nasal and after the small tsu, in each voice: no diphone is missing,
// neither by our table nor by the synthesizer's own warnings.
TEST_P(MbrolaVoiceTest, EveryKanaOfTheTableIsSungWithoutAMissingDiphone) {
  SKIP_WITHOUT(GetParam());
  const int note = GetParam() == SingerVoice::Male ? 50 : 62;
  const char* table[] = {
      "あ",   "い",   "う",     "え",     "お",     "か",     "き",   "く",   "け",   "こ",
      "さ",   "し",   "す",     "せ",     "そ",     "た",     "ち",   "つ",   "て",   "と",
      "な",   "に",   "ぬ",     "ね",     "の",     "は",     "ひ",   "ふ",   "へ",   "ほ",
      "ま",   "み",   "む",     "め",     "も",     "や",     "ゆ",   "よ",   "ら",   "り",
      "る",   "れ",   "ろ",     "わ",     "を",     "ん",     "が",   "ぎ",   "ぐ",   "げ",
      "ご",   "ざ",   "じ",     "ず",     "ぜ",     "ぞ",     "だ",   "ぢ",   "づ",   "で",
      "ど",   "ば",   "び",     "ぶ",     "べ",     "ぼ",     "ぱ",   "ぴ",   "ぷ",   "ぺ",
      "ぽ",   "きゃ", "きゅ",   "きょ",   "ぎゃ",   "ぎゅ",   "ぎょ", "しゃ", "しゅ", "しょ",
      "りゃ", "りゅ", "りょ",   "ちゃ",   "ちゅ",   "ちょ",   "じゃ", "じゅ", "じょ", "みゃ",
      "みゅ", "みょ", "ひゃ",   "ひゅ",   "ひょ",   "びゃ",   "びゅ", "びょ", "ぴゃ", "ぴゅ",
      "ぴょ", "にゃ", "にゅ",   "にょ",   "てゅ",   "てぃ",   "とぅ", "でゅ", "どぅ", "うぃ",
      "うぇ", "うぉ", "ふぁ",   "ずぃ",   "でぃ",   "みぇ",   "ふぃ", "ふゅ", "ふぇ", "ふぉ",
      "ひぇ", "にぇ", "ちぇ",   "つぃ",   "しぇ",   "すぃ",   "ぴぇ", "びぇ", "じぇ", "ぢゃ",
      "ぢゅ", "ぢょ", "き゜ゃ", "き゜ゅ", "き゜ょ", "き゜ぇ", "ゃ",   "ゅ",   "ょ"};
  // One phrase per kana, legato: after a rest, after a vowel, after the
  // nasal, after the small tsu.
  const char* before[] = {"お", "ん", "っ"};
  std::vector<VocalNote> notes;
  int tick = 0;
  for (const char* kana : table) {
    notes.push_back(Syllable(tick, note, 120, kana));
    tick += 120;
    for (const char* b : before) {
      notes.push_back(Syllable(tick, note, 120, b));
      notes.push_back(Syllable(tick + 120, note + 2, 120, kana));
      tick += 240;
    }
    tick += 360;
  }
  notes.push_back(EndRecord(tick));
  test::WriteVocalMidi(midi, notes, {{0, 500000}});
  const CVocalMidiReader::Result read = CVocalMidiReader::FromFile(midi);
  ASSERT_EQ(read.error, "");
  CMbrolaSinger singer(read.sequence, CSongSinger::DiphoneVoiceOf(GetParam()));
  std::vector<float> track(CSongSinger::OutputLength(read.sequence) / 2 + 1, 0.0f);
  SampleSpans sounding, sung;
  ASSERT_TRUE(singer.Sing(track, sounding, sung)) << singer.Error();
  EXPECT_EQ(singer.Problems(), Lines{});
  EXPECT_EQ(singer.PhraseCount(), std::size(table));
  // Every phrase sounds.
  for (size_t k = 0; k < std::size(table); ++k) {
    const double from = kLeadIn + static_cast<double>(k) * 1.25;
    const size_t to = static_cast<size_t>((from + 0.85) * CMbrolaSinger::kSampleRate);
    ASSERT_LE(to, track.size());
    float peak = 0;
    for (size_t n = static_cast<size_t>(from * CMbrolaSinger::kSampleRate); n < to; ++n)
      peak = std::max(peak, std::fabs(track[n]));
    EXPECT_GT(peak, 0.05f) << table[k];
  }
}

// What no singer should have to sing: a note of 20 s, notes of one tick,
// pitches 0 and 127, 2,000 syllables in one phrase, a symbol no table holds.
TEST_F(MbrolaTest, BadInputIsSungOrLeftOutWithAMessageAndTheWaveIsWhole) {
  SKIP_WITHOUT(SingerVoice::Female);
  VocalNote odd = Syllable(33000, 60, 400, "あ");
  odd.phonetic = "Q o";
  std::vector<VocalNote> notes = {Syllable(0, 60, 19200, "あ"),    Syllable(19680, 62, 1, "か"),
                                  Syllable(19681, 64, 1, "き"),    Syllable(19682, 65, 400, "く"),
                                  Syllable(20640, 0, 400, "さ"),   Syllable(21120, 127, 400, "し"),
                                  Syllable(21600, 60, 9600, "ん"), odd};
  const char* kana[] = {"か", "ら", "ん", "っ", "ー", "し", "ぴゃ"};
  int tick = 34000;
  for (int i = 0; i < 2000; ++i, tick += 30)
    notes.push_back(Syllable(tick, 60 + i % 7, 30, kana[i % 7]));
  notes.push_back(EndRecord(tick + 480));
  test::SungWave w = Sing(notes, SingerVoice::Female);
  ASSERT_EQ(w.rate, kRate);
  EXPECT_EQ(w.left.size(),
            static_cast<size_t>(std::llround((kLeadIn + (tick + 480) / 960.0) * kRate)));
  EXPECT_EQ(
      Problems(),
      (Lines{"CantorixSinger: 2 note(s) lie outside the range of the voice jp2 and are sung at "
             "its nearest pitch",
             "CantorixSinger: 2 note(s) start less than 20 ms before the next one and are "
             "left out",
             "CantorixSinger: no kana for the phonetic symbols \"Q o\"; sung on their vowel"}));
  // The 20 s note sounds from end to end, and on pitch.
  for (double t = kLeadIn + 0.2; t < kLeadIn + 19.8; t += 0.1)
    ASSERT_GT(test::RmsDb(w.left, kRate, t, t + 0.1), -40) << "at " << t - kLeadIn;
  for (double t : {1.0, 10.0, 18.0}) {
    EXPECT_NEAR(test::Cents(test::MedianPitch(w.left, kRate, kLeadIn + t, kLeadIn + t + 0.5),
                            test::NoteHz(60)),
                0, 10)
        << "at " << t;
  }
  // The held nasal of 10 s sounds for as long as the synthesizer can hold it.
  EXPECT_GT(test::RmsDb(w.left, kRate, kLeadIn + 22.6, kLeadIn + 24), -40);
  // The long phrase is sung to its end.
  EXPECT_GT(test::RmsDb(w.left, kRate, kLeadIn + tick / 960.0 - 1, kLeadIn + tick / 960.0), -40);
}

// A PATH without the synthesizer: espeak-ng sings and says how to get the
// natural voice; asked for by name, the missing synthesizer is an error.
TEST(MbrolaCommandTest, WithoutMbrolaTheFormantVoiceSingsAndSaysSo) {
  test::TempFolder folder;
  ScriptedHost host;
  ScopedUi scope(host);
  const std::string midi = folder.File("vocal.mid");
  test::WriteVocalMidi(midi, {Syllable(0, 64, 400, "か"), EndRecord(960)}, {{0, 500000}});
  const std::string singer = std::string(CRX_START_FOLDER) + "/CantorixSinger";
  const std::string empty = folder.File("bin");
  test::CommandLines("mkdir " + test::ShellQuote(empty));
  int status = -1;
  Lines out = test::CommandLines("PATH=" + test::ShellQuote(empty) + " " + singer +
                                     " --voice female " + test::ShellQuote(midi) + " 2>&1",
                                 &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(out, Lines{"CantorixSinger: sung by the female voice of espeak-ng; the natural voice "
                       "needs mbrola, from Debian's contrib and non-free sections "
                       "(tools/install-deps.sh installs them)"});
  EXPECT_EQ(test::ReadSungWave(folder.File("vocal.wav")).rate, kRate);

  test::CommandLines("rm " + test::ShellQuote(folder.File("vocal.wav")));
  out = test::CommandLines("PATH=" + test::ShellQuote(empty) + " " + singer + " --engine mbrola " +
                               test::ShellQuote(midi) + " 2>&1",
                           &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(out, Lines{"CantorixSinger: the natural voice needs mbrola, from Debian's contrib and "
                       "non-free sections (tools/install-deps.sh installs them)"});
  EXPECT_EQ(test::CommandLines("ls " + test::ShellQuote(folder.Path())),
            (Lines{"bin", "vocal.mid"}));
}

// A temporary folder named like an option: the synthesizer still writes its
// output there, not to its standard output.
TEST(MbrolaCommandTest, ATemporaryFolderNamedLikeAnOptionStillHoldsTheOutput) {
  SKIP_WITHOUT(SingerVoice::Female);
  test::TempFolder folder;
  const std::string midi = folder.File("vocal.mid");
  {
    ScriptedHost host;
    ScopedUi scope(host);
    test::WriteVocalMidi(midi, {Syllable(0, 64, 400, "か"), EndRecord(960)}, {{0, 500000}});
  }
  test::CommandLines("mkdir " + test::ShellQuote(folder.File("-tmp")));
  const std::string singer = std::string(CRX_START_FOLDER) + "/CantorixSinger";
  int status = -1;
  const Lines out =
      test::CommandLines("cd " + test::ShellQuote(folder.Path()) + " && TMPDIR=-tmp " + singer +
                             " --voice female vocal.mid 2>&1",
                         &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(out, Lines{"CantorixSinger: sung by the female voice jp2 (mbrola)"});
  const test::SungWave w = test::ReadSungWave(folder.File("vocal.wav"));
  EXPECT_GT(test::RmsDb(w.left, kRate, kLeadIn, kLeadIn + 0.4), -40);
  // Nothing is left behind in it.
  EXPECT_EQ(test::CommandLines("ls -A " + test::ShellQuote(folder.File("-tmp"))), Lines{});
}

// A synthesizer that fails every run: each phrase is reported by its time,
// and a song of which nothing could be sung is no success.
TEST(MbrolaCommandTest, AFailingSynthesizerIsReportedAndLeavesNoWave) {
  if (CMbrolaVoice::FindDatabase(DiphoneVoice::Jp2).empty()) GTEST_SKIP() << "no voice jp2";
  test::TempFolder folder;
  const std::string bin = folder.File("bin");
  test::CommandLines("mkdir " + test::ShellQuote(bin));
  test::WriteFileBytes(bin + "/mbrola", "#!/bin/sh\necho 'Fatal error in line 3' >&2\nexit 254\n");
  test::CommandLines("chmod +x " + test::ShellQuote(bin + "/mbrola"));
  const std::string midi = folder.File("vocal.mid");
  {
    ScriptedHost host;
    ScopedUi scope(host);
    test::WriteVocalMidi(
        midi, {Syllable(0, 64, 400, "か"), Syllable(1920, 64, 400, "さ"), EndRecord(2880)},
        {{0, 500000}});
  }
  const std::string singer = std::string(CRX_START_FOLDER) + "/CantorixSinger";
  int status = -1;
  const Lines out = test::CommandLines("PATH=" + test::ShellQuote(bin) + " " + singer +
                                           " --voice female " + test::ShellQuote(midi) + " 2>&1",
                                       &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(out, (Lines{"CantorixSinger: sung by the female voice jp2 (mbrola)",
                        "CantorixSinger: the phrase at 0:08.0 could not be sung: mbrola failed "
                        "(status 254): Fatal error in line 3",
                        "CantorixSinger: the phrase at 0:10.0 could not be sung: mbrola failed "
                        "(status 254): Fatal error in line 3",
                        "CantorixSinger: no phrase could be sung"}));
  EXPECT_EQ(test::CommandLines("ls " + test::ShellQuote(folder.Path())),
            (Lines{"bin", "vocal.mid"}));
}

}  // namespace
}  // namespace crx
