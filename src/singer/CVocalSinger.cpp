#include "singer/CVocalSinger.h"
#include "foundation/Diagnostics.h"

#include <vector>

#include "foundation/FileHelpers.h"
#include "platform/TextCodec.h"
#include "singer/CMbrolaVoice.h"
#include "singer/CSongSinger.h"
#include "singer/CVocalMidiReader.h"
#include "singer/CVocalWaveWriter.h"

namespace crx {
namespace {
constexpr const char* kPrefix = "CantorixSinger: ";
constexpr const char* kWaveExtension = ".wav";

constexpr const char* kPackagePrefix = "mbrola-";
constexpr const char* kNeeds = "the natural voice needs ";
constexpr const char* kInstallHint =
    ", from Debian's contrib and non-free sections (tools/install-deps.sh installs them)";

void Show(const std::string& text) { ReportPlain(kPrefix + text); }

std::string VoiceWord(SingerVoice voice) {
  switch (voice) {
    case SingerVoice::Female:
      return "female";
    case SingerVoice::Female2:
      return "second female";
    case SingerVoice::Male:
      return "male";
  }
  return "female";
}

// What of the diphone voice is not installed: empty when nothing.
std::string MissingParts(DiphoneVoice voice) {
  std::string missing;
  if (CMbrolaVoice::FindProgram().empty()) missing = CMbrolaVoice::kProgram;
  if (CMbrolaVoice::FindDatabase(voice).empty()) {
    if (!missing.empty()) missing += " and ";
    missing += kPackagePrefix + CMbrolaVoice::DatabaseName(voice);
  }
  return missing;
}

}  // namespace

std::string CVocalSinger::VoiceLine(SingerVoice voice, SingerEngine engine,
                                    const std::string& missing) {
  const DiphoneVoice diphone = CSongSinger::DiphoneVoiceOf(voice);
  if (engine == SingerEngine::Mbrola) {
    return "sung by the " + VoiceWord(voice) + " voice " + CMbrolaVoice::DatabaseName(diphone) +
           " (" + CMbrolaVoice::kProgram + ")";
  }
  std::string line = "sung by the " + std::string(voice == SingerVoice::Male ? "male" : "female") +
                     " voice of espeak-ng";
  if (!missing.empty()) line += std::string("; ") + kNeeds + missing + kInstallHint;
  return line;
}

std::string CVocalSinger::DefaultWavePath(const std::string& midiPath) {
  std::string path = midiPath;
  RemoveExtension(path);
  return path + kWaveExtension;
}

bool CVocalSinger::Run(const std::string& midiPath, const std::string& wavePath,
                       std::optional<SingerVoice> voice, std::optional<SingerEngine> engine) {
  CVocalMidiReader::Result read = CVocalMidiReader::FromFile(midiPath);
  if (!read.error.empty()) {
    Show(read.error);
    return false;
  }
  const size_t length = CSongSinger::OutputLength(read.sequence);
  if (length > CSongSinger::kMaxSeconds * CSongSinger::kOutputRate) {
    Show("the sequence of " + midiPath + " lasts " +
         std::to_string(length / CSongSinger::kOutputRate) + " s, longer than the " +
         std::to_string(CSongSinger::kMaxSeconds) + " s a song may last");
    return false;
  }
  const SingerVoice chosen = voice.value_or(CSongSinger::VoiceForMelody(read.sequence));
  const std::string missing = MissingParts(CSongSinger::DiphoneVoiceOf(chosen));
  if (engine == SingerEngine::Mbrola && !missing.empty()) {
    Show(kNeeds + missing + kInstallHint);
    return false;
  }
  const SingerEngine used =
      engine.value_or(missing.empty() ? SingerEngine::Mbrola : SingerEngine::Espeak);
  Show(VoiceLine(chosen, used, engine.has_value() ? std::string() : missing));
  CSongSinger singer(read.sequence, chosen, used);
  std::vector<float> samples;
  const bool sung = singer.Sing(samples);
  for (const std::string& problem : singer.Problems()) Show(problem);
  if (!sung) {
    Show(singer.Error());
    return false;
  }
  if (!singer.UnknownSymbols().empty()) {
    std::string list;
    for (const std::string& s : singer.UnknownSymbols()) {
      if (!list.empty()) list += ", ";
      list += "\"" + TextCodec::Cp932ToUtf8Lossy(s) + "\"";
    }
    Show("no kana for the phonetic symbols " + list + "; sung on their vowel");
  }
  return CVocalWaveWriter::Write(wavePath, samples, CSongSinger::kOutputRate);
}

}  // namespace crx
