#pragma once

#include <cstddef>
#include <span>
#include <utility>
#include <vector>

namespace crx {

// Sample ranges [first, second) of a signal.
using SampleSpans = std::vector<std::pair<size_t, size_t>>;

// Sets the level of a sung voice: the RMS over the sung spans to the target,
// with every peak held below the ceiling by a smooth gain dip around it.
class CVocalLevel {
 public:
  static constexpr double kTargetRmsDb = -23.0;
  static constexpr double kPeakCeilingDb = -7.5;

  static void Apply(std::vector<float>& samples, const SampleSpans& spans, int sampleRate);
  // RMS over the spans in dB full scale (-inf for silence).
  static double RmsDb(std::span<const float> samples, const SampleSpans& spans);
  static double PeakDb(std::span<const float> samples);
};

}  // namespace crx
