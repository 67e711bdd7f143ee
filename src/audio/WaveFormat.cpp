#include "audio/WaveFormat.h"

#include <algorithm>

namespace crx {

WaveFormatRecord WaveFormatRecord::Pcm(int channels, int sampleRate, int bitsPerSample) {
  WaveFormatRecord f;
  f.formatTag = wav::kFormatPcm;
  f.channels = static_cast<uint16_t>(channels);
  f.samplesPerSec = static_cast<uint32_t>(sampleRate);
  const uint32_t bytesPerSample = static_cast<uint16_t>(bitsPerSample) / 8u;
  f.blockAlign = static_cast<uint16_t>(f.channels * bytesPerSample);
  f.avgBytesPerSec = static_cast<uint32_t>(uint64_t{f.samplesPerSec} * f.channels * bytesPerSample);
  f.bitsPerSample = static_cast<uint16_t>(bitsPerSample);
  f.extraSize = 0;
  return f;
}

WaveFormatRecord WaveFormatRecord::Parse(std::span<const uint8_t> bytes) {
  WaveFormatRecord f;
  ByteReader r(bytes.subspan(0, std::min(bytes.size(), kSize)));
  // Each field is read only when all of its bytes are there.
  (void)(r.U16LE(f.formatTag) && r.U16LE(f.channels) && r.U32LE(f.samplesPerSec) &&
         r.U32LE(f.avgBytesPerSec) && r.U16LE(f.blockAlign) && r.U16LE(f.bitsPerSample) &&
         r.U16LE(f.extraSize));
  return f;
}

void WaveFormatRecord::Append(ByteWriter& out, bool withExtraSize) const {
  out.U16LE(formatTag);
  out.U16LE(channels);
  out.U32LE(samplesPerSec);
  out.U32LE(avgBytesPerSec);
  out.U16LE(blockAlign);
  out.U16LE(bitsPerSample);
  if (withExtraSize) out.U16LE(extraSize);
}

}  // namespace crx
