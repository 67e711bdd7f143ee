#include "support/audio/WavBuilder.h"

#include "support/platform/TempFolder.h"

namespace crx::test {

WavBuilder& WavBuilder::Format(uint32_t rate, uint16_t channels, uint16_t bits) {
  rate_ = rate;
  channels_ = channels;
  bits_ = bits;
  return *this;
}
WavBuilder& WavBuilder::FormatTag(uint16_t tag) {
  formatTag_ = tag;
  return *this;
}
WavBuilder& WavBuilder::FmtSize(uint32_t size) {
  fmtSize_ = size;
  return *this;
}
WavBuilder& WavBuilder::ChunkBetween(std::string id, std::vector<uint8_t> data) {
  between_.emplace_back(std::move(id), std::move(data));
  return *this;
}
WavBuilder& WavBuilder::ChunkInFront(std::string id, std::vector<uint8_t> data) {
  inFront_.emplace_back(std::move(id), std::move(data));
  return *this;
}
WavBuilder& WavBuilder::DataBeforeFmt() {
  dataBeforeFmt_ = true;
  return *this;
}
WavBuilder& WavBuilder::NoData() {
  noData_ = true;
  return *this;
}
WavBuilder& WavBuilder::Data(std::vector<uint8_t> bytes) {
  data_ = std::move(bytes);
  return *this;
}
WavBuilder& WavBuilder::RiffSize(uint32_t size) {
  riffSize_ = size;
  return *this;
}
WavBuilder& WavBuilder::DataSize(uint32_t size) {
  dataSize_ = size;
  return *this;
}
WavBuilder& WavBuilder::FormType(std::string type) {
  formType_ = std::move(type);
  return *this;
}

namespace {

void AddChunk(AnnotatedBytes& out, const std::string& id, const std::vector<uint8_t>& data) {
  out.Text(id + " id", id).U32LE(id + " size", static_cast<uint32_t>(data.size()));
  out.Bytes(id + " data", data);
  if (data.size() % 2 != 0) out.Bytes(id + " pad", std::vector<uint8_t>{0});
}

}  // namespace

AnnotatedBytes WavBuilder::Build() const {
  AnnotatedBytes fmt;
  const uint32_t block = channels_ * (bits_ / 8u);
  fmt.Text("fmt id", "fmt ").U32LE("fmt size", fmtSize_);
  AnnotatedBytes record;
  record.U16LE("format tag", formatTag_)
      .U16LE("channels", channels_)
      .U32LE("samples per second", rate_)
      .U32LE("average bytes per second", rate_ * block)
      .U16LE("block align", static_cast<uint16_t>(block))
      .U16LE("bits per sample", bits_);
  if (fmtSize_ >= 18) record.U16LE("extra size", 0);
  std::vector<uint8_t> recordBytes = record.Data();
  recordBytes.resize(fmtSize_, 0);
  fmt.Bytes("format record", recordBytes);
  if (fmtSize_ % 2 != 0) fmt.Bytes("fmt pad", std::vector<uint8_t>{0});

  AnnotatedBytes data;
  if (!noData_) {
    data.Text("data id", "data")
        .U32LE("data size", dataSize_.value_or(static_cast<uint32_t>(data_.size())))
        .Bytes("samples", data_);
    if (data_.size() % 2 != 0) data.Bytes("data pad", std::vector<uint8_t>{0});
  }

  AnnotatedBytes inner;
  inner.Text("form type", formType_);
  if (dataBeforeFmt_) inner.Append(data);
  inner.Append(fmt);
  for (const auto& [id, bytes] : between_) AddChunk(inner, id, bytes);
  if (!dataBeforeFmt_) inner.Append(data);

  AnnotatedBytes out;
  for (const auto& [id, bytes] : inFront_) AddChunk(out, id, bytes);
  out.Text("RIFF id", "RIFF")
      .U32LE("RIFF size", riffSize_.value_or(static_cast<uint32_t>(inner.Size())));
  out.Append(inner);
  return out;
}

void WavBuilder::WriteTo(const std::string& path) const { WriteFileBytes(path, Build().Str()); }

AnnotatedBytes Wave46Header(uint32_t rate, uint16_t channels, uint16_t bits, uint32_t dataSize) {
  AnnotatedBytes h;
  const uint32_t block = channels * (bits / 8u);
  h.Text("RIFF id", "RIFF")
      .U32LE("RIFF size", 38 + dataSize + (dataSize & 1))
      .Text("form type", "WAVE")
      .Text("fmt id", "fmt ")
      .U32LE("fmt size", 18)
      .U16LE("format tag", 1)
      .U16LE("channels", channels)
      .U32LE("samples per second", rate)
      .U32LE("average bytes per second", rate * block)
      .U16LE("block align", static_cast<uint16_t>(block))
      .U16LE("bits per sample", bits)
      .U16LE("extra size", 0)
      .Text("data id", "data")
      .U32LE("data size", dataSize);
  return h;
}

}  // namespace crx::test
