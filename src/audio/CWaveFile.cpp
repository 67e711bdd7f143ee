#include "audio/CWaveFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "audio/AudioMessages.h"
#include "foundation/Diagnostics.h"
#include "foundation/FileDescriptor.h"
#include "foundation/FileFailure.h"
#include "foundation/SystemReason.h"

namespace crx {
namespace {

void ShowWaveMessage(std::string_view text, uint32_t cause = 0) {
  FileFailure::Report(text, cause);
}

// Chunks occupy their header and data, rounded up to an even count.
uint64_t PaddedChunkEnd(uint64_t dataOffset, uint32_t size) {
  return dataOffset + size + (size & 1u);
}

bool WriteAllAt(int fd, uint64_t offset, std::span<const uint8_t> bytes) {
  return FileDescriptor::WriteFullyAt(fd, offset, bytes) == bytes.size();
}

}  // namespace

CWaveFile::CWaveFile(int channels, int sampleRate, int bitsPerSample)
    : sampleRate_(sampleRate), channels_(channels), bitsPerSample_(bitsPerSample) {}

CWaveFile::~CWaveFile() { Close(); }

int CWaveFile::FailOpen(std::string_view message, int result, uint32_t cause) {
  if (fd_ >= 0) {
    close(fd_);
    fd_ = -1;
  }
  ShowWaveMessage(message, cause);
  return result;
}

int CWaveFile::FailWrite(int result) {
  return FailOpen(WithSystemReason(kMsgWaveFileError, lastError_), result,
                  FileFailure::OfWriting(lastError_));
}

void CWaveFile::ReportWriteFailure(int errorNumber) {
  ShowWaveMessage(WithSystemReason(kMsgWaveFileError, errorNumber),
                  FileFailure::OfWriting(errorNumber));
}

int CWaveFile::Open(int mode, const std::string& path) {
  if (fd_ >= 0) {
    // The file already open stays open.
    ShowWaveMessage(kMsgWaveFileError);
    return kWaveErrorCannotOpen;
  }
  return mode == kModeWrite ? OpenWrite(path) : OpenRead(path);
}

bool CWaveFile::ReadAt(uint64_t offset, std::span<uint8_t> out) {
  return FileDescriptor::ReadFullyAt(fd_, offset, out) == out.size();
}

bool CWaveFile::FindChunk(uint64_t begin, uint64_t end, std::string_view id,
                          std::string_view formType, ChunkRecord& out) {
  const size_t headerSize = formType.empty() ? wav::kChunkHeaderSize : wav::kRiffHeaderSize;
  std::array<uint8_t, wav::kRiffHeaderSize> buffer{};
  for (uint64_t pos = begin; pos + headerSize <= end;) {
    std::span<uint8_t> header(buffer.data(), headerSize);
    if (!ReadAt(pos, header)) return false;
    ByteReader r(header);
    std::string chunkId;
    std::string chunkForm;
    uint32_t size = 0;
    r.Text(4, chunkId);
    r.U32LE(size);
    if (!formType.empty()) r.Text(4, chunkForm);
    if (chunkId == id && chunkForm == formType) {
      std::copy(chunkId.begin(), chunkId.end(), out.id.begin());
      std::copy(chunkForm.begin(), chunkForm.end(), out.formType.begin());
      out.size = size;
      out.dataOffset = pos + wav::kChunkHeaderSize;
      out.sizeDirty = false;
      return true;
    }
    pos = PaddedChunkEnd(pos + wav::kChunkHeaderSize, size);
  }
  return false;
}

int CWaveFile::OpenRead(const std::string& path) {
  dataSize_ = 0;
  if (path.empty()) {
    ShowWaveMessage(kMsgWaveFileError);
    return kWaveErrorNotFound;
  }
  fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) {
    const int failure = errno;
    const int result = failure == ENOENT ? kWaveErrorNotFound : kWaveErrorCannotOpen;
    return FailOpen(kMsgWaveOpenFailed, result, FileFailure::OfReading(failure));
  }
  struct stat st {};
  if (fstat(fd_, &st) != 0) {
    return FailOpen(kMsgWaveOpenFailed, kWaveErrorCannotOpen, FileFailure::OfReading(errno));
  }
  if (!S_ISREG(st.st_mode)) {
    return FailOpen(kMsgWaveOpenFailed, kWaveErrorCannotOpen, FileFailure::kUnusable);
  }
  mode_ = kModeRead;
  fileSize_ = static_cast<uint64_t>(st.st_size);

