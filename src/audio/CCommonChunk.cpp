#include "audio/CCommonChunk.h"

namespace crx {

bool CCommonChunk::ParseFields() {
  ByteReader r(Data());
  channels_ = 0;
  sampleFrames_ = 0;
  sampleSize_ = 0;
  sampleRate_ = 0;
  if (!r.U16BE(channels_) || !r.U32BE(sampleFrames_) || !r.U16BE(sampleSize_)) return false;
  std::span<const uint8_t> rate;
  if (!r.Bytes(kExtendedSize, rate)) return false;
  sampleRate_ = RecognisedRate(rate.first<kExtendedSize>());
  return true;
}

int32_t CCommonChunk::RecognisedRate(std::span<const uint8_t, kExtendedSize> x) {
  // Sign and 15-bit exponent (bias 16383), then a 64-bit mantissa whose top
  // bit is the integer bit: value = mantissa * 2^(exponent - 16383 - 63).
  constexpr int kBias = 16383;
  constexpr int kMantissaBits = 63;
  const bool negative = (x[0] & 0x80) != 0;
  const int exponent = ((x[0] & 0x7F) << 8) | x[1];
  uint64_t mantissa = 0;
  for (size_t i = 2; i < kExtendedSize; ++i) mantissa = (mantissa << 8) | x[i];
  if (negative || mantissa == 0) return 0;
  const int shift = kBias + kMantissaBits - exponent;  // right shift to the whole part
  if (shift <= 0 || shift >= 64) return 0;             // 2^63 and more, or below 1
  const uint64_t whole = mantissa >> shift;
  for (int32_t rate : kRates) {
    if (whole == static_cast<uint64_t>(rate)) return rate;
  }
  return 0;
}

}  // namespace crx
