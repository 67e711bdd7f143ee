#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace crx::renderer {

// One FluidSynth synthesizer with a General MIDI SoundFont and a player that
// plays a MIDI file image to it, timed by the samples rendered: the song
// renders as fast as the machine allows. It never opens an audio driver.
// Not thread-safe; it may share its voices among threads of its own.
class MidiSynthesizer {
 public:
  // Synthesizer gain, measured per 0.1 of gain (small default SoundFont /
  // FluidR3): the example songs peak at 0.06 / 0.15 of full scale with the
  // renderer's volume 100; a dense sixteen-channel arrangement with drums
  // at Channel Volume 100 peaks at 0.29 / 0.41, at Channel Volume 127 at
  // 0.48 / 0.66. The loudness is set afterwards; the gain only keeps the
  // floating-point render in a sensible range.
  static constexpr double kSynthGain = 0.2;
  static constexpr uint32_t kSampleRate = 44100;

  // The SoundFont's locations, in the order they are tried.
  static constexpr const char* kSoundFontVariable = "CANTORIX_SOUNDFONT";
  static constexpr const char* kSoundFontFolder = "/usr/share/sounds/sf2";
  static constexpr const char* kSoundFontNames[] = {"default-GM.sf2", "FluidR3_GM.sf2",
                                                    "TimGM6mb.sf2"};

  enum class LoadResult { Loaded, NoSoundFont, SynthesizerFailed };

  // $CANTORIX_SOUNDFONT (when set), then the three names in the SoundFont
  // folder.
  static std::vector<std::string> SoundFontCandidates();
  // Replaces the SoundFont folder (tests); an empty text restores it.
  static void OverrideSoundFontFolder(const std::string& folder);
  // True when the file is there and is a SoundFont.
  static bool IsSoundFont(const std::string& path);

  // A synthesizer with the SoundFont loaded; nullptr and the reason when it
  // cannot be had. With threads > 1 the synthesizer renders its voices on
  // that many threads (its own parallel synthesis; the sound is the same).
  static std::unique_ptr<MidiSynthesizer> Create(const std::string& soundFont, int threads,
                                                 LoadResult& result);

  ~MidiSynthesizer();
  MidiSynthesizer(const MidiSynthesizer&) = delete;
  MidiSynthesizer& operator=(const MidiSynthesizer&) = delete;

  // Starts the song from its beginning with the synthesizer reset. False
  // when the image cannot be played.
  bool Start(std::span<const uint8_t> midi);
  // True until the player has passed the song's last event.
  bool Playing() const;
  // True while voices sound.
  bool Sounding() const;
  // The part of the song played, 0 to 1.
  double Fraction() const;
  // Renders the next frames of sound (one buffer a channel, of equal size).
  void Render(std::span<float> left, std::span<float> right);

 private:
  struct Impl;
  explicit MidiSynthesizer(std::unique_ptr<Impl> impl);

  std::unique_ptr<Impl> impl_;
};

}  // namespace crx::renderer
