#include "support/audio/CWaveInsert.h"

#include <algorithm>
#include <vector>

#include "audio/AudioMessages.h"
#include "audio/CWaveFile.h"
#include "foundation/Diagnostics.h"
#include "foundation/SystemReason.h"

namespace crx {
namespace {

constexpr size_t kSilencePiece = 1 << 16;

}  // namespace

CWaveInsert::CWaveInsert(const std::string& sourcePath, const std::string& destinationPath,
                         int milliseconds) {
  CWaveFile source;
  std::vector<uint8_t> data;
  if (source.Open(CWaveFile::kModeRead, sourcePath) == 0) data = source.ReadData();

  const uint64_t bytesPerSample = static_cast<uint64_t>(std::max(0, source.BitsPerSample())) / 8;
  const uint64_t blockAlign =
      static_cast<uint64_t>(std::max(0, source.Channels())) * bytesPerSample;
  const uint64_t silenceFrames = static_cast<uint64_t>(std::max(0, source.SampleRate())) *
                                 static_cast<uint64_t>(std::max(0, milliseconds)) / 1000;
  const uint64_t silenceBytes = silenceFrames * blockAlign;

  CWaveFile destination(source.Channels(), source.SampleRate(), source.BitsPerSample());
  if (destination.Open(CWaveFile::kModeWrite, destinationPath) == 0) {
    // The silence goes out in pieces, then the samples: the same bytes as
    // one write of both.
    const std::vector<uint8_t> zeros(
        static_cast<size_t>(std::min<uint64_t>(silenceBytes, kSilencePiece)));
    uint64_t written = 0;
    bool whole = true;
    while (whole && written < silenceBytes) {
      const size_t piece =
          static_cast<size_t>(std::min<uint64_t>(silenceBytes - written, zeros.size()));
      const size_t done = destination.Write(std::span<const uint8_t>(zeros).first(piece));
      written += done;
      whole = done == piece;
    }
    whole = whole && destination.Write(data) == data.size();
    if (!whole) ReportPlain(WithSystemReason(kMsgWaveFileError, destination.LastError()));
    written_ = whole;
  }
  destination.Close();
  source.Close();
}

}  // namespace crx