  if (!FindChunk(0, fileSize_, wav::kRiffId, wav::kWaveForm, riffChunk_)) {
    return FailOpen(kMsgWaveFileError, kWaveErrorChunkNotFound, FileFailure::kUnusable);
  }
  // A chunk missing from a file that ends before its RIFF chunk does was
  // cut off with the rest.
  const uint32_t missingChunk = riffChunk_.dataOffset + riffChunk_.size > fileSize_
                                    ? FileFailure::kCutShort
                                    : FileFailure::kUnusable;
  // The inner chunks follow the form type and end with the RIFF chunk (or
  // the file, when that ends first).
  const uint64_t innerBegin = riffChunk_.dataOffset + 4;
  const uint64_t innerEnd = std::min(riffChunk_.dataOffset + riffChunk_.size, fileSize_);
  if (!FindChunk(innerBegin, innerEnd, wav::kFmtId, "", subChunk_)) {
    return FailOpen(kMsgWaveFileError, kWaveErrorChunkNotFound, missingChunk);
  }
  std::array<uint8_t, WaveFormatRecord::kSize> record{};
  std::span<uint8_t> wanted(record.data(), std::min<size_t>(subChunk_.size, record.size()));
  if (!ReadAt(subChunk_.dataOffset, wanted)) {
    return FailOpen(kMsgWaveFileError, kWaveErrorCannotRead, FileFailure::kCutShort);
  }
  format_ = WaveFormatRecord::Parse(wanted);
  const uint64_t afterFmt = PaddedChunkEnd(subChunk_.dataOffset, subChunk_.size);
  if (!FindChunk(afterFmt, innerEnd, wav::kDataId, "", subChunk_)) {
    return FailOpen(kMsgWaveFileError, kWaveErrorChunkNotFound, missingChunk);
  }
  dataSize_ = static_cast<uint32_t>(
      std::min<uint64_t>(subChunk_.size, fileSize_ - std::min(fileSize_, subChunk_.dataOffset)));
  readPosition_ = subChunk_.dataOffset;

  // Each expectation that is not 0 must match; 0 takes the file's value.
  struct Check {
    int& expected;
    int actual;
    std::string_view message;
    uint32_t cause;
  };
  const Check checks[] = {
      {sampleRate_, static_cast<int>(format_.samplesPerSec), kMsgUnsupportedRate, 0},
      {channels_, format_.channels, kMsgUnsupportedChannels, 0},
      {bitsPerSample_, format_.bitsPerSample, kMsgWaveFileError, FileFailure::kUnusable},
  };
  for (const Check& c : checks) {
    if (c.expected == 0) {
      c.expected = c.actual;
    } else if (c.expected != c.actual) {
      ShowWaveMessage(c.message, c.cause);
      return kWaveFormatMismatch;
    }
  }
  return 0;
}

std::vector<uint8_t> CWaveFile::WrittenHeader(int channels, int sampleRate, int bitsPerSample,
                                              uint32_t dataSize) {
  ByteWriter header;
  header.Text(wav::kRiffId);
  header.U32LE(static_cast<uint32_t>(wav::kFileHeaderSize - wav::kRiffSizeBias +
                                     uint64_t{dataSize} + (dataSize & 1u)));
  header.Text(wav::kWaveForm);
  header.Text(wav::kFmtId);
  header.U32LE(wav::kFileFmtSize);
  WaveFormatRecord::Pcm(channels, sampleRate, bitsPerSample).Append(header, true);
  header.Text(wav::kDataId);
  header.U32LE(dataSize);
  return header.Take();
}

