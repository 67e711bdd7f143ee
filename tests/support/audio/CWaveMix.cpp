#include "support/audio/CWaveMix.h"

#include <algorithm>
#include <vector>

#include "audio/AudioMessages.h"
#include "audio/CWaveFile.h"
#include "audio/SampleSteps.h"
#include "foundation/Diagnostics.h"
#include "foundation/SystemReason.h"

namespace crx {
namespace {

bool IsMixFormat(const CWaveFile& f) {
  return f.IsOpen() && f.SampleRate() == CWaveMix::kRate && f.Channels() == CWaveMix::kChannels &&
         f.BitsPerSample() == CWaveMix::kBits;
}

}  // namespace

CWaveMix::CWaveMix(const std::string& firstPath, const std::string& secondPath,
                   const std::string& outputPath) {
  CWaveFile first;
  CWaveFile second;
  const bool firstOpen = first.Open(CWaveFile::kModeRead, firstPath) == 0;
  const bool secondOpen = second.Open(CWaveFile::kModeRead, secondPath) == 0;
  if (!firstOpen || !secondOpen || !IsMixFormat(first) || !IsMixFormat(second)) {
    ReportPlain(kMsgWaveMix);
    first.Close();
    second.Close();
    return;
  }
  std::vector<uint8_t> a = first.ReadData();
  std::vector<uint8_t> b = second.ReadData();
  first.Close();
  second.Close();

  std::vector<uint8_t> out(std::max(a.size(), b.size()));
  AddSamples(a, b, out);

  CWaveFile output(kChannels, kRate, kBits);
  if (output.Open(CWaveFile::kModeWrite, outputPath) == 0) {
    written_ = output.Write(out) == out.size();
    if (!written_) ReportPlain(WithSystemReason(kMsgWaveFileError, output.LastError()));
  }
  output.Close();
}

}  // namespace crx
