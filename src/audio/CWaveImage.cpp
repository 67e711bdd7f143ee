#include "audio/CWaveImage.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>

#include "audio/AudioMessages.h"
#include "foundation/Diagnostics.h"
#include "foundation/FileDescriptor.h"

namespace crx {

void CWaveImage::SetFormat(uint16_t channels, uint32_t sampleRate, uint32_t avgBytesPerSec,
                           uint16_t blockAlign, uint16_t bitsPerSample) {
  format_ = WaveFormatRecord{};
  format_.formatTag = wav::kFormatPcm;
  format_.channels = channels;
  format_.samplesPerSec = sampleRate;
  format_.avgBytesPerSec = avgBytesPerSec;
  format_.blockAlign = blockAlign;
  format_.bitsPerSample = bitsPerSample;
}

bool CWaveImage::SetSamples(std::span<const uint8_t> samples, uint32_t frames) {
  try {
    owned_.assign(samples.begin(), samples.end());
  } catch (const std::bad_alloc&) {
    owned_.clear();
    frames_ = 0;
    ReportPlain(kMsgImageNoSamples);
    return false;
  }
  ownsSamples_ = true;
  frames_ = frames;
  return true;
}

void CWaveImage::TakeSamples(std::vector<uint8_t> samples, uint32_t frames) {
  owned_ = std::move(samples);
  ownsSamples_ = true;
  frames_ = frames;
}

void CWaveImage::BorrowSamples(std::span<const uint8_t> samples, uint32_t frames) {
  owned_.clear();
  borrowed_ = samples;
  ownsSamples_ = false;
  frames_ = frames;
}

std::span<const uint8_t> CWaveImage::Samples() const {
  return ownsSamples_ ? std::span<const uint8_t>(owned_) : borrowed_;
}

uint32_t CWaveImage::DataLength() const {
  const uint64_t declared = uint64_t{format_.channels} * format_.bitsPerSample * frames_ / 8;
  const uint64_t limit = wav::kMaxChunkSize - (wav::kImageHeaderSize - wav::kRiffSizeBias);
  return static_cast<uint32_t>(std::min({declared, uint64_t{Samples().size()}, limit}));
}

bool CWaveImage::Build(std::span<uint8_t> image) const {
  const uint32_t length = DataLength();
  if (image.size() < FileLength()) return false;
  ByteWriter header;
  header.Text(wav::kRiffId);
  header.U32LE(static_cast<uint32_t>(FileLength() - wav::kRiffSizeBias));
  header.Text(wav::kWaveForm);
  header.Text(wav::kFmtId);
  header.U32LE(wav::kImageFmtSize);
  format_.Append(header, false);
  header.Text(wav::kDataId);
  header.U32LE(length);
  std::copy(header.Data().begin(), header.Data().end(), image.begin());
  std::span<const uint8_t> samples = Samples().first(length);
  std::copy(samples.begin(), samples.end(), image.begin() + wav::kImageHeaderSize);
  return true;
}

bool CWaveImage::Write(const std::string& path) const {
  std::vector<uint8_t> image;
  try {
    image.resize(static_cast<size_t>(FileLength()));
  } catch (const std::bad_alloc&) {
    ReportPlain(kMsgImageOpenFailed);
    return false;
  }
  Build(image);
  int fd = path.empty() ? -1 : open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    ReportPlain(kMsgImageOpenFailed);
    return false;
  }
  bool ok = FileDescriptor::WriteFully(fd, image);
  if (close(fd) != 0) ok = false;
  if (!ok) ReportPlain(kMsgImageOpenFailed);
  return ok;
}

}  // namespace crx
