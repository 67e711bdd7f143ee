#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace crx::renderer {

// The music synthesizer behind the movie services: one FluidSynth
// synthesizer with a General MIDI SoundFont that renders a MIDI file image
// into a 16-bit, 44100 Hz, stereo AIFF file as fast as the machine allows.
// It never opens an audio driver. Not thread-safe: the movie services
// serialise its use.
class SynthComponent {
 public:
  // Synthesizer gain, measured per 0.1 of gain (small default SoundFont /
  // FluidR3): the example songs peak at 0.06 / 0.15 of full scale with the
  // renderer's volume 100; a dense sixteen-channel arrangement with drums
  // at Channel Volume 100 peaks at 0.29 / 0.41, at Channel Volume 127 at
  // 0.48 / 0.66. With 0.2 a full arrangement at its usual Channel Volume
  // stays below full scale even at volume 100 (0.59 / 0.81), and with the
  // default volume 70 even the Channel Volume 127 case does; louder sound
  // is clipped, never wrapped.
  static constexpr double kSynthGain = 0.2;
  static constexpr uint32_t kSampleRate = 44100;
  static constexpr uint16_t kChannels = 2;
  static constexpr int kBlockFrames = 4096;
  // The render stops with a failure beyond half an hour of sound (a song
  // whose last event lies hours away would otherwise fill the disk).
  static constexpr uint32_t kMaxRenderSeconds = 1800;
  // After the last event the voices still sounding may fade out this long.
  static constexpr uint32_t kMaxReleaseTailSeconds = 4;
  // The progress callback is called at every twentieth of the song.
  static constexpr double kProgressStep = 0.05;

  // The SoundFont's locations, in the order they are tried.
  static constexpr const char* kSoundFontVariable = "CANTORIX_SOUNDFONT";
  static constexpr const char* kSoundFontFolder = "/usr/share/sounds/sf2";
  static constexpr const char* kSoundFontNames[] = {"default-GM.sf2", "FluidR3_GM.sf2",
                                                    "TimGM6mb.sf2"};

  enum class LoadResult { Loaded, NoSoundFont, SynthesizerFailed };
  enum class Phase { Open, Update, Close };
  enum class RenderResult { Done, Cancelled, WriteFailed, TooLong, SynthesizerFailed };
  // Called as the render goes on with the fraction done; false cancels.
  using Progress = std::function<bool(Phase phase, double fraction)>;

  // $CANTORIX_SOUNDFONT (when set), then the three names in the SoundFont
  // folder.
  static std::vector<std::string> SoundFontCandidates();
  // Replaces the SoundFont folder (tests); an empty text restores it.
  static void OverrideSoundFontFolder(const std::string& folder);
  // Replaces the longest render (tests); 0 restores kMaxRenderSeconds.
  static void OverrideMaxRenderSeconds(uint32_t seconds);
  // The renderer's volume setting of the conversions that follow: it moves
  // the loudness the render is brought to (by default the default volume).
  static void SetVolumePercent(int percent);

  // Creates the synthesizer with the first candidate that exists and loads.
  // tried receives every candidate looked at.
  static std::unique_ptr<SynthComponent> Load(LoadResult& result, std::vector<std::string>& tried);

  ~SynthComponent();
  SynthComponent(const SynthComponent&) = delete;
  SynthComponent& operator=(const SynthComponent&) = delete;

  const std::string& SoundFontPath() const { return soundFontPath_; }

  // Plays the MIDI image from its start to the end of its last track, then
  // lets the sounding voices fade out; brings the whole to a steady loudness
  // (LoudnessNormalizer) and writes every sample to aiffPath.
  // The file is deleted unless the render is done.
  RenderResult RenderToAiff(std::span<const uint8_t> midi, const std::string& aiffPath,
                            const Progress& progress);

 private:
  struct Impl;
  explicit SynthComponent(std::unique_ptr<Impl> impl, std::string soundFontPath);

  std::unique_ptr<Impl> impl_;
  std::string soundFontPath_;
};

}  // namespace crx::renderer
