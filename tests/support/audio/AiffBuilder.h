#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/audio/AnnotatedBytes.h"

namespace crx::test {

// The 80-bit extended number of a rate, big-endian as AIFF stores it.
std::array<uint8_t, 10> ExtendedRate(long double rate);

// Builds AIFF files field by field: the common chunk, the sound-data chunk
// with its offset, other chunks and orders, missing chunks, wrong sizes.
class AiffBuilder {
 public:
  AiffBuilder& Format(uint16_t channels, uint16_t bits);
  AiffBuilder& Rate(long double rate);
  AiffBuilder& RateBytes(std::array<uint8_t, 10> bytes);
  AiffBuilder& Frames(uint32_t frames);
  // Big-endian sample bytes as they stand in the file.
  AiffBuilder& Samples(std::vector<uint8_t> bytes);
  // 16-bit samples, written big-endian.
  AiffBuilder& Samples16(const std::vector<int16_t>& samples);
  AiffBuilder& Offset(uint32_t offset);
  AiffBuilder& FormId(std::string id);
  AiffBuilder& FormType(std::string type);
  AiffBuilder& FormSize(uint32_t size);
  AiffBuilder& SoundDataSize(uint32_t size);
  AiffBuilder& NoCommon();
  AiffBuilder& NoSoundData();
  // The sound-data chunk first, then the common chunk.
  AiffBuilder& SoundDataFirst();
  // A chunk before the common chunk.
  AiffBuilder& ChunkInFront(std::string id, std::vector<uint8_t> data);

  AnnotatedBytes Build() const;
  void WriteTo(const std::string& path) const;

 private:
  uint16_t channels_ = 2;
  uint16_t bits_ = 16;
  std::array<uint8_t, 10> rate_ = ExtendedRate(44100);
  std::optional<uint32_t> frames_;
  std::vector<uint8_t> samples_;
  uint32_t offset_ = 0;
  std::string formId_ = "FORM";
  std::string formType_ = "AIFF";
  std::optional<uint32_t> formSize_;
  std::optional<uint32_t> soundDataSize_;
  bool noCommon_ = false;
  bool noSoundData_ = false;
  bool soundDataFirst_ = false;
  std::vector<std::pair<std::string, std::vector<uint8_t>>> inFront_;
};

}  // namespace crx::test
