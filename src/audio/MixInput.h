#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "audio/CWaveFile.h"
#include "audio/FrameReverb.h"

namespace crx {

// One input of the mix, a 44100 Hz, 2-channel, 16-bit WAV file, read block
// by block and never written: its samples times the volume factor with the
// echo reverb, after a lead-in of silent frames. A lone sample at the end
// of the data (no whole frame) passes as it is, as the whole-file steps
// leave it.
class MixInput {
 public:
  static constexpr int kRate = 44100;
  static constexpr int kChannels = 2;
  static constexpr int kBits = 16;

  MixInput(double factor, int taps, uint64_t leadInFrames);

  // Opens the file. Refuses, after the message, another format (the
  // reader's message), an odd data size or a data chunk that claims more
  // than the file holds ("CWaveFile Error!").
  bool Open(const std::string& path);
  // The samples this input gives: the lead-in's and the data's.
  uint64_t Samples() const { return 2 * leadInFrames_ + dataSamples_; }
  // Fills out with the next samples: out.size() of them unless the input
  // ends first. Returns the count, or -1 when the file could not be read
  // (after "CWaveFile Error!"). Ask for an even count, so that the echoes
  // keep their frames.
  int64_t Next(std::span<int16_t> out);
  void Close() { file_.Close(); }

 private:
  // Reads, scales and reverberates the next count data samples into out.
  bool NextData(std::span<int16_t> out);

  double factor_;
  FrameReverb reverb_;
  uint64_t leadInFrames_;
  CWaveFile file_{kChannels, kRate, kBits};
  uint64_t dataSamples_ = 0;
  uint64_t position_ = 0;  // samples given so far
  std::vector<uint8_t> bytes_;
};

}  // namespace crx
