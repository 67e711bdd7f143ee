#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/audio/AnnotatedBytes.h"

namespace crx::test {

// Builds WAV files field by field: the format, the size of the format chunk
// (16, 18, 40, ...), other chunks before or after it, "data" before "fmt ",
// and wrong sizes.
class WavBuilder {
 public:
  WavBuilder& Format(uint32_t rate, uint16_t channels, uint16_t bits);
  WavBuilder& FormatTag(uint16_t tag);
  WavBuilder& FmtSize(uint32_t size);
  // A chunk between "fmt " and "data".
  WavBuilder& ChunkBetween(std::string id, std::vector<uint8_t> data);
  // A top-level chunk in front of the RIFF chunk.
  WavBuilder& ChunkInFront(std::string id, std::vector<uint8_t> data);
  WavBuilder& DataBeforeFmt();
  WavBuilder& NoData();
  WavBuilder& Data(std::vector<uint8_t> bytes);
  WavBuilder& RiffSize(uint32_t size);
  WavBuilder& DataSize(uint32_t size);
  WavBuilder& FormType(std::string type);

  AnnotatedBytes Build() const;
  void WriteTo(const std::string& path) const;

 private:
  uint16_t formatTag_ = 1;
  uint16_t channels_ = 2;
  uint32_t rate_ = 44100;
  uint16_t bits_ = 16;
  uint32_t fmtSize_ = 16;
  std::vector<std::pair<std::string, std::vector<uint8_t>>> between_;
  std::vector<std::pair<std::string, std::vector<uint8_t>>> inFront_;
  bool dataBeforeFmt_ = false;
  bool noData_ = false;
  std::vector<uint8_t> data_;
  std::optional<uint32_t> riffSize_;
  std::optional<uint32_t> dataSize_;
  std::string formType_ = "WAVE";
};

// A header as CWaveFile writes it, for comparing whole files.
AnnotatedBytes Wave46Header(uint32_t rate, uint16_t channels, uint16_t bits, uint32_t dataSize);

}  // namespace crx::test
