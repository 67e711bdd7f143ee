#include "audio/LoudnessLeveler.h"

#include <ebur128.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <memory>

#include "audio/AudioMessages.h"
#include "audio/CWaveFile.h"
#include "foundation/FileFailure.h"

namespace crx {
namespace {

constexpr int kSampleBits = 16;
constexpr int kMaxChannels = 8;
constexpr float kFullScale = 32768.0f;
// The peak between samples is estimated at three points between each two,
// from the six samples on either side (windowed sinc).
constexpr size_t kPhases = 4;
constexpr size_t kHalfTaps = 6;
constexpr size_t kTaps = 2 * kHalfTaps;
constexpr double kPi = 3.14159265358979323846;

using Taps = std::array<std::array<float, kTaps>, kPhases>;

Taps MakeTaps() {
  Taps taps{};
  for (size_t k = 1; k < kPhases; ++k) {
    const double t = static_cast<double>(k) / kPhases;  // between tap kHalfTaps - 1 and kHalfTaps
    for (size_t j = 0; j < kTaps; ++j) {
      const double x = t + static_cast<double>(kHalfTaps - 1) - static_cast<double>(j);
      const double sinc = std::sin(kPi * x) / (kPi * x);
      const double window = 0.5 + 0.5 * std::cos(kPi * x / static_cast<double>(kHalfTaps));
      taps[k][j] = static_cast<float>(sinc * window);
    }
  }
  return taps;
}

const Taps& InterpolationTaps() {
  static const Taps taps = MakeTaps();
  return taps;
}

// The most any estimate between samples can exceed its largest neighbour by.
float TapGain() {
  float most = 1.0f;
  for (size_t k = 1; k < kPhases; ++k) {
    float sum = 0;
    for (float c : InterpolationTaps()[k]) sum += std::fabs(c);
    most = std::max(most, sum);
  }
  return most;
}

double FromDb(double db) { return std::pow(10.0, db / 20.0); }
double ToDb(double linear) {
  return linear > 0 ? 20.0 * std::log10(linear) : -std::numeric_limits<double>::infinity();
}

struct MeterDeleter {
  void operator()(ebur128_state* s) const { ebur128_destroy(&s); }
};
using Meter = std::unique_ptr<ebur128_state, MeterDeleter>;

Meter MakeMeter(int channels, int rate) {
  return Meter(ebur128_init(static_cast<unsigned>(channels), static_cast<unsigned long>(rate),
                            EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK));
}

bool ReadMeter(ebur128_state* meter, int channels, LoudnessLeveler::Measure& out) {
  double lufs = 0;
  if (ebur128_loudness_global(meter, &lufs) != EBUR128_SUCCESS) return false;
  out.lufs = std::isfinite(lufs) ? lufs : -std::numeric_limits<double>::infinity();
  double peak = 0;
  for (int c = 0; c < channels; ++c) {
    double p = 0;
    if (ebur128_true_peak(meter, static_cast<unsigned>(c), &p) != EBUR128_SUCCESS) return false;
    peak = std::max(peak, p);
  }
  out.truePeakDbtp = ToDb(peak);
  return true;
}

// A 16-bit PCM WAV read from the start, frames as floats in full scale.
class WaveReader {
 public:
  bool Open(const std::string& path) {
    if (file_.Open(CWaveFile::kModeRead, path) != 0) return false;
    const bool supported = file_.BitsPerSample() == kSampleBits && file_.Channels() >= 1 &&
                           file_.Channels() <= kMaxChannels && file_.SampleRate() > 0;
    if (!supported) {
      const std::string_view text = LoudnessLeveler::kNotPcm16Message;
      const size_t mark = text.find("%s");
      FileFailure::Report(
          std::string(text.substr(0, mark)) + path + std::string(text.substr(mark + 2)),
          FileFailure::kUnusable);
      return false;
    }
    channels_ = file_.Channels();
    frames_ = file_.DataSize() / (static_cast<uint64_t>(channels_) * 2);
    return true;
  }
  int Channels() const { return channels_; }
  int Rate() const { return file_.SampleRate(); }
  uint64_t Frames() const { return frames_; }
  // Appends up to count frames; false when the file gives fewer than it
  // claimed.
  bool Read(size_t count, std::vector<float>& out) {
    count = static_cast<size_t>(std::min<uint64_t>(count, frames_ - read_));
    bytes_.resize(count * static_cast<size_t>(channels_) * 2);
    if (file_.Read(bytes_) != bytes_.size()) {
      FileFailure::Report(kMsgWaveFileError, FileFailure::kCutShort);
      return false;
    }
    const size_t at = out.size();
    out.resize(at + bytes_.size() / 2);
    for (size_t i = 0; i < bytes_.size() / 2; ++i) {
      const auto v = static_cast<int16_t>(static_cast<uint16_t>(bytes_[2 * i]) |
                                          static_cast<uint16_t>(bytes_[2 * i + 1]) << 8);
      out[at + i] = static_cast<float>(v) / kFullScale;
    }
    read_ += count;
    return true;
  }

