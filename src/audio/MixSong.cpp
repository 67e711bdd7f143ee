#include "audio/MixSong.h"

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

// Reverb on each channel of the stereo frames, in place.
void ReverbFrames(std::vector<uint8_t>& data, int taps) {
  const size_t frames = data.size() / kStereoFrameBytes;
  std::vector<int32_t> channel(frames);
  for (size_t c = 0; c < 2; ++c) {
    for (size_t i = 0; i < frames; ++i) channel[i] = SampleAt(data, 2 * i + c);
    const std::vector<int32_t> result = ApplyReverb(channel, taps);
    for (size_t i = 0; i < frames; ++i) StoreSample(data, 2 * i + c, SaturateToSample(result[i]));
  }
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
    data = in.ReadData();
    in.Close();
  }
  ScaleSamples(data, factor);
  if (taps > 0) ReverbFrames(data, taps);
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
