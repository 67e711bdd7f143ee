#include "support/audio/AiffBuilder.h"

#include <cfloat>
#include <cstring>

#include "support/platform/TempFolder.h"

namespace crx::test {

std::array<uint8_t, 10> ExtendedRate(long double rate) {
  // x86 long double is the 80-bit extended format, stored little-endian.
  static_assert(LDBL_MANT_DIG == 64, "80-bit extended long double needed");
  std::array<uint8_t, 16> native{};
  std::memcpy(native.data(), &rate, 10);
  std::array<uint8_t, 10> out{};
  for (int i = 0; i < 10; ++i) out[i] = native[9 - i];
  return out;
}

AiffBuilder& AiffBuilder::Format(uint16_t channels, uint16_t bits) {
  channels_ = channels;
  bits_ = bits;
  return *this;
}
AiffBuilder& AiffBuilder::Rate(long double rate) {
  rate_ = ExtendedRate(rate);
  return *this;
}
AiffBuilder& AiffBuilder::RateBytes(std::array<uint8_t, 10> bytes) {
  rate_ = bytes;
  return *this;
}
AiffBuilder& AiffBuilder::Frames(uint32_t frames) {
  frames_ = frames;
  return *this;
}
AiffBuilder& AiffBuilder::Samples(std::vector<uint8_t> bytes) {
  samples_ = std::move(bytes);
  return *this;
}
AiffBuilder& AiffBuilder::Samples16(const std::vector<int16_t>& samples) {
  samples_.clear();
  for (int16_t s : samples) {
    const auto u = static_cast<uint16_t>(s);
    samples_.push_back(static_cast<uint8_t>(u >> 8));
    samples_.push_back(static_cast<uint8_t>(u));
  }
  return *this;
}
AiffBuilder& AiffBuilder::Offset(uint32_t offset) {
  offset_ = offset;
  return *this;
}
AiffBuilder& AiffBuilder::FormId(std::string id) {
  formId_ = std::move(id);
  return *this;
}
AiffBuilder& AiffBuilder::FormType(std::string type) {
  formType_ = std::move(type);
  return *this;
}
AiffBuilder& AiffBuilder::FormSize(uint32_t size) {
  formSize_ = size;
  return *this;
}
AiffBuilder& AiffBuilder::SoundDataSize(uint32_t size) {
  soundDataSize_ = size;
  return *this;
}
AiffBuilder& AiffBuilder::NoCommon() {
  noCommon_ = true;
  return *this;
}
AiffBuilder& AiffBuilder::NoSoundData() {
  noSoundData_ = true;
  return *this;
}
AiffBuilder& AiffBuilder::SoundDataFirst() {
  soundDataFirst_ = true;
  return *this;
}
AiffBuilder& AiffBuilder::ChunkInFront(std::string id, std::vector<uint8_t> data) {
  inFront_.emplace_back(std::move(id), std::move(data));
  return *this;
}

AnnotatedBytes AiffBuilder::Build() const {
  const uint32_t sampleBytes = (bits_ + 7u) / 8u;
  const uint32_t frames =
      frames_.value_or(channels_ == 0 || sampleBytes == 0
                           ? 0
                           : static_cast<uint32_t>(samples_.size() / sampleBytes / channels_));
  AnnotatedBytes common;
  common.Text("COMM id", "COMM")
      .U32BE("COMM size", 18)
      .U16BE("channels", channels_)
      .U32BE("sample frames", frames)
      .U16BE("sample size", bits_)
      .Bytes("sample rate", rate_);

  AnnotatedBytes sound;
  const uint32_t ssndSize = 8 + offset_ + static_cast<uint32_t>(samples_.size());
  sound.Text("SSND id", "SSND")
      .U32BE("SSND size", soundDataSize_.value_or(ssndSize))
      .U32BE("offset", offset_)
      .U32BE("block size", 0)
      .Bytes("offset bytes", std::vector<uint8_t>(offset_, 0xEE))
      .Bytes("samples", samples_);
  if (ssndSize % 2 != 0) sound.Bytes("SSND pad", std::vector<uint8_t>{0});

  AnnotatedBytes inner;
  inner.Text("form type", formType_);
  for (const auto& [id, data] : inFront_) {
    inner.Text(id + " id", id).U32BE(id + " size", static_cast<uint32_t>(data.size()));
    inner.Bytes(id + " data", data);
    if (data.size() % 2 != 0) inner.Bytes(id + " pad", std::vector<uint8_t>{0});
  }
  if (soundDataFirst_ && !noSoundData_) inner.Append(sound);
  if (!noCommon_) inner.Append(common);
  if (!soundDataFirst_ && !noSoundData_) inner.Append(sound);

  AnnotatedBytes out;
  out.Text("FORM id", formId_)
      .U32BE("FORM size", formSize_.value_or(static_cast<uint32_t>(inner.Size())));
  out.Append(inner);
  return out;
}

void AiffBuilder::WriteTo(const std::string& path) const { WriteFileBytes(path, Build().Str()); }

}  // namespace crx::test
