#include "audio/MixInput.h"

#include <algorithm>

#include "audio/AudioMessages.h"
#include "audio/SampleSteps.h"
#include "foundation/FileFailure.h"

namespace crx {
namespace {

constexpr size_t kBytesPerSample = 2;

void ShowWaveError(uint32_t cause) { FileFailure::Report(kMsgWaveFileError, cause); }

}  // namespace

MixInput::MixInput(double factor, int taps, uint64_t leadInFrames)
    : factor_(factor), reverb_(taps), leadInFrames_(leadInFrames) {}

bool MixInput::Open(const std::string& path) {
  if (file_.Open(CWaveFile::kModeRead, path) != 0) {
    file_.Close();
    return false;
  }
  // Samples of two bytes: a data chunk cut short or ending in half a sample
  // is a damaged file.
  if (file_.DeclaredDataSize() != file_.DataSize() || file_.DataSize() % kBytesPerSample != 0) {
    file_.Close();
    ShowWaveError(file_.DeclaredDataSize() != file_.DataSize() ? FileFailure::kCutShort
                                                               : FileFailure::kUnusable);
    return false;
  }
  dataSamples_ = file_.DataSize() / kBytesPerSample;
  position_ = 0;
  return true;
}

int64_t MixInput::Next(std::span<int16_t> out) {
  const uint64_t left = Samples() - position_;
  out = out.first(static_cast<size_t>(std::min<uint64_t>(out.size(), left)));
  const uint64_t leadInLeft = 2 * leadInFrames_ - std::min(2 * leadInFrames_, position_);
  const size_t silent = static_cast<size_t>(std::min<uint64_t>(out.size(), leadInLeft));
  std::fill_n(out.begin(), silent, int16_t{0});
  if (!NextData(out.subspan(silent))) return -1;
  position_ += out.size();
  return static_cast<int64_t>(out.size());
}

bool MixInput::NextData(std::span<int16_t> out) {
  if (out.empty()) return true;
  bytes_.resize(out.size() * kBytesPerSample);
  if (file_.Read(bytes_) != bytes_.size()) {
    ShowWaveError(FileFailure::kCutShort);
    return false;
  }
  for (size_t i = 0; i < out.size(); ++i) out[i] = SampleAt(bytes_, i);
  // Only whole frames are scaled and reverberated.
  std::span<int16_t> frames = out.first(out.size() & ~size_t{1});
  if (factor_ != 1.0) ScaleSamples(frames, factor_);  // 1.0 changes no sample
  reverb_.Process(frames);
  return true;
}

}  // namespace crx
