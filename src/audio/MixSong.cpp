#include "audio/MixSong.h"

#include <cstdio>
#include <vector>

#include "audio/AudioMessages.h"
#include "audio/SampleSteps.h"
#include "audio/WaveFile.h"
#include "audio/WaveInsert.h"
#include "audio/WaveMix.h"
#include "foundation/FileHelpers.h"
#include "platform/UiServices.h"

namespace crx {
namespace {

constexpr int kMixRate = 44100;
constexpr int kMixChannels = 2;
constexpr int kMixBits = 16;
constexpr double kPercent = 100.0;

double VolumeFactor(int32_t percent) { return percent / kPercent; }

// Writes the bytes as a new file of the given format; a short write shows
// "CWaveFile Error!".
bool WriteWave(const std::string& path, int channels, int rate, int bits,
               std::span<const uint8_t> data) {
  CWaveFile out(channels, rate, bits);
  if (out.Open(CWaveFile::kModeWrite, path) != 0) return false;
  const bool whole = out.Write(data) == data.size();
  if (!whole) Ui().ShowMessage(kMsgWaveFileError, MessageKind::Plain);
  out.Close();
  return whole;
}

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
  const std::string temporary = TemporaryWavPath(accompanimentPath);
  // The temporary file is written and deleted: it must be neither the vocal
  // nor the output.
  if (temporary == vocalPath || temporary == outputPath) {
    Ui().ShowMessage(kMsgSameFileName, MessageKind::Plain);
    return false;
  }
  ApplyVolumeAndReverb(vocalPath, settings.vocalReverb, VolumeFactor(settings.vocalVolume));
  ApplyVolumeAndReverb(accompanimentPath, settings.accompanimentReverb,
                       VolumeFactor(settings.accompanimentVolume));
  const int leadIn = LeadInMilliseconds(firstTempo, voiceProgramPath);
  const CWaveInsert insert(accompanimentPath, temporary, leadIn);
  const CWaveMix sum(vocalPath, temporary, outputPath);
  const bool mixed = sum.Written();
  RemoveFile(temporary);
  if (!mixed) return false;  // an older file at the output path stays untouched

  ApplyVolumeAndReverb(outputPath, settings.mixReverb, VolumeFactor(settings.mixVolume));

  CWaveFile mix;
  if (mix.Open(CWaveFile::kModeRead, outputPath) != 0) {
    mix.Close();
    return false;
  }
  std::vector<uint8_t> data = mix.ReadData();
  mix.Close();
  TrimSilence(data);
  return WriteWave(outputPath, mix.Channels(), mix.SampleRate(), mix.BitsPerSample(), data);
}

}  // namespace crx
