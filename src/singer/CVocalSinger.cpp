#include "singer/CVocalSinger.h"

#include <vector>

#include "foundation/FileHelpers.h"
#include "platform/TextCodec.h"
#include "platform/UiServices.h"
#include "singer/CSongSinger.h"
#include "singer/CVocalMidiReader.h"
#include "singer/CVocalWaveWriter.h"

namespace crx {
namespace {
constexpr const char* kPrefix = "CantorixSinger: ";
constexpr const char* kWaveExtension = ".wav";

void Show(const std::string& text) { Ui().ShowMessage(kPrefix + text, MessageKind::Plain); }
}  // namespace

std::string CVocalSinger::DefaultWavePath(const std::string& midiPath) {
  std::string path = midiPath;
  RemoveExtension(path);
  return path + kWaveExtension;
}

bool CVocalSinger::Run(const std::string& midiPath, const std::string& wavePath,
                       std::optional<SingerVoice> voice) {
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
  CSongSinger singer(read.sequence, chosen);
  std::vector<float> samples;
  if (!singer.Sing(samples)) {
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
