#include "renderer/AccompanimentRenderer.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

#include "foundation/FileFailure.h"
#include "renderer/LoudnessNormalizer.h"
#include "renderer/WavFileWriter.h"

namespace crx::renderer {
namespace {

std::atomic<uint32_t> g_maxRenderSeconds{0};
std::atomic<int> g_threads{0};

int SynthesizerThreads() {
  if (g_threads != 0) return g_threads;
  const unsigned processors = std::thread::hardware_concurrency();
  return std::clamp(static_cast<int>(processors), 1, AccompanimentRenderer::kMaxThreads);
}

}  // namespace

AccompanimentRenderer::AccompanimentRenderer(std::string soundFont,
                                             std::unique_ptr<MidiSynthesizer> synth)
    : soundFont_(std::move(soundFont)), synth_(std::move(synth)) {}

AccompanimentRenderer::~AccompanimentRenderer() = default;

void AccompanimentRenderer::OverrideMaxRenderSeconds(uint32_t seconds) {
  g_maxRenderSeconds = seconds;
}

void AccompanimentRenderer::SetSynthesizerThreads(int threads) {
  g_threads = std::clamp(threads, 0, kMaxThreads);
}

std::unique_ptr<AccompanimentRenderer> AccompanimentRenderer::Load(
    MidiSynthesizer::LoadResult& result, std::vector<std::string>& tried) {
  tried.clear();
  result = MidiSynthesizer::LoadResult::NoSoundFont;
  for (const std::string& candidate : MidiSynthesizer::SoundFontCandidates()) {
    tried.push_back(candidate);
    if (!MidiSynthesizer::IsSoundFont(candidate)) continue;
    std::unique_ptr<MidiSynthesizer> synth =
        MidiSynthesizer::Create(candidate, SynthesizerThreads(), result);
    if (result == MidiSynthesizer::LoadResult::SynthesizerFailed) return nullptr;
    if (!synth) continue;
    return std::unique_ptr<AccompanimentRenderer>(
        new AccompanimentRenderer(candidate, std::move(synth)));
  }
  return nullptr;
}

AccompanimentRenderer::Result AccompanimentRenderer::Render(std::span<const uint8_t> midi,
                                                            const std::string& wavPath,
                                                            int volumePercent,
                                                            const Progress& progress) {
  if (!synth_->Start(midi)) return Result::SynthesizerFailed;

  auto failedWrite = [&wavPath](int error) {
    if (error != 0) {
      FileFailure::Report("cannot write " + wavPath + ": " + std::strerror(error),
                          FileFailure::OfWriting(error));
    }
    return Result::WriteFailed;
  };
  WavFileWriter writer(kChannels, kSampleRate);
  if (!writer.Open(wavPath)) return failedWrite(writer.Error());
  // Floating-point samples, brought to their loudness as a whole, then
  // rounded to 16 bits without dither: silence stays exact zeros.
  LoudnessNormalizer level(kSampleRate, volumePercent);
  if (!level.Open()) return Result::WriteFailed;
  std::vector<float> left(kBlockFrames), right(kBlockFrames);
  auto renderBlock = [&] {
    synth_->Render(left, right);
    return level.Append(left, right);
  };

  if (progress && !progress(Phase::Open, 0.0)) return Result::Cancelled;
  const uint32_t maxSeconds =
      g_maxRenderSeconds != 0 ? g_maxRenderSeconds.load() : kMaxRenderSeconds;
  const uint64_t maxFrames = static_cast<uint64_t>(maxSeconds) * kSampleRate;
  uint64_t frames = 0;
  double nextReport = kProgressStep;
  while (synth_->Playing()) {
    if (frames >= maxFrames) return Result::TooLong;
    if (!renderBlock()) return Result::WriteFailed;
    frames += kBlockFrames;
    const double fraction = synth_->Fraction();
    if (progress && fraction >= nextReport && fraction < 1.0) {
      if (!progress(Phase::Update, fraction)) return Result::Cancelled;
      while (nextReport <= fraction) nextReport += kProgressStep;
    }
  }
  const uint64_t maxTail = static_cast<uint64_t>(kMaxReleaseTailSeconds) * kSampleRate;
  for (uint64_t tail = 0; tail < maxTail && synth_->Sounding(); tail += kBlockFrames) {
    if (!renderBlock()) return Result::WriteFailed;
  }
  if (!level.Finish([&writer](std::span<const int16_t> block) { return writer.Append(block); })) {
    return failedWrite(writer.Error());
  }
  if (progress && !progress(Phase::Close, 1.0)) return Result::Cancelled;
  if (!writer.Finish()) return failedWrite(writer.Error());
  return Result::Done;
}

}  // namespace crx::renderer
