#include "renderer/WavFileWriter.h"

#include <cerrno>

#include "foundation/ByteWriter.h"

namespace crx::renderer {
namespace {

constexpr size_t kStreamBufferBytes = 1 << 20;

}  // namespace

WavFileWriter::WavFileWriter(uint16_t channels, uint32_t sampleRate)
    : channels_(channels), sampleRate_(sampleRate) {}

WavFileWriter::~WavFileWriter() = default;

std::vector<uint8_t> WavFileWriter::Header(uint16_t channels, uint32_t sampleRate,
                                           uint32_t sampleBytes) {
  const WaveFormatRecord format =
      WaveFormatRecord::Pcm(channels, static_cast<int>(sampleRate), kBitsPerSample);
  ByteWriter w;
  w.Text(wav::kRiffId);
  w.U32LE(static_cast<uint32_t>(sampleBytes + wav::kImageHeaderSize - wav::kRiffSizeBias));
  w.Text(wav::kWaveForm);
  w.Text(wav::kFmtId);
  w.U32LE(wav::kImageFmtSize);
  format.Append(w, false);
  w.Text(wav::kDataId);
  w.U32LE(sampleBytes);
  return w.Take();
}

bool WavFileWriter::Fail(int error) {
  if (!failed_) error_ = error;
  failed_ = true;
  return false;
}

bool WavFileWriter::Open(const std::string& path) {
  sampleBytes_ = 0;
  failed_ = false;
  error_ = 0;
  file_.reset();
  errno = 0;
  temporary_ = std::make_unique<TemporaryFile>(path);
  if (!temporary_->Created()) return Fail(errno);
  file_.reset(std::fopen(temporary_->Path().c_str(), "wb"));
  if (!file_) return Fail(errno);
  std::setvbuf(file_.get(), nullptr, _IOFBF, kStreamBufferBytes);
  const std::vector<uint8_t> header = Header(channels_, sampleRate_, 0);
  if (std::fwrite(header.data(), 1, header.size(), file_.get()) != header.size()) {
    return Fail(errno);
  }
  return true;
}

bool WavFileWriter::Append(std::span<const int16_t> samples) {
  if (!file_ || failed_) return false;
  const uint64_t bytes = samples.size() * 2;
  if (sampleBytes_ + bytes > kMaxSampleBytes) return Fail(0);
  buffer_.resize(bytes);
  uint8_t* dst = buffer_.data();
  for (int16_t s : samples) {
    const auto u = static_cast<uint16_t>(s);
    *dst++ = static_cast<uint8_t>(u);
    *dst++ = static_cast<uint8_t>(u >> 8);
  }
  if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_.get()) != buffer_.size()) {
    return Fail(errno);
  }
  sampleBytes_ += bytes;
  return true;
}

bool WavFileWriter::Finish() {
  if (!file_ || failed_) {
    file_.reset();
    temporary_.reset();
    return false;
  }
  const std::vector<uint8_t> header =
      Header(channels_, sampleRate_, static_cast<uint32_t>(sampleBytes_));
  if (std::fseek(file_.get(), 0, SEEK_SET) != 0 ||
      std::fwrite(header.data(), 1, header.size(), file_.get()) != header.size()) {
    Fail(errno);
  }
  if (std::fclose(file_.release()) != 0) Fail(errno);
  if (!failed_ && !temporary_->Commit()) Fail(errno);
  temporary_.reset();
  return !failed_;
}

}  // namespace crx::renderer
