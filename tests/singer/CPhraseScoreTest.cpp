#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "lyrics/CSyllableTable.h"
#include "singer/CMbrolaPhonemes.h"
#include "singer/CPhoWriter.h"
#include "singer/CPhraseScore.h"
#include "singer/CPitchCurve.h"
#include "support/vocal/VocalNoteBuilder.h"

namespace crx {
namespace {

using Kind = ScoreNote::Kind;
constexpr int kRate = 22050;
constexpr DiphoneVoice kVoices[] = {DiphoneVoice::Jp1, DiphoneVoice::Jp2, DiphoneVoice::Jp3};

ScoreNote Note(const char* kana, double start, double end, double hz = 262,
               Kind kind = Kind::Mora) {
  ScoreNote n;
  n.kind = kind;
  n.start = start;
  n.end = end;
  n.hz = hz;
  const std::string phonetic = CSyllableTable::Phonetic(test::Cp932(kana)).phonetic;
  EXPECT_TRUE(CMbrolaPhonemes::MoraOf(phonetic, n.mora)) << kana;
  if (n.mora.onset == CMbrolaPhonemes::kNasal && kind == Kind::Mora) n.kind = Kind::Nasal;
  return n;
}

std::vector<std::string> Symbols(const CPhraseScore& score) {
  std::vector<std::string> out;
  for (const ScorePhone& p : score.Phones()) out.push_back(p.symbol);
  return out;
}

const ScorePhone* Find(const CPhraseScore& score, const std::string& symbol, double after = -1) {
  for (const ScorePhone& p : score.Phones())
    if (p.symbol == symbol && p.start >= after) return &p;
  return nullptr;
}

// The synthesizer's cut: each period a whole number of samples of what is
// asked for where it starts. The mean pitch over seconds from `from`.
double CutPitch(const CPitchCurve& curve, double from, double seconds) {
  double t = from;
  long samples = 0, periods = 0;
  while (t < from + seconds) {
    const long period = static_cast<long>(std::floor(kRate / curve.At(t)));
    samples += period;
    ++periods;
    t += static_cast<double>(period) / kRate;
  }
  return static_cast<double>(periods) * kRate / static_cast<double>(samples);
}

double Cents(double f, double reference) { return 1200 * std::log2(f / reference); }

TEST(PitchCurveTest, TheCutPeriodsAverageToTheNoteHeldOrWithVibratoAndGlideWithoutAJump) {
  double worstPlain = 0;
  for (int note = 36; note <= 84; ++note) {
    const double hz = 440 * std::pow(2.0, (note - 69) / 12.0);
    worstPlain = std::max(worstPlain, Cents(kRate / std::floor(kRate / hz), hz));
    CPitchCurve held(0, kRate);
    held.Add({0, hz, 0, 0, 0});
    EXPECT_NEAR(Cents(CutPitch(held, 0.1, 1.0), hz), 0, 1) << note;
    CPitchCurve vibrato(0, kRate);
    vibrato.Add({0, hz, 0.1, 30, 5.5});
    EXPECT_NEAR(Cents(CutPitch(vibrato, 0.4, 1.0 / 5.5 * 5), hz), 0, 2) << note;
  }
  // Without the sweep the cut is this far sharp.
  EXPECT_GT(worstPlain, 40);

  CPitchCurve curve(0, kRate);
  curve.Add({0, 200, 0, 0, 0});
  curve.Add({1.0, 300, 0, 0, 0});
  for (double t = 0.9; t < 1.1; t += 0.001)
    EXPECT_LT(std::fabs(curve.At(t + 0.001) - curve.At(t)), 4) << t;
  EXPECT_NEAR(curve.At(1.0 - CPitchCurve::kGlideSeconds - 0.002), 200, 3);
  EXPECT_NEAR(curve.At(1.0), 300, 5);
  // Points of a phone: its ends and every grid point between them.
  const auto points = curve.Points(0.1, 0.2);
  ASSERT_EQ(points.size(), 2 + 7u);
  EXPECT_EQ(points.front().first, 0.0);
  EXPECT_EQ(points.back().first, 100.0);
}

TEST(PhoWriterTest, NumbersLengthsPitchesAndLinesAreAlwaysWhatTheSynthesizerReads) {
  const bool comma = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
  std::vector<PhoPhone> phones = {{"_", 0.05, {}},
                                  {"k", 0.03333, {{0, 261.6256}, {100, 0}}},
                                  {"a", 0.03333, {{0, -5}, {50, NAN}, {100, 1e6}}},
                                  {"a:", 0.03334, {}}};
  for (int i = 0; i < 400; ++i) phones[3].points.emplace_back(i / 4.0, 200 + i);
  std::string text, error;
  ASSERT_TRUE(CPhoWriter::Write(phones, text, error)) << error;
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(text.find(','), std::string::npos) << "comma locale " << comma;
  std::vector<std::string> lines;
  for (size_t from = 0, nl; (nl = text.find('\n', from)) != std::string::npos; from = nl + 1)
    lines.push_back(text.substr(from, nl - from));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "_ 50.0");
  EXPECT_EQ(lines[1], "k 33.3 0.0 261.63 100.0 40.00");
  EXPECT_EQ(lines[2], "a 33.4 0.0 40.00 50.0 40.00 100.0 1500.00");
  // Lengths on a running total: 33.3 + 33.4 + 33.3 = 100.0 for 100.0 asked.
  EXPECT_EQ(lines[3].substr(0, 8), "a: 33.3 ");
  EXPECT_LE(lines[3].size() + 1, CPhoWriter::kMaxLineBytes);
  // Thinned but whole: pairs, the first and the last point kept.
  size_t numbers = 0;
  for (char c : lines[3]) numbers += c == ' ';
  EXPECT_EQ(numbers % 2, 1u);
  EXPECT_EQ(lines[3].substr(8, 10), "0.0 200.00");
  EXPECT_EQ(lines[3].substr(lines[3].size() - 11), "99.8 599.00");

