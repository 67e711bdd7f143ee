#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "midi/renderer/PrepareMidi.h"
#include "renderer/MidiSynthesizer.h"

namespace crx::renderer {

// Renders a prepared song to a 16-bit, 44100 Hz, stereo WAV file: the
// synthesizer plays it from its start to the end of its last track and lets
// the sounding voices fade out; the whole is brought to a steady loudness
// (LoudnessNormalizer) and written under a temporary name that becomes the
// WAV file's when it is whole.
//
// The channels are shared among several synthesizers that render on
// threads of their own, each playing the whole song but sounding only its
// channels; their outputs are summed. The synthesizer's reverb and chorus
// are linear, so the sum is the sound of one synthesizer playing them all.
class AccompanimentRenderer {
 public:
  static constexpr uint32_t kSampleRate = MidiSynthesizer::kSampleRate;
  static constexpr uint16_t kChannels = 2;
  static constexpr int kBlockFrames = 4096;
  // The synthesizers meet after this many blocks to have them summed.
  static constexpr int kBlocksPerRound = 8;
  // The render stops with a failure beyond half an hour of sound (a song
  // whose last event lies hours away would otherwise fill the disk).
  static constexpr uint32_t kMaxRenderSeconds = 1800;
  // After the last event the voices still sounding may fade out this long.
  static constexpr uint32_t kMaxReleaseTailSeconds = 4;
  // The progress callback is called at every twentieth of the song.
  static constexpr double kProgressStep = 0.05;
  static constexpr int kMaxGroups = 16;

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
  // How the work is shared: the number of synthesizers rendering channel
  // groups side by side, and the threads each synthesizer uses for its own
  // voices. 0 restores the default (one group per processor, one thread
  // each).
  static void SetParallelism(int groups, int coresPerSynthesizer);

  // The channel masks of at most groups synthesizers (channel 1 in bit 0),
  // every channel in exactly one: the channels that play notes are dealt out
  // so that the groups play about as many notes each; silent channels go to
  // the first. Never more groups than channels that play.
  static std::vector<uint16_t> ChannelGroups(const std::array<uint32_t, kChannelCount>& notes,
                                             int groups);

  ~AccompanimentRenderer();
  AccompanimentRenderer(const AccompanimentRenderer&) = delete;
  AccompanimentRenderer& operator=(const AccompanimentRenderer&) = delete;

  const std::string& SoundFontPath() const { return soundFont_; }

  // Renders the MIDI file image into wavPath at the loudness of the volume
  // setting; notesPerChannel shares the channels among the synthesizers.
  // Whatever the outcome, a file already at wavPath is replaced only by a
  // whole render. A failed write is reported with the system's reason.
  Result Render(std::span<const uint8_t> midi,
                const std::array<uint32_t, kChannelCount>& notesPerChannel,
                const std::string& wavPath, int volumePercent, const Progress& progress);

 private:
  AccompanimentRenderer(std::string soundFont, std::unique_ptr<MidiSynthesizer> first);
  // Makes sure that count synthesizers exist, loading the missing ones side
  // by side; returns how many there are.
  size_t EnsureSynthesizers(size_t count, int cores);

  std::string soundFont_;
  int cores_ = 1;  // the threads of each synthesizer made so far
  std::vector<std::unique_ptr<MidiSynthesizer>> synths_;
};

}  // namespace crx::renderer