 private:
  CWaveFile file_;
  int channels_ = 0;
  uint64_t frames_ = 0;
  uint64_t read_ = 0;
  std::vector<uint8_t> bytes_;
};

int16_t ToSample(float v) {
  const float scaled = std::round(v * kFullScale);
  return static_cast<int16_t>(std::clamp(scaled, -kFullScale, kFullScale - 1.0f));
}

}  // namespace

LoudnessLeveler::LoudnessLeveler(double targetLufs)
    : target_(std::clamp(targetLufs, kMinTargetLufs, kMaxTargetLufs)) {}

bool LoudnessLeveler::MeasureFile(const std::string& path, Measure& out) {
  WaveReader reader;
  if (!reader.Open(path)) return false;
  Meter meter = MakeMeter(reader.Channels(), reader.Rate());
  if (!meter) return false;
  std::vector<float> block;
  for (uint64_t done = 0; done < reader.Frames(); done += kBlockFrames) {
    block.clear();
    if (!reader.Read(kBlockFrames, block)) return false;
    const size_t n = block.size() / static_cast<size_t>(reader.Channels());
    if (ebur128_add_frames_float(meter.get(), block.data(), n) != EBUR128_SUCCESS) return false;
  }
  return ReadMeter(meter.get(), reader.Channels(), out);
}

bool LoudnessLeveler::Render(const std::string& input, const std::string& output, double gainDb,
                             double ceilingDbtp, Measure& written) const {
  WaveReader reader;
  if (!reader.Open(input)) return false;
  const int channels = reader.Channels();
  const auto ch = static_cast<size_t>(channels);
  const uint64_t total = reader.Frames();
  CWaveFile out(channels, reader.Rate(), kSampleBits);
  if (out.Open(CWaveFile::kModeWrite, output) != 0) return false;
  Meter meter = MakeMeter(channels, reader.Rate());
  if (!meter) return false;

  const auto gain = static_cast<float>(FromDb(gainDb));
  const auto ceiling = static_cast<float>(FromDb(ceilingDbtp));
  const size_t lookahead = std::max<size_t>(1, static_cast<size_t>(kAttackSeconds * reader.Rate()));
  const float attackStep = 1.0f / static_cast<float>(lookahead);
  const float releaseStep = 1.0f / static_cast<float>(kReleaseSeconds * reader.Rate());
  const Taps& taps = InterpolationTaps();
  const float tapGain = TapGain();

  // The frames read so far from bufferStart on, interleaved.
  std::vector<float> buffer;
  uint64_t bufferStart = 0;
  uint64_t buffered = 0;
  auto sample = [&](int64_t frame, size_t c) -> float {
    if (frame < 0 || static_cast<uint64_t>(frame) >= total) return 0.0f;
    return buffer[(static_cast<uint64_t>(frame) - bufferStart) * ch + c];
  };

  std::vector<float> framePeak, need, ramp;
  std::vector<float> scaled;
  std::vector<uint8_t> bytes;
  float held = 1.0f;
  for (uint64_t first = 0; first < total; first += kBlockFrames) {
    const size_t count = static_cast<size_t>(std::min<uint64_t>(kBlockFrames, total - first));
    const uint64_t windowEnd = std::min<uint64_t>(total, first + count + lookahead);
    // Everything up to the window's end and the taps beyond it.
    const uint64_t wanted = std::min<uint64_t>(total, windowEnd + 2 * kHalfTaps);
    if (wanted > bufferStart + buffered) {
      if (!reader.Read(static_cast<size_t>(wanted - bufferStart - buffered), buffer)) return false;
      buffered = wanted - bufferStart;
    }
    // Sample peaks of the frames from kHalfTaps before the block on.
    const int64_t peakFrom = static_cast<int64_t>(first) - static_cast<int64_t>(kHalfTaps);
    const size_t peakCount = static_cast<size_t>(static_cast<int64_t>(wanted) - peakFrom);
    framePeak.assign(peakCount, 0.0f);
    for (size_t i = 0; i < peakCount; ++i) {
      float p = 0;
      for (size_t c = 0; c < ch; ++c)
        p = std::max(p, std::fabs(sample(peakFrom + static_cast<int64_t>(i), c)));
      framePeak[i] = p;
    }
    // What each frame of the window needs, its true peak brought to the
    // ceiling; held from kHalfTaps before a peak, so that the samples the
    // peak between them is made of are all lowered.
    const size_t span = static_cast<size_t>(windowEnd - first);
    need.assign(span + kHalfTaps, 1.0f);
    for (size_t i = 0; i < span + kHalfTaps && first + i < total; ++i) {
      const int64_t frame = static_cast<int64_t>(first + i);
      const size_t at = i + kHalfTaps;  // index in framePeak
      float near = 0;
      for (size_t j = at + 1 - kHalfTaps; j <= at + kHalfTaps && j < peakCount; ++j) {
        near = std::max(near, framePeak[j]);
      }
      float peak = framePeak[at];
      if (near * gain * tapGain > ceiling) {
        for (size_t c = 0; c < ch; ++c) {
          for (size_t k = 1; k < kPhases; ++k) {
            float v = 0;
            for (size_t j = 0; j < kTaps; ++j) {
              v += taps[k][j] *
                   sample(frame - static_cast<int64_t>(kHalfTaps) + 1 + static_cast<int64_t>(j), c);
            }
            peak = std::max(peak, std::fabs(v));
          }
        }
      }
      const float level = peak * gain;
      need[i] = level > ceiling ? ceiling / level : 1.0f;
    }
    ramp.assign(span + 1, 1.0f);
    for (size_t i = span; i-- > 0;) {
      float lowest = need[i];
      for (size_t j = i + 1; j <= i + kHalfTaps; ++j) lowest = std::min(lowest, need[j]);
      ramp[i] = std::min(lowest, ramp[i + 1] + attackStep);
    }
    scaled.resize(count * ch);
    bytes.resize(count * ch * 2);
    for (size_t i = 0; i < count; ++i) {
      held = std::min(ramp[i], held + releaseStep);
      const float g = gain * held;
      for (size_t c = 0; c < ch; ++c) {
        const int16_t s =
            ToSample(std::clamp(sample(static_cast<int64_t>(first + i), c) * g, -ceiling, ceiling));
        scaled[i * ch + c] = static_cast<float>(s) / kFullScale;
        bytes[2 * (i * ch + c)] = static_cast<uint8_t>(static_cast<uint16_t>(s) & 0xFF);
        bytes[2 * (i * ch + c) + 1] = static_cast<uint8_t>(static_cast<uint16_t>(s) >> 8);
      }
    }
    if (ebur128_add_frames_float(meter.get(), scaled.data(), count) != EBUR128_SUCCESS) {
      return false;
    }
    if (out.Write(bytes) != bytes.size()) {
      CWaveFile::ReportWriteFailure(out.LastError());
      return false;
    }
    // Frames before the next block's taps are done with.
    const uint64_t keepFrom = std::max<uint64_t>(
        bufferStart, first + count > kHalfTaps * 2 ? first + count - kHalfTaps * 2 : 0);
    buffer.erase(buffer.begin(),
                 buffer.begin() + static_cast<std::ptrdiff_t>((keepFrom - bufferStart) * ch));
    buffered -= keepFrom - bufferStart;
    bufferStart = keepFrom;
  }
  if (!out.Close()) return false;
  return ReadMeter(meter.get(), channels, written);
}

bool LoudnessLeveler::Level(const std::string& input, const std::string& output) {
  report_ = {};
  if (!MeasureFile(input, report_.input)) return false;
  double gainDb = 0;
  if (std::isfinite(report_.input.lufs)) {
    gainDb = std::min(target_ - report_.input.lufs, kMaxGainDb);
  }
  const double ceiling = kTruePeakCeilingDbtp - kEncoderHeadroomDb;
  double limit = ceiling;
  for (int pass = 1; pass <= kMaxPasses; ++pass) {
    report_.passes = pass;
    report_.gainDb = gainDb;
    if (!Render(input, output, gainDb, limit, report_.output)) return false;
    if (!std::isfinite(report_.output.lufs)) break;  // silent: nothing to raise
    const double missing = target_ - report_.output.lufs;
    const double over = report_.output.truePeakDbtp - ceiling;
    const bool loudEnough = std::fabs(missing) <= kToleranceLu || gainDb >= kMaxGainDb;
    if (loudEnough && over <= 0) break;
    // The limiter took loudness away: more gain makes up for it; a peak
    // the estimate missed lowers the limit by what it was over.
    if (!loudEnough) gainDb = std::min(gainDb + missing, kMaxGainDb);
    if (over > 0) limit -= over;
  }
  return true;
}

}  // namespace crx
