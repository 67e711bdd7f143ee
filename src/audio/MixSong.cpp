#include "audio/MixSong.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <vector>

#include "audio/AudioMessages.h"
#include "audio/CWaveFile.h"
#include "audio/FrameReverb.h"
#include "audio/MixInput.h"
#include "audio/SampleSteps.h"
#include "audio/SilenceTrimmer.h"
#include "audio/TemporaryFile.h"
#include "foundation/Diagnostics.h"
#include "foundation/FileHelpers.h"

namespace crx {
namespace {

constexpr int kMixRate = 44100;
constexpr int kMixChannels = 2;
constexpr int kMixBits = 16;
constexpr double kPercent = 100.0;
constexpr uint64_t kMillisecondsPerSecond = 1000;

double VolumeFactor(int32_t percent) { return percent / kPercent; }

void ShowPlain(std::string_view text) { ReportPlain(text); }

// The file is exactly what writing its data as 44100/2/16 would give.
bool IsWrittenLayout(const std::string& path, size_t dataSize) {
  const std::vector<uint8_t> header =
      CWaveFile::WrittenHeader(kMixChannels, kMixRate, kMixBits, static_cast<uint32_t>(dataSize));
  if (GetFileSize32(path) != header.size() + dataSize + (dataSize & 1u)) return false;
  std::vector<uint8_t> head(header.size());
  size_t got = 0;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  got = std::fread(head.data(), 1, head.size(), f);
  std::fclose(f);
  return got == head.size() && head == header;
}

// Writes the bytes as a new file of the given format; a short write shows
// "CWaveFile Error!".
bool WriteWave(const std::string& path, int channels, int rate, int bits,
               std::span<const uint8_t> data) {
  CWaveFile out(channels, rate, bits);
  if (out.Open(CWaveFile::kModeWrite, path) != 0) return false;
  const bool whole = out.Write(data) == data.size();
  if (!whole) CWaveFile::ReportWriteFailure(out.LastError());
  return out.Close() && whole;
}

// The output names the same file as an input: by its text, or by another
// path to the same file, which the renaming at the end would replace.
bool IsSameFile(const std::string& output, const std::string& input) {
  if (output == input) return true;
  struct stat a {};
  struct stat b {};
  return stat(output.c_str(), &a) == 0 && stat(input.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
         a.st_ino == b.st_ino;
}

void StoreSamples(std::span<const int16_t> samples, std::span<uint8_t> bytes) {
  for (size_t i = 0; i < samples.size(); ++i) StoreSample(bytes, i, samples[i]);
}

// Adds the second block into the first, each sum saturated.
void AddInto(std::span<int16_t> sum, std::span<const int16_t> other) {
  constexpr int32_t kLow = std::numeric_limits<int16_t>::min();
  constexpr int32_t kHigh = std::numeric_limits<int16_t>::max();
  for (size_t i = 0; i < sum.size(); ++i) {
    sum[i] = static_cast<int16_t>(std::clamp(int32_t{sum[i]} + other[i], kLow, kHigh));
  }
}

// The mix's own steps on the sum, block by block: volume, reverb, the
// trimming of the quiet start and end, and the output file.
class MixOutput {
 public:
  MixOutput(double factor, int taps) : factor_(factor), reverb_(taps) {}
  // An unfinished file is about to be removed: nothing more is written to it.
  ~MixOutput() { file_.Discard(); }
  MixOutput(const MixOutput&) = delete;
  MixOutput& operator=(const MixOutput&) = delete;

  bool Open(const std::string& path) { return file_.Open(CWaveFile::kModeWrite, path) == 0; }
  // The next whole frames of the sum.
  bool Add(std::span<int16_t> frames) {
    if (factor_ != 1.0) ScaleSamples(frames, factor_);
    reverb_.Process(frames);
    const size_t dropped = trimmer_.Feed(frames);
    std::span<const int16_t> kept = frames.subspan(2 * dropped);
    bytes_.resize(kept.size() * 2);
    StoreSamples(kept, bytes_);
    if (file_.Write(bytes_) == bytes_.size()) return true;
    CWaveFile::ReportWriteFailure(file_.LastError());
    return false;
  }
  // Cuts the quiet end and finishes the file.
  bool Finish() {
    const uint64_t kept = trimmer_.KeptFrames() * kStereoFrameBytes;
    if (!file_.TruncateData(kept)) {
      CWaveFile::ReportWriteFailure(errno);
      return false;
    }
    return file_.Close();
  }

 private:
  double factor_;
  FrameReverb reverb_;
  SilenceTrimmer trimmer_;
  CWaveFile file_{kMixChannels, kMixRate, kMixBits};
  std::vector<uint8_t> bytes_;
};

}  // namespace

int LeadInMilliseconds(uint32_t firstTempo, std::string_view voiceProgramPath) {
  if (voiceProgramPath.find(kLeadInFreeVoiceProgram) != std::string_view::npos) return 0;
  return static_cast<int>(uint64_t{firstTempo} * kLeadInQuarterNotes / 1000);
}

std::string TemporaryWavPath(const std::string& accompanimentPath) {
  std::string path = accompanimentPath;
  RemoveExtension(path);
  return path + std::string(kTemporaryWavSuffix);
}

bool ApplyVolumeAndReverb(const std::string& path, int taps, double factor) {
  std::vector<uint8_t> data;
  {
    CWaveFile in(kMixChannels, kMixRate, kMixBits);
    const int result = in.Open(CWaveFile::kModeRead, path);
    if (result != 0) {
      // Not a 44100/2/16 file (or none): rewriting it under that header would
      // corrupt it, so it stays as it is.
      in.Close();
      return false;
    }
    if (factor == 1.0 && taps <= 0 && IsWrittenLayout(path, in.DataSize())) {
      in.Close();
      return true;  // rewriting would give the same bytes
    }
    data = in.ReadData();
    in.Close();
  }
  if (factor != 1.0) ScaleSamples(data, factor);  // 1.0 changes no sample
  ApplyReverbToFrames(data, taps);
  return WriteWave(path, kMixChannels, kMixRate, kMixBits, data);
}

bool MixSong(const std::string& vocalPath, const std::string& accompanimentPath,
             const std::string& outputPath, const MixSettings& settings, uint32_t firstTempo,
             std::string_view voiceProgramPath) {
  return MixSongInBlocks(vocalPath, accompanimentPath, outputPath, settings, firstTempo,
                         voiceProgramPath, kMixBlockFrames);
}

bool MixSongInBlocks(const std::string& vocalPath, const std::string& accompanimentPath,
                     const std::string& outputPath, const MixSettings& settings,
                     uint32_t firstTempo, std::string_view voiceProgramPath, size_t blockFrames) {
  if (IsSameFile(outputPath, vocalPath) || IsSameFile(outputPath, accompanimentPath)) {
    ShowPlain(kMsgSameFileName);
    return false;
  }
  const uint64_t leadInFrames =
      uint64_t{kMixRate} * static_cast<uint64_t>(LeadInMilliseconds(firstTempo, voiceProgramPath)) /
      kMillisecondsPerSecond;
  MixInput vocal(VolumeFactor(settings.vocalVolume), settings.vocalReverb, 0);
  MixInput accompaniment(VolumeFactor(settings.accompanimentVolume), settings.accompanimentReverb,
                         leadInFrames);
  const bool vocalOpen = vocal.Open(vocalPath);
  const bool accompanimentOpen = accompaniment.Open(accompanimentPath);
  if (!vocalOpen || !accompanimentOpen) {
    ShowPlain(kMsgWaveMix);  // the sum refuses what it cannot add
    return false;
  }

  // Written beside the output and renamed over it at the end, so that a
  // failed mix leaves no half-written file and an older mix stays whole.
  TemporaryFile temporary(outputPath);
  MixOutput output(VolumeFactor(settings.mixVolume), settings.mixReverb);
  if (!temporary.Created() || !output.Open(temporary.Path())) {
    if (!temporary.Created()) CWaveFile::ReportWriteFailure(temporary.LastError());
    return false;
  }

  // The sum lasts as long as the longer input; a lone sample at its end is
  // no frame and the trimming drops it.
  const uint64_t frames = std::max(vocal.Samples(), accompaniment.Samples()) / 2;
  blockFrames = std::max<size_t>(blockFrames, 1);
  std::vector<int16_t> sum(2 * blockFrames);
  std::vector<int16_t> other(2 * blockFrames);
  for (uint64_t done = 0; done < frames;) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(blockFrames, frames - done));
    std::span<int16_t> block(sum.data(), 2 * n);
    std::span<int16_t> second(other.data(), 2 * n);
    const int64_t a = vocal.Next(block);
    const int64_t b = accompaniment.Next(second);
    if (a < 0 || b < 0) return false;
    // Past its end an input adds nothing.
    std::fill(block.begin() + a, block.end(), int16_t{0});
    std::fill(second.begin() + b, second.end(), int16_t{0});
    AddInto(block, second);
    if (!output.Add(block)) return false;
    done += n;
  }
  vocal.Close();
  accompaniment.Close();
  if (!output.Finish()) return false;
  if (!temporary.Commit()) {
    CWaveFile::ReportWriteFailure(temporary.LastError());
    return false;
  }
  return true;
}

}  // namespace crx
