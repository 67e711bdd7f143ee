#pragma once

#include <ebur128.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace crx::renderer {

// Brings a render to a steady loudness before it becomes 16-bit: the
// floating-point samples are spooled to an unnamed temporary file while
// their integrated loudness (ITU-R BS.1770, gated) is measured; then they
// are read back, scaled to the target and passed through a look-ahead peak
// limiter so that no sample exceeds the ceiling.
//
// The target holds at the renderer's default volume; another volume setting
// lowers or raises it by what its channel-volume scaling does to the sound
// (the synthesizer follows the General MIDI volume curve, 40 dB per decade
// of Channel Volume). A silent render stays silent.
class LoudnessNormalizer {
 public:
  static constexpr double kTargetLufs = -26.0;
  static constexpr double kCeilingDbfs = -6.0;
  static constexpr int kReferenceVolumePercent = 70;
  static constexpr double kVolumeCurveDb = 40.0;
  // A render too quiet to be measured sensibly is raised by this much at most.
  static constexpr double kMaxGainDb = 40.0;
  // The limiter's gain falls over this time before a peak and recovers
  // over the release time after it.
  static constexpr double kAttackSeconds = 0.005;
  static constexpr double kReleaseSeconds = 0.25;
  static constexpr size_t kBlockFrames = 8192;

  using Sink = std::function<bool(std::span<const int16_t> interleaved)>;

  LoudnessNormalizer(uint32_t sampleRate, int volumePercent);
  ~LoudnessNormalizer();
  LoudnessNormalizer(const LoudnessNormalizer&) = delete;
  LoudnessNormalizer& operator=(const LoudnessNormalizer&) = delete;

  // False when the temporary file cannot be made.
  bool Open();
  // One block of the render, a channel each.
  bool Append(std::span<const float> left, std::span<const float> right);
  // Measures, scales, limits and hands the 16-bit interleaved samples to
  // the sink in blocks. False when the spool fails or the sink refuses.
  bool Finish(const Sink& sink);

  // After Finish: the loudness measured (-inf when silent) and the gain
  // applied before the limiter, in dB.
  double MeasuredLufs() const { return measured_; }
  double GainDb() const { return gainDb_; }
  uint64_t Frames() const { return frames_; }

  // The dB by which a volume setting moves the target.
  static double VolumeOffsetDb(int volumePercent);

 private:
  struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  struct StateDeleter {
    void operator()(ebur128_state* s) const;
  };
  double Loudness() const;
  bool ReadFrames(uint64_t first, size_t count, std::vector<float>& out);

  uint32_t rate_;
  int volumePercent_;
  std::unique_ptr<std::FILE, FileCloser> spool_;
  std::unique_ptr<ebur128_state, StateDeleter> meter_;
  std::vector<float> interleaved_;
  uint64_t frames_ = 0;
  double sumSquares_ = 0;  // both channels, for renders too short to gate
  float peak_ = 0;
  bool failed_ = false;
  double measured_ = 0;
  double gainDb_ = 0;
};

}  // namespace crx::renderer