int CWaveFile::OpenWrite(const std::string& path) {
  if (path.empty()) {
    ShowWaveMessage(kMsgWaveFileError);
    return kWaveErrorNotFound;
  }
  format_ = WaveFormatRecord::Pcm(channels_, sampleRate_, bitsPerSample_);
  lastError_ = 0;
  fd_ = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd_ < 0) {
    lastError_ = errno;
    return FailWrite(kWaveErrorCannotOpen);
  }
  mode_ = kModeWrite;
  dataSize_ = 0;
  bytesWritten_ = 0;

  // The RIFF chunk starts with size 0; Close writes the sizes.
  std::vector<uint8_t> header = WrittenHeader(channels_, sampleRate_, bitsPerSample_, 0);
  std::fill_n(header.begin() + wav::kRiffSizeOffset, 4, 0);
  if (!WriteAllAt(fd_, 0, header)) {
    lastError_ = errno;
    return FailWrite(kWaveErrorCannotWrite);
  }
  riffChunk_ =
      ChunkRecord{{'R', 'I', 'F', 'F'}, 0, {'W', 'A', 'V', 'E'}, wav::kChunkHeaderSize, true};
  subChunk_ = ChunkRecord{{'d', 'a', 't', 'a'}, 0, {}, wav::kFileHeaderSize, true};
  return 0;
}

size_t CWaveFile::Read(std::span<uint8_t> out) {
  if (fd_ < 0 || mode_ != kModeRead) return 0;
  const uint64_t end = subChunk_.dataOffset + dataSize_;
  const size_t count =
      static_cast<size_t>(std::min<uint64_t>(out.size(), end - std::min(end, readPosition_)));
  size_t done = FileDescriptor::ReadFullyAt(fd_, readPosition_, out.first(count));
  readPosition_ += done;
  return done;
}

std::vector<uint8_t> CWaveFile::ReadData() {
  std::vector<uint8_t> data(fd_ >= 0 && mode_ == kModeRead ? dataSize_ : 0);
  data.resize(Read(data));
  return data;
}

size_t CWaveFile::Write(std::span<const uint8_t> bytes) {
  if (fd_ < 0 || mode_ != kModeWrite) return 0;
  // Room for the pad byte: the RIFF size must still fit in 32 bits.
  const uint64_t limit = wav::kMaxChunkSize - (wav::kFileHeaderSize - wav::kRiffSizeBias) - 1;
  const size_t count =
      static_cast<size_t>(std::min<uint64_t>(bytes.size(), limit - std::min(limit, bytesWritten_)));
  size_t done =
      FileDescriptor::WriteFullyAt(fd_, wav::kFileHeaderSize + bytesWritten_, bytes.first(count));
  if (done < count) lastError_ = errno;
  bytesWritten_ += done;
  return done;
}

bool CWaveFile::TruncateData(uint64_t size) {
  if (fd_ < 0 || mode_ != kModeWrite) return false;
  if (size >= bytesWritten_) return true;
  if (ftruncate(fd_, static_cast<off_t>(wav::kFileHeaderSize + size)) != 0) return false;
  bytesWritten_ = size;
  return true;
}

void CWaveFile::Discard() {
  if (fd_ < 0) return;
  close(fd_);
  fd_ = -1;
}

bool CWaveFile::Close() {
  if (fd_ < 0) return true;
  bool ok = true;
  if (mode_ == kModeWrite) {
    const uint64_t end = wav::kFileHeaderSize + bytesWritten_;
    if ((bytesWritten_ & 1u) != 0) {
      const uint8_t pad[1] = {0};
      ok = WriteAllAt(fd_, end, pad);
      if (!ok) lastError_ = errno;
    }
    subChunk_.size = static_cast<uint32_t>(bytesWritten_);
    const uint64_t fileLength = end + (bytesWritten_ & 1u);
    riffChunk_.size = static_cast<uint32_t>(fileLength - wav::kRiffSizeBias);
    ByteWriter riffSize;
    riffSize.U32LE(riffChunk_.size);
    ByteWriter dataSize;
    dataSize.U32LE(subChunk_.size);
    if (ok && !(WriteAllAt(fd_, wav::kRiffSizeOffset, riffSize.Data()) &&
                WriteAllAt(fd_, wav::kFileDataSizeOffset, dataSize.Data()))) {
      ok = false;
      lastError_ = errno;
    }
    riffChunk_.sizeDirty = subChunk_.sizeDirty = false;
  }
  const bool writing = mode_ == kModeWrite;
  if (close(fd_) != 0) {
    if (ok && writing) lastError_ = errno;
    ok = false;
  }
  fd_ = -1;
  if (!ok) {
    if (writing) {
      ReportWriteFailure(lastError_);
    } else {
      ShowWaveMessage(kMsgWaveFileError);
    }
  }
  return ok;
}

}  // namespace crx
