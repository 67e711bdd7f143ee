#pragma once

#include <optional>
#include <string>

#include "singer/CEspeakVoice.h"

namespace crx {

// One run of the singer: reads the vocal MIDI, sings it and writes the vocal
// WAV. Every problem is shown through the user-interface services.
class CVocalSinger {
 public:
  // The vocal MIDI path with its extension replaced by ".wav".
  static std::string DefaultWavePath(const std::string& midiPath);
  // True when the WAV was written. voice: none follows the melody's range.
  static bool Run(const std::string& midiPath, const std::string& wavePath,
                  std::optional<SingerVoice> voice);
};

}  // namespace crx
