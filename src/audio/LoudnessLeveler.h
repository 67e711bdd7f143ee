#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace crx {

// Brings a finished song to a chosen loudness for its MP3 and its video:
// the integrated loudness (ITU-R BS.1770, gated) of a 16-bit PCM WAV is
// measured, the samples are scaled to the target and passed through a
// look-ahead limiter that keeps the true peak (the peak between the samples
// as well) under the ceiling, and the result is written as a new WAV of the
// same format. What limiting takes from the loudness is given back in a
// further pass, until the result is within the tolerance of the target.
//
// A silent song stays as it is; a very quiet one is raised by kMaxGainDb at
// most.
class LoudnessLeveler {
 public:
  static constexpr double kDefaultTargetLufs = -16.0;
  static constexpr double kMinTargetLufs = -40.0;
  static constexpr double kMaxTargetLufs = -6.0;
  static constexpr double kTruePeakCeilingDbtp = -1.0;
  // Room left under the ceiling for what an encoder adds to the peaks.
  static constexpr double kEncoderHeadroomDb = 1.5;
  static constexpr double kMaxGainDb = 30.0;
  static constexpr double kToleranceLu = 0.2;
  static constexpr int kMaxPasses = 6;
  // The limiter's gain falls over this time before a peak and recovers over
  // the release time after it.
  static constexpr double kAttackSeconds = 0.005;
  static constexpr double kReleaseSeconds = 0.2;
  static constexpr size_t kBlockFrames = 16384;
  static constexpr std::string_view kNotPcm16Message =
      "%sは16ビットPCMのWAVEファイルではないので、音量をそろえられません。";

  struct Measure {
    double lufs = 0;          // -inf when silent
    double truePeakDbtp = 0;  // -inf when silent
  };
  struct Report {
    Measure input;
    Measure output;
    double gainDb = 0;
    int passes = 0;
  };

  explicit LoudnessLeveler(double targetLufs = kDefaultTargetLufs);

  // Writes the leveled copy of the WAV at input to output (created or
  // truncated; the caller removes it after a failure). False after the
  // message of what failed: a WAV that is not 16-bit PCM, or a read or write
  // that failed.
  bool Level(const std::string& input, const std::string& output);
  const Report& Result() const { return report_; }

  // The loudness and true peak of a 16-bit PCM WAV; false (after the
  // reader's message) when it cannot be read.
  static bool MeasureFile(const std::string& path, Measure& out);

 private:
  // One pass of scaling and limiting from input to output, measuring what
  // it writes.
  bool Render(const std::string& input, const std::string& output, double gainDb,
              double ceilingDbtp, Measure& written) const;

  double target_;
  Report report_;
};

}  // namespace crx
