#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/UiServices.h"
#include "singer/CMbrolaVoice.h"
#include "singer/CSongSinger.h"
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

// The four pre-measures of the sequence at 120 quarter notes a minute.
constexpr double kLeadIn = 8.0;
constexpr int kRate = 44100;

struct SingingTest : ::testing::Test {
  ScriptedHost host;
  ScopedUi scope{host};
  test::TempFolder folder;
  std::string midi = folder.File("vocal.mid");
  std::string wave = folder.File("vocal.wav");
  // These tests are of the formant voice; the diphone voices have their own.
  SingerEngine engine = SingerEngine::Espeak;

  test::SungWave Sing(const std::vector<VocalNote>& notes,
                      const std::vector<std::pair<int, int>>& tempos,
                      std::optional<SingerVoice> voice) {
    test::WriteVocalMidi(midi, notes, tempos);
    EXPECT_TRUE(CVocalSinger::Run(midi, wave, voice, engine));
    return test::ReadSungWave(wave);
  }
};

// Notes from 48 to 79, each 0.375 s with a rest of 0.125 s after it.
std::vector<VocalNote> Scale() {
  const char* kana[] = {"あ", "か", "さ", "た", "な", "ま", "ら", "お"};
  std::vector<VocalNote> notes;
  for (int n = 48; n <= 79; ++n) notes.push_back(Syllable((n - 48) * 480, n, 360, kana[n % 8]));
  notes.push_back(EndRecord(32 * 480));
  return notes;
}

class PitchTest : public SingingTest, public ::testing::WithParamInterface<SingerVoice> {};

