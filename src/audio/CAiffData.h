#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio/CFormChunk.h"

namespace crx {

// An AIFF file read whole into memory and parsed into its chunks. Problems
// are shown as "Aiff Error" (once per file); parsing goes on as far as the
// data allows and never reads outside the image.
class CAiffData {
 public:
  explicit CAiffData(const std::string& path);
  // Parses an image already in memory (the same checks and messages).
  explicit CAiffData(std::vector<uint8_t> image);
  ~CAiffData() = default;
  CAiffData(const CAiffData&) = delete;
  CAiffData& operator=(const CAiffData&) = delete;

  uint32_t FileLength() const { return fileLength_; }
  const CFormChunk& Form() const { return form_; }
  // True when nothing was wrong with the file.
  bool Valid() const { return !errorShown_; }

  // Shows "Aiff Error" unless this file has shown it already.
  void ErrorMsg();

 private:
  void Parse();

  uint32_t fileLength_ = 0;
  std::vector<uint8_t> image_;
  CFormChunk form_;
  bool errorShown_ = false;
};

// Reads an AIFF file and writes its samples as a 16-bit PCM WAV file with a
// 44-byte header: 16-bit samples byte-swapped, 8-, 24- and 32-bit samples
// (and any other size up to 32 bits) cut to their upper 16 bits. True when
// the WAV file was written; nothing is written when the AIFF file lacks its
// common or sound-data chunk or has no usable channel count or sample size.
bool ConvertAiffToWav(const std::string& aiffPath, const std::string& wavPath);

}  // namespace crx
