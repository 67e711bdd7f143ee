#include "renderer/LoudnessNormalizer.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace crx::renderer {
namespace {

// Rendered blocks that may wait for the worker at once.
constexpr size_t kMaxQueuedBlocks = 16;

std::atomic<size_t> g_memorySamples{0};

double FromDb(double db) { return std::pow(10.0, db / 20.0); }

// Full scale to the 16-bit range, clipped.
int16_t ToSample(float v) {
  const float scaled = v * 32767.0f;
  if (scaled >= 32767.0f) return 32767;
  if (scaled <= -32768.0f) return -32768;
  return static_cast<int16_t>(std::lrintf(scaled));
}

}  // namespace

void LoudnessNormalizer::StateDeleter::operator()(ebur128_state* s) const { ebur128_destroy(&s); }

LoudnessNormalizer::LoudnessNormalizer(uint32_t sampleRate, int volumePercent)
    : rate_(sampleRate), volumePercent_(volumePercent) {}

LoudnessNormalizer::~LoudnessNormalizer() { StopWorker(); }

void LoudnessNormalizer::OverrideMemorySamples(size_t samples) { g_memorySamples = samples; }

double LoudnessNormalizer::VolumeOffsetDb(int volumePercent) {
  const int effective = std::max(volumePercent, 1);
  return kVolumeCurveDb *
         std::log10(static_cast<double>(effective) / static_cast<double>(kReferenceVolumePercent));
}

bool LoudnessNormalizer::Open() {
  StopWorker();
  const size_t memory = g_memorySamples.load();
  spool_ = std::make_unique<SampleSpool>(memory != 0 ? memory : SampleSpool::kDefaultMemorySamples);
  meter_.reset(ebur128_init(2, rate_, EBUR128_MODE_I));
  failed_ = !spool_ || !meter_;
  if (failed_) return false;
  closing_ = false;
  worker_ = std::thread([this] { Consume(); });
  return true;
}

bool LoudnessNormalizer::Append(std::span<const float> left, std::span<const float> right) {
  if (failed_ || !worker_.joinable()) return false;
  const size_t n = std::min(left.size(), right.size());
  std::vector<float> block;
  {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return queue_.size() < kMaxQueuedBlocks || failed_; });
    if (failed_) return false;
    if (!spare_.empty()) {
      block = std::move(spare_.back());
      spare_.pop_back();
    }
  }
  block.resize(n * 2);
  for (size_t i = 0; i < n; ++i) {
    block[2 * i] = left[i];
    block[2 * i + 1] = right[i];
  }
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(block));
  }
  changed_.notify_all();
  frames_ += n;
  return true;
}

void LoudnessNormalizer::Consume() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return !queue_.empty() || closing_; });
    if (queue_.empty()) return;
    std::vector<float> block = std::move(queue_.front());
    queue_.pop_front();
    lock.unlock();
    if (!failed_) Consume(block);
    lock.lock();
    spare_.push_back(std::move(block));
    changed_.notify_all();
  }
}

void LoudnessNormalizer::Consume(const std::vector<float>& block) {
  const size_t n = block.size() / 2;
  if (n == 0) return;  // an empty block: nothing to measure or spool
  for (size_t i = 0; i < n; ++i) {
    const float l = block[2 * i], r = block[2 * i + 1];
    sumSquares_ += static_cast<double>(l) * l + static_cast<double>(r) * r;
    peak_ = std::max(peak_, std::max(std::fabs(l), std::fabs(r)));
  }
  if (ebur128_add_frames_float(meter_.get(), block.data(), n) != EBUR128_SUCCESS ||
      !spool_->Append(block)) {
    failed_ = true;
  }
}

void LoudnessNormalizer::StopWorker() {
  if (!worker_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
  }
  changed_.notify_all();
  worker_.join();
  queue_.clear();
}

double LoudnessNormalizer::Loudness() const {
  double lufs = -std::numeric_limits<double>::infinity();
  if (ebur128_loudness_global(meter_.get(), &lufs) == EBUR128_SUCCESS && std::isfinite(lufs)) {
    return lufs;
  }
  // Shorter than one gating block, or all below the absolute gate: the
  // ungated mean square, weighted as the measure weights two channels.
  if (frames_ == 0 || sumSquares_ <= 0) return -std::numeric_limits<double>::infinity();
  return -0.691 + 10.0 * std::log10(sumSquares_ / static_cast<double>(frames_));
}

bool LoudnessNormalizer::ReadFrames(uint64_t first, size_t count, std::vector<float>& out) {
  out.resize(count * 2);
  if (count == 0) return true;
  return spool_->Read(first * 2, out);
}

bool LoudnessNormalizer::Finish(const Sink& sink) {
  StopWorker();
  if (failed_ || !spool_) return false;
  measured_ = Loudness();
  gainDb_ = 0;
  if (std::isfinite(measured_)) {
    gainDb_ = std::min(kTargetLufs + VolumeOffsetDb(volumePercent_) - measured_, kMaxGainDb);
  }
  const float gain = static_cast<float>(FromDb(gainDb_));
  const float ceiling = static_cast<float>(FromDb(kCeilingDbfs));
  const bool limit = peak_ * gain > ceiling;

  // The limiter's gain: before each peak it falls along a ramp that reaches
  // what the peak needs exactly at the peak (computed backwards over a
  // block and its look-ahead), after it rises again at the release rate.
  const size_t lookahead = std::max<size_t>(1, static_cast<size_t>(kAttackSeconds * rate_));
  const float attackStep = 1.0f / static_cast<float>(lookahead);
  const float releaseStep = 1.0f / static_cast<float>(kReleaseSeconds * rate_);
  std::vector<float> window, ramp;
  std::vector<int16_t> out;
  float held = 1.0f;
  for (uint64_t first = 0; first < frames_; first += kBlockFrames) {
    const size_t count = static_cast<size_t>(std::min<uint64_t>(kBlockFrames, frames_ - first));
    const size_t span =
        limit ? static_cast<size_t>(std::min<uint64_t>(count + lookahead, frames_ - first)) : count;
    if (!ReadFrames(first, span, window)) return false;
    out.resize(count * 2);
    if (!limit) {
      for (size_t i = 0; i < count * 2; ++i) out[i] = ToSample(window[i] * gain);
    } else {
      ramp.assign(span + 1, 1.0f);
      for (size_t i = span; i-- > 0;) {
        const float level = std::max(std::fabs(window[2 * i]), std::fabs(window[2 * i + 1])) * gain;
        const float need = level > ceiling ? ceiling / level : 1.0f;
        ramp[i] = std::min(need, ramp[i + 1] + attackStep);
      }
      for (size_t i = 0; i < count; ++i) {
        held = std::min(ramp[i], held + releaseStep);
        const float g = gain * held;
        out[2 * i] = ToSample(std::clamp(window[2 * i] * g, -ceiling, ceiling));
        out[2 * i + 1] = ToSample(std::clamp(window[2 * i + 1] * g, -ceiling, ceiling));
      }
    }
    if (!sink(out)) return false;
  }
  return true;
}

}  // namespace crx::renderer
