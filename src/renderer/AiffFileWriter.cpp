#include "renderer/AiffFileWriter.h"

#include <bit>
#include <cstring>

#include "foundation/ByteWriter.h"
#include "foundation/FileHelpers.h"

namespace crx::renderer {
namespace {

constexpr size_t kStreamBufferBytes = 1 << 20;

}  // namespace

AiffFileWriter::AiffFileWriter(uint16_t channels, uint32_t sampleRate)
    : channels_(channels), sampleRate_(sampleRate) {}

AiffFileWriter::~AiffFileWriter() {
  if (file_) Abandon();
}

void AiffFileWriter::EncodeExtended(uint32_t rate, uint8_t out[10]) {
  std::memset(out, 0, 10);
  if (rate == 0) return;
  int top = 31 - std::countl_zero(rate);  // index of the highest set bit
  uint16_t exponent = static_cast<uint16_t>(16383 + top);
  uint64_t mantissa = static_cast<uint64_t>(rate) << (63 - top);
  out[0] = static_cast<uint8_t>(exponent >> 8);
  out[1] = static_cast<uint8_t>(exponent);
  for (int i = 0; i < 8; ++i) out[2 + i] = static_cast<uint8_t>(mantissa >> (56 - 8 * i));
}

std::vector<uint8_t> AiffFileWriter::Header(uint16_t channels, uint32_t sampleRate, uint32_t frames,
                                            uint32_t sampleBytes) {
  ByteWriter w;
  w.Text("FORM");
  w.U32BE(kHeaderSize - 8 + sampleBytes);
  w.Text("AIFF");
  w.Text("COMM");
  w.U32BE(kCommonChunkSize);
  w.U16BE(channels);
  w.U32BE(frames);
  w.U16BE(kBitsPerSample);
  uint8_t rate[10];
  EncodeExtended(sampleRate, rate);
  w.Bytes(rate);
  w.Text("SSND");
  w.U32BE(8 + sampleBytes);
  w.U32BE(0);  // offset
  w.U32BE(0);  // block size
  return w.Take();
}

bool AiffFileWriter::Open(const std::string& path) {
  path_ = path;
  sampleBytes_ = 0;
  failed_ = false;
  file_.reset(std::fopen(path.c_str(), "wb"));
  if (!file_) return false;
  std::setvbuf(file_.get(), nullptr, _IOFBF, kStreamBufferBytes);
  std::vector<uint8_t> header = Header(channels_, sampleRate_, 0, 0);
  if (std::fwrite(header.data(), 1, header.size(), file_.get()) != header.size()) failed_ = true;
  return !failed_;
}

bool AiffFileWriter::Append(std::span<const int16_t> samples) {
  if (!file_ || failed_) return false;
  uint64_t bytes = samples.size() * 2;
  if (sampleBytes_ + bytes > kMaxSampleBytes) {
    failed_ = true;
    return false;
  }
  buffer_.resize(bytes);
  uint8_t* dst = buffer_.data();
  for (int16_t s : samples) {
    uint16_t u = static_cast<uint16_t>(s);
    *dst++ = static_cast<uint8_t>(u >> 8);
    *dst++ = static_cast<uint8_t>(u);
  }
  if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_.get()) != buffer_.size()) {
    failed_ = true;
    return false;
  }
  sampleBytes_ += bytes;
  return true;
}

bool AiffFileWriter::Finish() {
  if (!file_) return false;
  if (!failed_) {
    uint32_t bytes = static_cast<uint32_t>(sampleBytes_);
    uint32_t frameBytes = static_cast<uint32_t>(channels_) * (kBitsPerSample / 8);
    uint32_t frames = frameBytes == 0 ? 0 : bytes / frameBytes;
    std::vector<uint8_t> header = Header(channels_, sampleRate_, frames, bytes);
    if (std::fseek(file_.get(), 0, SEEK_SET) != 0 ||
        std::fwrite(header.data(), 1, header.size(), file_.get()) != header.size()) {
      failed_ = true;
    }
  }
  if (std::fclose(file_.release()) != 0) failed_ = true;
  if (failed_) RemoveFile(path_);
  return !failed_;
}

void AiffFileWriter::Abandon() {
  file_.reset();
  RemoveFile(path_);
}

}  // namespace crx::renderer