  for (const char* bad : {"", "a;", "#", "a b", "-\xE3\x81\x82", "0123456789abcdefg"}) {
    EXPECT_FALSE(CPhoWriter::Write(std::vector<PhoPhone>{{bad, 0.05, {}}}, text, error)) << bad;
    EXPECT_FALSE(error.empty());
  }
  EXPECT_FALSE(CPhoWriter::Write(std::vector<PhoPhone>{{"a", 0.0049, {}}}, text, error));
  EXPECT_FALSE(CPhoWriter::Write(std::vector<PhoPhone>{{"a", NAN, {}}}, text, error));
}

TEST(PhraseScoreTest, TheVowelStartsOnTheBeatItsOnsetBeforeAndALongVowelIsHeadBodyAndTail) {
  // jp2 starts the vowels after k and t where they are asked for.
  const ScoreNote notes[] = {Note("か", 1.0, 1.5), Note("た", 1.5, 5.5)};
  const CPhraseScore score(DiphoneVoice::Jp2, notes, kRate);
  EXPECT_EQ(Symbols(score), (std::vector<std::string>{"_", "k", "a", "a:", "a", "t", "a", "a:", "a",
                                                      "a:", "a", "a:", "a", "a", "_"}));
  const auto& p = score.Phones();
  EXPECT_DOUBLE_EQ(p[1].start, 1.0 - CMbrolaPhonemes::OnsetSeconds("k"));
  EXPECT_DOUBLE_EQ(p[2].start, 1.0);
  EXPECT_DOUBLE_EQ(p[2].end, 1.0 + CPhraseScore::kHeadSeconds);
  EXPECT_DOUBLE_EQ(p[5].start, 1.5 - CMbrolaPhonemes::OnsetSeconds("t"));
  EXPECT_DOUBLE_EQ(p[6].start, 1.5);
  // Pieces of the body short enough for the synthesizer, the tail ending
  // before the note's end so that it dies away by then.
  for (size_t i = 7; i < 13; ++i)
    EXPECT_LE(p[i].end - p[i].start, CPhraseScore::kLongestPieceSeconds + 1e-9);
  EXPECT_NEAR(p[13].end - p[13].start, CPhraseScore::kTailSeconds, 1e-9);
  EXPECT_DOUBLE_EQ(p[13].end, 5.5 - CPhraseScore::kReleaseSeconds);
  EXPECT_EQ(score.Sung(),
            (std::vector<std::pair<double, double>>{{1.0, p[5].start}, {1.5, p[13].end}}));
  EXPECT_EQ(score.Unjoined(), std::vector<std::string>{});

  // jp2 says どぅ on its long u, which does not join itself: held on the
  // plain u, in pieces the synthesizer can hold.
  const ScoreNote du[] = {Note("どぅ", 1.0, 6.0, 784)};
  const CPhraseScore held(DiphoneVoice::Jp2, du, kRate);
  EXPECT_EQ(Symbols(held)[2], "u:");
  EXPECT_EQ(held.Unjoined(), std::vector<std::string>{});
  for (const ScorePhone& phone : held.Phones()) {
    if (phone.symbol != "_") {
      EXPECT_LT((phone.end - phone.start) * 784, 1000) << phone.symbol;
    }
  }

  // jp1 holds its a on itself.
  const CPhraseScore male(DiphoneVoice::Jp1, notes, kRate);
  EXPECT_EQ(Find(male, "a:"), nullptr);
  // An onset takes at most half the note before it.
  const ScoreNote fast[] = {Note("あ", 1.0, 1.06), Note("さ", 1.06, 1.5)};
  const CPhraseScore quick(DiphoneVoice::Jp1, fast, kRate);
  const ScorePhone* s = Find(quick, "s");
  ASSERT_NE(s, nullptr);
  EXPECT_NEAR(s->start, 1.03, 1e-9);
}

TEST(PhraseScoreTest, NasalSmallTsuAndLongVowelMark) {
  // jp2 says the nasal at the place of what follows, and after a rest on a
  // short u it can start from.
  const ScoreNote nasals[] = {Note("ん", 1.0, 1.15), Note("ば", 1.15, 1.3),
                              Note("ん", 1.3, 1.45), Note("か", 1.45, 1.6),
                              Note("ん", 1.6, 1.75), Note("さ", 1.75, 1.9),
                              Note("ん", 1.9, 2.2),  Note("ん", 2.2, 2.5, 300, Kind::Hold)};
  const CPhraseScore score(DiphoneVoice::Jp2, nasals, kRate);
  EXPECT_EQ(Symbols(score), (std::vector<std::string>{"_", "u", "m:", "b", "a", "G:", "k", "a",
                                                      "N:", "s", "a", "N:", "_"}));
  EXPECT_EQ(score.Unjoined(), std::vector<std::string>{});
  // The held nasal lasts both notes, at most as many periods as it can.
  const ScorePhone& held = score.Phones()[11];
  EXPECT_NEAR(held.start, 1.9, 1e-9);
  EXPECT_NEAR(held.end, 2.5 - CPhraseScore::kReleaseSeconds, 1e-9);
  const ScoreNote longNasal[] = {Note("ん", 1.0, 20.0, 784)};
  const CPhraseScore capped(DiphoneVoice::Jp3, longNasal, kRate);
  const ScorePhone* n = Find(capped, "N");
  ASSERT_NE(n, nullptr);
  EXPECT_LE((n->end - n->start) * 784, CPhraseScore::kMostNasalPeriods + 1e-6);

  // Small tsu: silence from its note to the next onset; the long vowel mark
  // holds the vowel on, with no new onset: one vowel of 0.2 s, head, body
  // and tail.
  const ScoreNote tsu[] = {Note("か", 1.0, 1.15), Note("っ", 1.15, 1.45, 262, Kind::Closure),
                           Note("た", 1.45, 1.55), Note("あ", 1.55, 1.65, 294, Kind::Hold)};
  const CPhraseScore closure(DiphoneVoice::Jp1, tsu, kRate);
  EXPECT_EQ(Symbols(closure),
            (std::vector<std::string>{"_", "k", "a", "_", "t", "a", "a", "a", "_"}));
  const ScorePhone& gap = closure.Phones()[3];
  EXPECT_NEAR(gap.start, 1.15, 1e-9);
  EXPECT_NEAR(gap.end, closure.Phones()[4].start, 1e-9);
  EXPECT_NEAR(closure.Phones().back().start, 1.65 - CPhraseScore::kReleaseSeconds, 1e-9);
}

// Random phrases of every kana, note lengths from 20 ms to 3 s, legato and
// with rests, pitches over each voice's range: the phones always join, are
// never shorter than the synthesizer keeps nor longer than it can hold, and
// their phoneme file is always written.
TEST(PhraseScoreTest, RandomPhrasesAlwaysMakeAPhonemeFileTheSynthesizerSings) {
  const char* kana[] = {"あ",   "き",   "す",   "て",   "の",     "ひ",   "ふ",   "む",   "よ",
                        "り",   "わ",   "を",   "ん",   "が",     "じ",   "ず",   "ぢ",   "づ",
                        "で",   "ぼ",   "ぴゃ", "しょ", "ちゅ",   "にゃ", "ひょ", "てぃ", "どぅ",
                        "うぇ", "ふぁ", "ずぃ", "つぃ", "き゜ゃ", "ゃ"};
  std::mt19937 random(24);
  for (DiphoneVoice voice : kVoices) {
    for (int phrase = 0; phrase < 60; ++phrase) {
      std::vector<ScoreNote> notes;
      double t = 1.0;
      const int count = 1 + static_cast<int>(random() % 40);
      for (int i = 0; i < count; ++i) {
        const double length =
            0.02 + (random() % 100 < 90 ? (random() % 400) / 1000.0 : (random() % 3000) / 1000.0);
        const double hz = 60 + random() % 1000;
        const int what = static_cast<int>(random() % 10);
        ScoreNote n = Note(kana[random() % std::size(kana)], t, t + length, hz);
        if (what == 0) n.kind = Kind::Closure;
        if (what == 1) n.kind = Kind::Hold;
        if (what == 2) n.vibratoCents = 40, n.vibratoRate = 6, n.vibratoFrom = t + 0.1;
        notes.push_back(n);
        t += length + (random() % 4 == 0 ? (random() % 240) / 1000.0 : 0);
      }
      const CPhraseScore score(voice, notes, kRate);
      const auto& phones = score.Phones();
      ASSERT_FALSE(phones.empty());
      EXPECT_EQ(score.Unjoined(), std::vector<std::string>{}) << "phrase " << phrase;
      for (size_t i = 0; i < phones.size(); ++i) {
        const ScorePhone& p = phones[i];
        ASSERT_GE(p.end - p.start, CPhraseScore::kShortestPhoneSeconds - 1e-9)
            << p.symbol << " " << i;
        if (i + 1 < phones.size()) {
          ASSERT_NEAR(p.end, phones[i + 1].start, 1e-9);
        }
      }
      // Periods of each voiced phone at the pitch it is sung on (the median
      // of its points: a glide into the next note may end it higher).
      for (const PhoPhone& p : score.PhoPhones()) {
        if (p.points.empty()) continue;
        std::vector<double> hz;
        for (auto [at, f] : p.points) hz.push_back(f);
        std::nth_element(hz.begin(), hz.begin() + static_cast<long>(hz.size() / 2), hz.end());
        ASSERT_LE(p.seconds * hz[hz.size() / 2], CPhraseScore::kMostNasalPeriods + 1) << p.symbol;
      }
      std::string text, error;
      ASSERT_TRUE(CPhoWriter::Write(score.PhoPhones(), text, error)) << error;
      for (size_t from = 0, nl; (nl = text.find('\n', from)) != std::string::npos; from = nl + 1)
        ASSERT_LE(nl + 1 - from, CPhoWriter::kMaxLineBytes);
    }
  }
}

}  // namespace
}  // namespace crx
