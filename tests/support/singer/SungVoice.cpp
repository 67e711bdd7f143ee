#include "support/singer/SungVoice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "audio/CWaveFile.h"
#include "midi/MidiTrackData.h"
#include "support/platform/TempFolder.h"
#include "support/vocal/PeerReaders.h"
#include "vocal/CVocaloidFileWriter.h"

#include "support/vocal/VocalNoteBuilder.h"

namespace crx::test {
namespace {

constexpr double kFrameSeconds = 0.04;
constexpr double kHopSeconds = 0.02;
constexpr double kLowestHz = 70;
constexpr double kHighestHz = 1000;
constexpr double kVoicedCorrelation = 0.8;
// Onsets are looked for with short frames, so that a frame that only ends in
// the voice does not count: the level over 5 ms, the voicing over 20 ms.
constexpr double kOnsetLevelSeconds = 0.005;
constexpr double kOnsetFrameSeconds = 0.02;
constexpr double kOnsetLowestHz = 100;

std::unique_ptr<MidiTrackData> MainTrack(const std::vector<std::pair<int, int>>& tempos,
                                         int endTick) {
  int last = 0;
  auto track = TempoTrack(tempos, last);
  track->AppendEndOfTrack(std::max(0, endTick - last));
  return track;
}

// Frequency and correlation of the frame starting at sample `start`.
std::pair<double, double> FramePitch(const std::vector<float>& s, int rate, size_t start,
                                     double frameSeconds = kFrameSeconds,
                                     double lowestHz = kLowestHz) {
  const size_t n = static_cast<size_t>(frameSeconds * rate);
  const int lo = static_cast<int>(rate / kHighestHz);
  const int hi = static_cast<int>(rate / lowestHz);
  if (start + n + static_cast<size_t>(hi) + 2 > s.size()) return {0, 0};
  std::vector<double> c(static_cast<size_t>(hi + 2), 0.0);
  double best = -1;
  for (int lag = lo - 1; lag <= hi + 1; ++lag) {
    double xy = 0, xx = 0, yy = 0;
    for (size_t i = start; i < start + n; ++i) {
      xy += double{s[i]} * s[i + static_cast<size_t>(lag)];
      xx += double{s[i]} * s[i];
      yy += double{s[i + static_cast<size_t>(lag)]} * s[i + static_cast<size_t>(lag)];
    }
    c[static_cast<size_t>(lag)] = xy / std::sqrt(xx * yy + 1e-20);
    if (lag >= lo && lag <= hi) best = std::max(best, c[static_cast<size_t>(lag)]);
  }
  if (best < kVoicedCorrelation) return {0, best};
  // The shortest lag whose peak comes near the best: no octave too low.
  for (int lag = lo; lag <= hi; ++lag) {
    const double a = c[static_cast<size_t>(lag - 1)], b = c[static_cast<size_t>(lag)],
                 d = c[static_cast<size_t>(lag + 1)];
    if (b >= 0.95 * best && b >= a && b >= d) {
      const double denom = a - 2 * b + d;
      const double shift = std::fabs(denom) > 1e-12 ? 0.5 * (a - d) / denom : 0;
      return {rate / (lag + shift), best};
    }
  }
  return {0, best};
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : 0.5 * (v[v.size() / 2 - 1] + v[v.size() / 2]);
}

}  // namespace

void WriteVocalMidi(const std::string& path, const std::vector<VocalNote>& notes,
                    const std::vector<std::pair<int, int>>& tempos) {
  auto main = MainTrack(tempos, notes.empty() ? 0 : notes.back().startTick);
  CVocaloidFileWriter writer(notes, *main, 0);
  writer.Build("Alto", 0);
  ASSERT_TRUE(writer.Save(path));
}

SungWave ReadSungWave(const std::string& path) {
  SungWave wave;
  CWaveFile file;
  if (file.Open(CWaveFile::kModeRead, path) != 0) return wave;
  wave.channels = file.Channels();
  wave.rate = file.SampleRate();
  wave.bits = file.BitsPerSample();
  const std::vector<uint8_t> data = file.ReadData();
  if (wave.channels != 2 || wave.bits != 16) return wave;
  for (size_t i = 0; i + 3 < data.size(); i += 4) {
    wave.left.push_back(static_cast<int16_t>(data[i] | (data[i + 1] << 8)) / 32768.0f);
    wave.right.push_back(static_cast<int16_t>(data[i + 2] | (data[i + 3] << 8)) / 32768.0f);
  }
  return wave;
}

double MedianPitch(const std::vector<float>& samples, int rate, double from, double to) {
  std::vector<double> f;
  for (double t = from; t + kFrameSeconds <= to; t += kHopSeconds) {
    auto [hz, corr] = FramePitch(samples, rate, static_cast<size_t>(t * rate));
    if (hz > 0) f.push_back(hz);
  }
  return Median(f);
}

double VoicedOnset(const std::vector<float>& samples, int rate, double from, double to,
                   double levelDb) {
  const double step = 0.001;
  for (double t = std::max(0.0, from); t < to; t += step) {
    if (RmsDb(samples, rate, t, t + kOnsetLevelSeconds) < levelDb) continue;
    const size_t at = static_cast<size_t>(t * rate);
    if (FramePitch(samples, rate, at, kOnsetFrameSeconds, kOnsetLowestHz).first > 0) return t;
  }
  return -1;
}

double RmsDb(const std::vector<float>& samples, int rate, double from, double to) {
  const size_t a = static_cast<size_t>(std::max(0.0, from) * rate);
  const size_t b = std::min(samples.size(), static_cast<size_t>(to * rate));
  double sum = 0;
  for (size_t i = a; i < b; ++i) sum += double{samples[i]} * samples[i];
  return b > a && sum > 0 ? 10 * std::log10(sum / static_cast<double>(b - a)) : -200;
}

double PeakDb(const std::vector<float>& samples) {
  float p = 0;
  for (float v : samples) p = std::max(p, std::fabs(v));
  return p > 0 ? 20 * std::log10(p) : -200;
}

double Cents(double frequency, double reference) { return 1200 * std::log2(frequency / reference); }

double NoteHz(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

bool HavePraat() {
  int status = -1;
  CommandLines("command -v praat >/dev/null", &status);
  return status == 0;
}

std::vector<std::pair<double, double>> PraatPitch(const std::string& wavPath, double floorHz) {
  std::vector<std::pair<double, double>> frames;
  const std::string script = CRX_SOURCE_DIR "/tests/singer/peers/pitch_frames.praat";
  for (const std::string& line :
       CommandLines("praat --run " + ShellQuote(script) + " " + ShellQuote(wavPath) + " " +
                    std::to_string(floorHz) + " 2>&1")) {
    const size_t blank = line.find(' ');
    if (blank == std::string::npos) continue;
    const double t = std::atof(line.substr(0, blank).c_str());
    const std::string f = line.substr(blank + 1);
    frames.emplace_back(t, f.find("undefined") != std::string::npos ? 0.0 : std::atof(f.c_str()));
  }
  return frames;
}

double MedianOf(const std::vector<std::pair<double, double>>& frames, double from, double to) {
  std::vector<double> v;
  for (auto [t, f] : frames)
    if (t >= from && t < to && f > 0) v.push_back(f);
  return Median(v);
}

}  // namespace crx::test
