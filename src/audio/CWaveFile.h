#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "audio/WaveFormat.h"

namespace crx {

// Result numbers of CWaveFile::Open besides 0 (success) and 1 (a format
// that differs from the expectation).
inline constexpr int kWaveErrorNotFound = 257;       // empty path
inline constexpr int kWaveErrorCannotOpen = 259;     // already open; cannot open or create
inline constexpr int kWaveErrorCannotRead = 261;     // short read of the format chunk
inline constexpr int kWaveErrorCannotWrite = 262;    // short write of the header
inline constexpr int kWaveErrorChunkNotFound = 265;  // no RIFF/WAVE, "fmt " or "data"
inline constexpr int kWaveFormatMismatch = 1;

// One WAV file opened for reading or for writing, chunk by chunk. Reading
// finds the RIFF chunk of form type "WAVE", its first "fmt " chunk and the
// first "data" chunk after it, and checks the format against the expected
// rate, channel count and sample size (0 accepts any). Writing puts an
// 18-byte format chunk in a 46-byte header; Close fills in the sizes.
class CWaveFile {
 public:
  static constexpr int kModeRead = 0;
  static constexpr int kModeWrite = 1;

  // Expected format "any".
  CWaveFile() = default;
  // The format to write, or the one to expect when reading.
  CWaveFile(int channels, int sampleRate, int bitsPerSample);
  // Finishes and closes a file that is still open, so that nothing is lost.
  ~CWaveFile();
  CWaveFile(const CWaveFile&) = delete;
  CWaveFile& operator=(const CWaveFile&) = delete;

  // The 46-byte header a written file of this format and data size has.
  static std::vector<uint8_t> WrittenHeader(int channels, int sampleRate, int bitsPerSample,
                                            uint32_t dataSize);

  // mode 0 reads, mode 1 creates or truncates. 0 on success, else a result
  // number above; every failure shows its message first.
  int Open(int mode, const std::string& path);
  // Finishes a written file (pad byte, chunk sizes) and closes it; nothing
  // when no file is open. False when finishing or closing failed (after
  // "CWaveFile Error!", with the system's reason for a written file).
  bool Close();
  // Closes without finishing: for a written file that is to be removed.
  void Discard();
  bool IsOpen() const { return fd_ >= 0; }

  // Reading: up to out.size() bytes of sample data from the current position,
  // never past the data chunk or the file. Returns the count read.
  size_t Read(std::span<uint8_t> out);
  // Reading: all the sample data (DataSize() bytes, fewer when the file ends
  // early).
  std::vector<uint8_t> ReadData();
  // Writing: appends sample bytes; returns the count written. A file cannot
  // grow past the 32-bit chunk size.
  size_t Write(std::span<const uint8_t> bytes);
  // Writing: keeps only the first size sample bytes written so far; the
  // next write follows them. False when the file could not be shortened.
  bool TruncateData(uint64_t size);
  // Writing: the sample bytes written so far.
  uint64_t BytesWritten() const { return bytesWritten_; }
  // Writing: the system's error number (errno) of the last failed write, 0
  // when none failed; for the reason in a caller's message.
  int LastError() const { return lastError_; }
  // Shows "CWaveFile Error!" for a failed write, with the system's reason
  // and the cause's code for the error number.
  static void ReportWriteFailure(int errorNumber);

  // The data chunk's length as read (cut to the bytes the file holds); 0
  // when not opened for reading.
  uint32_t DataSize() const { return dataSize_; }
  // The declared length of the data chunk.
  uint32_t DeclaredDataSize() const { return subChunk_.size; }
  int SampleRate() const { return sampleRate_; }
  int Channels() const { return channels_; }
  int BitsPerSample() const { return bitsPerSample_; }
  const WaveFormatRecord& Format() const { return format_; }
  int Mode() const { return mode_; }

 private:
  struct ChunkRecord {
    std::array<char, 4> id{};
    uint32_t size = 0;
    std::array<char, 4> formType{};
    uint64_t dataOffset = 0;
    bool sizeDirty = false;
  };

  int OpenRead(const std::string& path);
  int OpenWrite(const std::string& path);
  // Finds the first chunk with the identifier (and form type, for RIFF)
  // between begin and end. False when there is none.
  bool FindChunk(uint64_t begin, uint64_t end, std::string_view id, std::string_view formType,
                 ChunkRecord& out);
  bool ReadAt(uint64_t offset, std::span<uint8_t> out);
  // Closes the file, shows the message with the cause's code (FileFailure,
  // 0 for none) and returns the result.
  int FailOpen(std::string_view message, int result, uint32_t cause = 0);
  // As FailOpen for a file to write, with the reason of lastError_.
  int FailWrite(int result);

  ChunkRecord riffChunk_;
  ChunkRecord subChunk_;
  int fd_ = -1;
  WaveFormatRecord format_;
  uint32_t dataSize_ = 0;
  int sampleRate_ = 0;
  int channels_ = 0;
  int bitsPerSample_ = 0;
  int mode_ = kModeRead;
  uint64_t fileSize_ = 0;
  uint64_t readPosition_ = 0;
  uint64_t bytesWritten_ = 0;
  int lastError_ = 0;
};

}  // namespace crx
