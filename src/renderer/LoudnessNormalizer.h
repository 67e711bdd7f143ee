#pragma once

#include <ebur128.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

#include "renderer/SampleSpool.h"

namespace crx::renderer {

// Brings a render to a steady loudness before it becomes 16-bit: the
// floating-point samples are spooled (SampleSpool) while their integrated
// loudness (ITU-R BS.1770, gated) is measured; then they
// are read back, scaled to the target and passed through a look-ahead peak
// limiter so that no sample exceeds the ceiling.
//
// The target holds at the renderer's default volume; another volume setting
// lowers or raises it by what its channel-volume scaling does to the sound
// (the synthesizer follows the General MIDI volume curve, 40 dB per decade
// of Channel Volume). A silent render stays silent.
//
// The measure and the spool keep pace with the render on a thread of their
// own, so that the synthesizer does not wait for them; the blocks reach
// them in order, and the result is that of doing the work in line.
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

  // False when the meter cannot be made.
  bool Open();
  // One block of the render, a channel each. False once the measure or the
  // spool has failed (possibly for an earlier block).
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
  // Replaces the number of samples the spool holds in memory (tests); 0
  // restores the default.
  static void OverrideMemorySamples(size_t samples);

 private:
  struct StateDeleter {
    void operator()(ebur128_state* s) const;
  };
  // The worker: measures and spools the blocks queued by Append.
  void Consume();
  void Consume(const std::vector<float>& block);
  // Lets the worker finish the queue and waits for it.
  void StopWorker();
  double Loudness() const;
  bool ReadFrames(uint64_t first, size_t count, std::vector<float>& out);

  uint32_t rate_;
  int volumePercent_;
  std::unique_ptr<SampleSpool> spool_;
  std::unique_ptr<ebur128_state, StateDeleter> meter_;
  uint64_t frames_ = 0;
  // Written by the worker only while it runs.
  double sumSquares_ = 0;  // both channels, for renders too short to gate
  float peak_ = 0;
  std::atomic<bool> failed_ = false;

  // Blocks waiting for the worker, and emptied ones to reuse; the queue is
  // bounded so that a slow disk holds the render back instead of memory
  // filling up.
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::vector<float>> queue_;
  std::vector<std::vector<float>> spare_;
  bool closing_ = false;
  std::thread worker_;
  double measured_ = 0;
  double gainDb_ = 0;
};

}  // namespace crx::renderer
