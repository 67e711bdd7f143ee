#pragma once

#include <array>
#include <cstdint>

#include "audio/CAiffChunk.h"

namespace crx {

// The AIFF common chunk ("COMM"): channels, frames, sample size and the
// sample rate, an 80-bit extended number mapped to one of nine known rates.
class CCommonChunk : public CAiffChunk {
 public:
  // channels (2), sample frames (4), sample size (2), rate (10).
  static constexpr size_t kMinimumSize = 18;
  static constexpr size_t kRateOffset = 8;
  static constexpr size_t kExtendedSize = 10;
  // The recognised rates, in the order they are tried; 22254 and 11127 stand
  // for 22254.5454... and 11127.2727..., compared by their whole-number parts.
  static constexpr std::array<int32_t, 9> kRates = {48000, 44100, 32000, 22050, 22254,
                                                    16000, 11127, 11025, 8000};

  // Parses the fields from the chunk data. False when the data is shorter
  // than the fields (those missing stay 0).
  bool ParseFields();

  uint16_t Channels() const { return channels_; }
  uint32_t SampleFrames() const { return sampleFrames_; }
  uint16_t SampleSize() const { return sampleSize_; }
  // 0 when the rate is not one of the nine.
  int32_t SampleRate() const { return sampleRate_; }

  // The recognised rate whose whole-number part the extended number has, or 0.
  static int32_t RecognisedRate(std::span<const uint8_t, kExtendedSize> extended);

 private:
  uint16_t channels_ = 0;
  uint32_t sampleFrames_ = 0;
  uint16_t sampleSize_ = 0;
  int32_t sampleRate_ = 0;
};

}  // namespace crx
