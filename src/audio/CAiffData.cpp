#include "audio/CAiffData.h"

#include "audio/AudioMessages.h"
#include "audio/CWaveImage.h"
#include "foundation/Diagnostics.h"
#include "foundation/FileHelpers.h"

namespace crx {
namespace {

constexpr uint16_t kMaxSampleBits = 32;
constexpr uint16_t kWavSampleBits = 16;
constexpr size_t kWavSampleBytes = 2;

}  // namespace

CAiffData::CAiffData(const std::string& path) {
  fileLength_ = GetFileSize32(path);
  // The whole-file read reports a file that cannot be opened; the image is
  // empty then.
  // (The limit never equals the whole-file read limit, which would warn of a
  // cut file that was read whole.)
  const size_t limit = fileLength_ == kWholeFileReadLimit ? fileLength_ + size_t{1} : fileLength_;
  ReadFileLimited(path, image_, limit);
  Parse();
}

CAiffData::CAiffData(std::vector<uint8_t> image) : image_(std::move(image)) {
  fileLength_ = static_cast<uint32_t>(image_.size());
  Parse();
}

void CAiffData::ErrorMsg() {
  if (errorShown_) return;
  errorShown_ = true;
  ReportModuleError(kMsgAiffError);
}

void CAiffData::Parse() {
  ByteReader r(image_);
  if (!form_.Read(r) || !form_.Is(CFormChunk::kFormId) || form_.Truncated()) ErrorMsg();
  std::span<const uint8_t> type =
      form_.Data().first(std::min(form_.Data().size(), CFormChunk::kFormTypeSize));
  if (std::string_view(reinterpret_cast<const char*>(type.data()), type.size()) !=
      CFormChunk::kAiffType) {
    ErrorMsg();
  }
  if (!form_.ParseInner()) ErrorMsg();
}

bool ConvertAiffToWav(const std::string& aiffPath, const std::string& wavPath) {
  CAiffData aiff(aiffPath);
  const CCommonChunk* common = aiff.Form().Common();
  const CSoundDataChunk* sound = aiff.Form().SoundData();
  if (common == nullptr || sound == nullptr) return false;
  const uint16_t channels = common->Channels();
  const uint16_t bits = common->SampleSize();
  const int32_t rate = common->SampleRate();
  if (channels == 0 || bits == 0 || bits > kMaxSampleBits) {
    aiff.ErrorMsg();
    return false;
  }
  // Samples occupy whole bytes, left-justified: their first two bytes are
  // the upper 16 bits (one byte: the upper 8).
  const size_t sampleBytes = (bits + 7u) / 8u;
  std::span<const uint8_t> in = sound->Samples();
  const size_t frames = in.size() / sampleBytes / channels;
  const size_t samples = frames * channels;
  std::vector<uint8_t> out(samples * kWavSampleBytes);
  for (size_t i = 0; i < samples; ++i) {
    const uint8_t* s = in.data() + i * sampleBytes;
    out[2 * i] = sampleBytes >= 2 ? s[1] : 0;
    out[2 * i + 1] = s[0];
  }
  CWaveImage image;
  const uint16_t blockAlign = static_cast<uint16_t>(channels * kWavSampleBytes);
  image.SetFormat(channels, static_cast<uint32_t>(rate),
                  static_cast<uint32_t>(uint64_t{blockAlign} * static_cast<uint32_t>(rate)),
                  blockAlign, kWavSampleBits);
  image.TakeSamples(std::move(out), static_cast<uint32_t>(frames));
  return image.Write(wavPath);
}

}  // namespace crx
