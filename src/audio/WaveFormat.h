#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "foundation/ByteReader.h"
#include "foundation/ByteWriter.h"

namespace crx {

// The RIFF/WAVE layout: identifiers, the two header forms and their offsets.
namespace wav {
inline constexpr std::string_view kRiffId = "RIFF";
inline constexpr std::string_view kWaveForm = "WAVE";
inline constexpr std::string_view kFmtId = "fmt ";
inline constexpr std::string_view kDataId = "data";
inline constexpr uint16_t kFormatPcm = 1;
inline constexpr size_t kChunkHeaderSize = 8;  // identifier, size
inline constexpr size_t kRiffHeaderSize = 12;  // identifier, size, form type

// The header CWaveFile writes: an 18-byte format chunk.
inline constexpr uint32_t kFileFmtSize = 18;
inline constexpr size_t kFileHeaderSize = 46;
inline constexpr size_t kFileDataSizeOffset = 42;
// The header CWaveImage writes: a 16-byte format chunk.
inline constexpr uint32_t kImageFmtSize = 16;
inline constexpr size_t kImageHeaderSize = 44;
inline constexpr size_t kImageDataSizeOffset = 40;
inline constexpr size_t kRiffSizeOffset = 4;
// The RIFF size counts everything after its own field.
inline constexpr size_t kRiffSizeBias = 8;
// Chunk sizes are 32-bit: the most sample bytes one file can hold.
inline constexpr uint64_t kMaxChunkSize = 0xFFFFFFFFull;
}  // namespace wav

// The format chunk's contents in file order (18 bytes; the 16-byte form
// lacks the extra size).
struct WaveFormatRecord {
  static constexpr size_t kSize = 18;
  static constexpr size_t kShortSize = 16;

  uint16_t formatTag = 0;
  uint16_t channels = 0;
  uint32_t samplesPerSec = 0;
  uint32_t avgBytesPerSec = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
  uint16_t extraSize = 0;

  // A PCM record: block align and average bytes per second from the other
  // three values, bits per sample / 8 as a whole-number division.
  static WaveFormatRecord Pcm(int channels, int sampleRate, int bitsPerSample);

  // Parses the first min(bytes, 18) bytes; missing fields stay 0.
  static WaveFormatRecord Parse(std::span<const uint8_t> bytes);
  // Appends 18 bytes, or 16 without the extra size.
  void Append(ByteWriter& out, bool withExtraSize) const;
};

}  // namespace crx