TEST_P(PitchTest, EveryNoteFrom48To79SingsWithin10CentsByOurTrackerAndPraat) {
  test::SungWave w = Sing(Scale(), {{0, 500000}}, GetParam());
  ASSERT_EQ(w.rate, kRate);
  const bool praat = test::HavePraat();
  const auto frames = praat ? test::PraatPitch(wave) : decltype(test::PraatPitch(wave)){};
  for (int n = 48; n <= 79; ++n) {
    const double start = kLeadIn + (n - 48) * 0.5;
    const double from = start + 0.2 * 0.375, to = start + 0.8 * 0.375;
    const double ours = test::MedianPitch(w.left, kRate, from, to);
    EXPECT_NEAR(test::Cents(ours, test::NoteHz(n)), 0, 10) << "note " << n << ": " << ours << " Hz";
    if (praat) {
      const double peer = test::MedianOf(frames, from, to);
      EXPECT_NEAR(test::Cents(peer, test::NoteHz(n)), 0, 10)
          << "note " << n << ": praat " << peer << " Hz";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(BothVoices, PitchTest,
                         ::testing::Values(SingerVoice::Female, SingerVoice::Male));

// Each engine with each of its voices; the diphone voices only where installed.
struct Singer {
  SingerEngine engine;
  std::optional<SingerVoice> voice;
};
class EngineTest : public SingingTest, public ::testing::WithParamInterface<Singer> {};

TEST_P(EngineTest, OnsetsLengthSilenceAndLevelUnderTempoChanges) {
  engine = GetParam().engine;
  const SingerVoice named = GetParam().voice.value_or(SingerVoice::Male);
  if (engine == SingerEngine::Mbrola &&
      (CMbrolaVoice::FindProgram().empty() ||
       CMbrolaVoice::FindDatabase(CSongSinger::DiphoneVoiceOf(named)).empty()))
    GTEST_SKIP() << "mbrola or its voice is not installed";
  // 120 bpm, 150 bpm from tick 960, 80 bpm from tick 1920; two phrases.
  // Each note is followed by a rest, so that its vowel starts out of silence.
  // The male diphone voice sings them an octave lower, in its own range.
  const int o = engine == SingerEngine::Mbrola && named == SingerVoice::Male ? 12 : 0;
  std::vector<VocalNote> notes = {Syllable(0, 60 - o, 240, "あ"),
                                  Syllable(480, 62 - o, 240, "か"),
                                  Syllable(960, 64 - o, 240, "さ"),
                                  Syllable(1440, 65 - o, 240, "た"),
                                  Syllable(2880, 67 - o, 240, "ぱ"),
                                  Syllable(3360, 65 - o, 240, "か"),
                                  EndRecord(4320)};
  test::SungWave w = Sing(notes, {{0, 500000}, {960, 400000}, {1920, 750000}}, GetParam().voice);
  ASSERT_EQ(w.channels, 2);
  ASSERT_EQ(w.bits, 16);
  EXPECT_EQ(w.left, w.right);
  // Seconds of the song's ticks under its tempo map, and of each note's end.
  const double at[] = {0, 0.5, 1.0, 1.4, 3.3, 4.05};
  const double length[] = {0.25, 0.25, 0.2, 0.2, 0.375, 0.375};
  const double end = 1.8 + 2400 / 640.0;
  EXPECT_EQ(w.left.size(), static_cast<size_t>(std::llround((kLeadIn + end) * kRate)));

  for (size_t i = 0; i < 6; ++i) {
    const double beat = kLeadIn + at[i];
    const double onset = test::VoicedOnset(w.left, kRate, beat - 0.1, beat + 0.2);
    EXPECT_NEAR(onset, beat, 0.02) << "note " << i;
  }
  // Digital silence outside the notes (consonants start at most 0.25 s early).
  std::vector<bool> sung(w.left.size(), false);
  double sum = 0;
  size_t count = 0;
  for (size_t i = 0; i < 6; ++i) {
    const double s = kLeadIn + at[i];
    for (size_t k = static_cast<size_t>((s - 0.25) * kRate);
         k < static_cast<size_t>((s + length[i]) * kRate) + 1; ++k)
      sung[k] = true;
    for (size_t k = static_cast<size_t>(s * kRate);
         k < static_cast<size_t>((s + length[i]) * kRate); ++k, ++count)
      sum += double{w.left[k]} * w.left[k];
  }
  size_t loud = 0;
  for (size_t k = 0; k < w.left.size(); ++k)
    if (!sung[k] && w.left[k] != 0.0f) {
      if (loud % 2000 == 0)
        ADD_FAILURE() << "sound at " << static_cast<double>(k) / kRate - kLeadIn;
      ++loud;
    }
  EXPECT_EQ(loud, 0u);
  EXPECT_NEAR(10 * std::log10(sum / static_cast<double>(count)), -23, 1);
  EXPECT_LT(test::PeakDb(w.left), -7);
  EXPECT_EQ(host.Messages(),
            (Lines{"CantorixSinger: " + CVocalSinger::VoiceLine(named, engine, "")}));
}

INSTANTIATE_TEST_SUITE_P(EnginesAndVoices, EngineTest,
                         ::testing::Values(Singer{SingerEngine::Espeak, std::nullopt},
                                           Singer{SingerEngine::Mbrola, SingerVoice::Female},
                                           Singer{SingerEngine::Mbrola, SingerVoice::Female2},
                                           Singer{SingerEngine::Mbrola, SingerVoice::Male}));

TEST_F(SingingTest, AFourSecondNoteIsHeldWithoutAGap) {
  test::SungWave w =
      Sing({Syllable(0, 57, 3840, "あ"), EndRecord(4320)}, {{0, 500000}}, SingerVoice::Male);
  const double median = test::RmsDb(w.left, kRate, kLeadIn + 0.1, kLeadIn + 3.9);
  for (double t = kLeadIn + 0.05; t < kLeadIn + 3.9; t += 0.05) {
    EXPECT_GT(test::RmsDb(w.left, kRate, t, t + 0.05), median - 6) << "at " << t - kLeadIn;
  }
  for (double t = kLeadIn + 0.1; t < kLeadIn + 3.8; t += 0.25) {
    const double f = test::MedianPitch(w.left, kRate, t, t + 0.1);
    EXPECT_NEAR(test::Cents(f, test::NoteHz(57)), 0, 60) << "at " << t - kLeadIn;
  }
}

TEST_F(SingingTest, SmallTsuRestsAndALongVowelHoldsTheVowelBefore) {
  // こ, a long vowel a tone higher joined to it, a small tsu, then か.
  test::SungWave w =
      Sing({Syllable(0, 60, 480, "こ"), Syllable(480, 62, 480, "ー"), Syllable(960, 62, 480, "っ"),
            Syllable(1440, 64, 480, "か"), EndRecord(1920)},
           {{0, 500000}}, SingerVoice::Male);
  // No gap where the long vowel joins; it sings at its own note.
  for (double t = kLeadIn + 0.1; t < kLeadIn + 0.9; t += 0.01)
    EXPECT_GT(test::RmsDb(w.left, kRate, t, t + 0.01), -40) << "at " << t - kLeadIn;
  EXPECT_NEAR(
      test::Cents(test::MedianPitch(w.left, kRate, kLeadIn + 0.6, kLeadIn + 0.9), test::NoteHz(62)),
      0, 10);
  // The small tsu is silence until the consonant of the next note.
  for (size_t k = static_cast<size_t>((kLeadIn + 1.01) * kRate);
       k < static_cast<size_t>((kLeadIn + 1.2) * kRate); ++k)
    ASSERT_EQ(w.left[k], 0.0f) << static_cast<double>(k) / kRate - kLeadIn;
  EXPECT_NEAR(test::VoicedOnset(w.left, kRate, kLeadIn + 1.4, kLeadIn + 1.7), kLeadIn + 1.5, 0.02);
}

TEST_F(SingingTest, SymbolsWithoutKanaAreSungOnTheirVowelWithOneMessage) {
  VocalNote odd = Syllable(0, 60, 400, "あ");
  odd.phonetic = "Q o";
  VocalNote again = Syllable(480, 60, 400, "あ");
  again.phonetic = "Q o";
  VocalNote other = Syllable(960, 60, 400, "あ");
  other.phonetic = "X";
  test::SungWave w = Sing({odd, again, other, EndRecord(1440)}, {{0, 500000}}, std::nullopt);
  EXPECT_EQ(host.Messages(),
            (Lines{"CantorixSinger: sung by the male voice of espeak-ng",
                   "CantorixSinger: no kana for the phonetic symbols \"Q o\", \"X\"; sung on "
                   "their vowel"}));
  EXPECT_NEAR(
      test::Cents(test::MedianPitch(w.left, kRate, kLeadIn + 1.1, kLeadIn + 1.3), test::NoteHz(60)),
      0, 10);
}

}  // namespace
}  // namespace crx
