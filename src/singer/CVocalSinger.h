#pragma once

#include <optional>
#include <string>

#include "singer/CEspeakVoice.h"
#include "singer/CSongSinger.h"

namespace crx {

// One run of the singer: reads the vocal MIDI, sings it and writes the vocal
// WAV. Every problem is shown through the user-interface services.
class CVocalSinger {
 public:
  // The vocal MIDI path with its extension replaced by ".wav".
  static std::string DefaultWavePath(const std::string& midiPath);
  // True when the WAV was written. voice: none follows the melody's range.
  // engine: none takes the diphone voice where it is installed, else the
  // formant synthesizer. Which voice sings is told once, with how to get
  // the natural voice when it is missing.
  static bool Run(const std::string& midiPath, const std::string& wavePath,
                  std::optional<SingerVoice> voice,
                  std::optional<SingerEngine> engine = std::nullopt);
  // The line that tells which voice and synthesizer sing (without the
  // program's prefix); missing: what of the natural voice is not installed,
  // empty when nothing is.
  static std::string VoiceLine(SingerVoice voice, SingerEngine engine, const std::string& missing);
};

}  // namespace crx
