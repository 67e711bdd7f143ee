#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "renderer/MidiSynthesizer.h"

namespace crx::renderer {

// Renders a prepared song to a 16-bit, 44100 Hz, stereo WAV file: the
// synthesizer plays it from its start to the end of its last track and lets
// the sounding voices fade out; the whole is brought to a steady loudness
// (LoudnessNormalizer) and written under a temporary name that becomes the
// WAV file's when it is whole. The synthesizer renders its voices on one
// thread per processor.
class AccompanimentRenderer {
 public:
  static constexpr uint32_t kSampleRate = MidiSynthesizer::kSampleRate;
  static constexpr uint16_t kChannels = 2;
  static constexpr int kBlockFrames = 4096;
  // The render stops with a failure beyond half an hour of sound (a song
  // whose last event lies hours away would otherwise fill the disk).
  static constexpr uint32_t kMaxRenderSeconds = 1800;
  // After the last event the voices still sounding may fade out this long.
  static constexpr uint32_t kMaxReleaseTailSeconds = 4;
  // The progress callback is called at every twentieth of the song.
  static constexpr double kProgressStep = 0.05;
  static constexpr int kMaxThreads = 16;

  enum class Result { Done, Cancelled, WriteFailed, TooLong, SynthesizerFailed };
  enum class Phase { Open, Update, Close };
  // Called as the render goes on with the fraction done; false cancels.
  using Progress = std::function<bool(Phase phase, double fraction)>;

  // Finds the first SoundFont candidate that loads and makes a synthesizer
  // with it. tried receives every candidate looked at.
  static std::unique_ptr<AccompanimentRenderer> Load(MidiSynthesizer::LoadResult& result,
                                                     std::vector<std::string>& tried);

  // Replaces the longest render (tests); 0 restores kMaxRenderSeconds.
  static void OverrideMaxRenderSeconds(uint32_t seconds);
  // The threads of the synthesizers loaded from now on; 0 restores the
  // default, one per processor.
  static void SetSynthesizerThreads(int threads);

  ~AccompanimentRenderer();
  AccompanimentRenderer(const AccompanimentRenderer&) = delete;
  AccompanimentRenderer& operator=(const AccompanimentRenderer&) = delete;

  const std::string& SoundFontPath() const { return soundFont_; }

  // Renders the MIDI file image into wavPath at the loudness of the volume
  // setting. A file already at wavPath is replaced only by a whole render.
  // A failed write is reported with the system's reason.
  Result Render(std::span<const uint8_t> midi, const std::string& wavPath, int volumePercent,
                const Progress& progress);

 private:
  AccompanimentRenderer(std::string soundFont, std::unique_ptr<MidiSynthesizer> synth);

  std::string soundFont_;
  std::unique_ptr<MidiSynthesizer> synth_;
};

}  // namespace crx::renderer
