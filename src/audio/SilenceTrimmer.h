#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace crx {

// Finds, in a stream of 16-bit stereo frames fed block by block, the frames
// that the trimming keeps: from the first frame that is not quiet at the
// start up to the end, less a run of more than 64 quiet frames that lasts to
// the end (its first 64 frames stay). Only where the sound last ended is
// remembered, so memory does not grow with the stream.
//
// A frame is quiet at the start when both samples are within +-4 and within
// 4 of the frame before (the first compared with silence). After the start
// frame, a frame is quiet when both samples are within +-4 and the frame
// before it is within 4 of the start frame.
class SilenceTrimmer {
 public:
  // Feeds the next frames (interleaved left and right samples; a trailing
  // lone sample is not a frame). Returns the frames at the front of this
  // block that the trimming drops: the quiet start.
  size_t Feed(std::span<const int16_t> samples);

  // The frames kept of everything fed so far, the stream ending here.
  uint64_t KeptFrames() const;

 private:
  void FeedFrame(int left, int right);

  uint64_t frames_ = 0;  // frames fed
  bool started_ = false;
  uint64_t start_ = 0;  // the first frame kept, once started_
  int startLeft_ = 0;
  int startRight_ = 0;
  int previousLeft_ = 0;
  int previousRight_ = 0;
  uint64_t quietRun_ = 0;
  // Where a run of more than 64 quiet frames reached its 65th frame, while
  // that run lasts.
  bool cutPending_ = false;
  uint64_t cut_ = 0;
};

}  // namespace crx
