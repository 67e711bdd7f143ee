#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "lyrics/VocalNote.h"

namespace crx::test {

// Writes the records as our writer writes a vocal MIDI, over a karaoke main
// track with the tempos (absolute tick, microseconds per quarter note).
void WriteVocalMidi(const std::string& path, const std::vector<VocalNote>& notes,
                    const std::vector<std::pair<int, int>>& tempos);

// A WAV as the tests look at it: its format and its left channel in [-1, 1].
struct SungWave {
  int channels = 0;
  int rate = 0;
  int bits = 0;
  std::vector<float> left;
  std::vector<float> right;
};
SungWave ReadSungWave(const std::string& path);

// The pitch tracker of the tests: normalised autocorrelation over frames of
// 40 ms every 20 ms between 70 and 1000 Hz; a frame is voiced when its best
// correlation passes 0.8. The median of the voiced frames in [from, to)
// seconds, 0 when none is voiced.
double MedianPitch(const std::vector<float>& samples, int rate, double from, double to);
// The first time at or after from (seconds) from which the level over 5 ms
// passes -40 dBFS (or levelDb) and 20 ms are voiced (above 100 Hz); -1 when
// none up to `to`.
double VoicedOnset(const std::vector<float>& samples, int rate, double from, double to,
                   double levelDb = -40);
// RMS and peak in dBFS over [from, to) seconds.
double RmsDb(const std::vector<float>& samples, int rate, double from, double to);
double PeakDb(const std::vector<float>& samples);
// Cents from the reference frequency.
double Cents(double frequency, double reference);
double NoteHz(int note);

// Praat's pitch frames (time, Hz; 0 unvoiced) of a WAV; empty without praat.
bool HavePraat();
// floorHz: the lowest pitch praat looks for.
std::vector<std::pair<double, double>> PraatPitch(const std::string& wavPath, double floorHz = 75);
// The median of the voiced frames in [from, to).
double MedianOf(const std::vector<std::pair<double, double>>& frames, double from, double to);

}  // namespace crx::test
