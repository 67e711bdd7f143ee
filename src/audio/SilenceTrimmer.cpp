#include "audio/SilenceTrimmer.h"

#include <cstdlib>

namespace crx {
namespace {

constexpr int kQuietLimit = 4;           // |sample| and steps up to 4 count as quiet
constexpr uint64_t kQuietRunToCut = 64;  // a quiet run must exceed 64 frames
constexpr size_t kSamplesPerFrame = 2;

bool Near(int a, int b) { return std::abs(a - b) <= kQuietLimit; }
bool Small(int a) { return std::abs(a) <= kQuietLimit; }

}  // namespace

size_t SilenceTrimmer::Feed(std::span<const int16_t> samples) {
  const size_t count = samples.size() / kSamplesPerFrame;
  size_t dropped = 0;
  size_t f = 0;
  // Start: skip frames that are small and close to their predecessor.
  for (; !started_ && f < count; ++f) {
    const int left = samples[kSamplesPerFrame * f];
    const int right = samples[kSamplesPerFrame * f + 1];
    if (Small(left) && Small(right) && Near(previousLeft_, left) && Near(previousRight_, right)) {
      previousLeft_ = left;
      previousRight_ = right;
      ++dropped;
      ++frames_;
      continue;
    }
    started_ = true;
    start_ = frames_;
    startLeft_ = left;
    startRight_ = right;
    break;
  }
  for (; f < count; ++f) {
    FeedFrame(samples[kSamplesPerFrame * f], samples[kSamplesPerFrame * f + 1]);
  }
  return dropped;
}

void SilenceTrimmer::FeedFrame(int left, int right) {
  const bool quiet = Small(left) && Small(right) && Near(previousLeft_, startLeft_) &&
                     Near(previousRight_, startRight_);
  if (!quiet) {
    quietRun_ = 0;
    cutPending_ = false;
  } else if (++quietRun_ > kQuietRunToCut && !cutPending_) {
    cutPending_ = true;
    cut_ = frames_;
  }
  previousLeft_ = left;
  previousRight_ = right;
  ++frames_;
}

uint64_t SilenceTrimmer::KeptFrames() const {
  if (!started_) return 0;
  return (cutPending_ ? cut_ : frames_) - start_;
}

}  // namespace crx
