#include "renderer/AccompanimentRenderer.h"

#include <algorithm>
#include <atomic>
#include <barrier>
#include <cstring>
#include <numeric>
#include <thread>

#include "foundation/Diagnostics.h"
#include "renderer/LoudnessNormalizer.h"
#include "renderer/WavFileWriter.h"

namespace crx::renderer {
namespace {

std::atomic<uint32_t> g_maxRenderSeconds{0};
std::atomic<int> g_groups{0};
std::atomic<int> g_cores{0};

constexpr size_t kRoundFrames =
    size_t{AccompanimentRenderer::kBlockFrames} * AccompanimentRenderer::kBlocksPerRound;

int DefaultGroups() {
  const unsigned processors = std::thread::hardware_concurrency();
  return std::clamp(static_cast<int>(processors), 1, AccompanimentRenderer::kMaxGroups);
}

// One synthesizer's share of a round: its sound, and before each block
// whether its player was still playing and whether voices were sounding.
struct GroupRound {
  std::vector<float> left = std::vector<float>(kRoundFrames);
  std::vector<float> right = std::vector<float>(kRoundFrames);
  std::array<bool, AccompanimentRenderer::kBlocksPerRound> playing{};
  std::array<bool, AccompanimentRenderer::kBlocksPerRound> sounding{};

  void Render(MidiSynthesizer& synth) {
    constexpr size_t block = AccompanimentRenderer::kBlockFrames;
    for (size_t b = 0; b < AccompanimentRenderer::kBlocksPerRound; ++b) {
      playing[b] = synth.Playing();
      sounding[b] = synth.Sounding();
      synth.Render(std::span(left).subspan(b * block, block),
                   std::span(right).subspan(b * block, block));
    }
  }
};

// The synthesizers other than the first render their rounds on threads of
// their own, started and awaited together with the first one's.
class RoundWorkers {
 public:
  RoundWorkers(std::vector<std::unique_ptr<MidiSynthesizer>>& synths,
               std::vector<GroupRound>& rounds, size_t groups)
      : sync_(static_cast<std::ptrdiff_t>(groups)) {
    for (size_t g = 1; g < groups; ++g) {
      threads_.emplace_back([this, &synth = *synths[g], &round = rounds[g]] {
        for (;;) {
          sync_.arrive_and_wait();
          if (stop_) return;
          round.Render(synth);
          sync_.arrive_and_wait();
        }
      });
    }
  }
  ~RoundWorkers() {
    stop_ = true;
    sync_.arrive_and_wait();
    for (std::thread& t : threads_) t.join();
  }
  RoundWorkers(const RoundWorkers&) = delete;
  RoundWorkers& operator=(const RoundWorkers&) = delete;

  // Renders one round of every group; the first on the calling thread.
  void Round(MidiSynthesizer& first, GroupRound& round) {
    sync_.arrive_and_wait();
    round.Render(first);
    sync_.arrive_and_wait();
  }

 private:
  std::barrier<> sync_;
  std::atomic<bool> stop_{false};
  std::vector<std::thread> threads_;
};

}  // namespace

AccompanimentRenderer::AccompanimentRenderer(std::string soundFont,
                                             std::unique_ptr<MidiSynthesizer> first)
    : soundFont_(std::move(soundFont)) {
  synths_.push_back(std::move(first));
}

AccompanimentRenderer::~AccompanimentRenderer() = default;

void AccompanimentRenderer::OverrideMaxRenderSeconds(uint32_t seconds) {
  g_maxRenderSeconds = seconds;
}

void AccompanimentRenderer::SetParallelism(int groups, int coresPerSynthesizer) {
  g_groups = std::clamp(groups, 0, kMaxGroups);
  g_cores = std::max(coresPerSynthesizer, 0);
}

std::unique_ptr<AccompanimentRenderer> AccompanimentRenderer::Load(
    MidiSynthesizer::LoadResult& result, std::vector<std::string>& tried) {
  tried.clear();
  result = MidiSynthesizer::LoadResult::NoSoundFont;
  const int cores = std::max(g_cores.load(), 1);
  for (const std::string& candidate : MidiSynthesizer::SoundFontCandidates()) {
    tried.push_back(candidate);
    if (!MidiSynthesizer::IsSoundFont(candidate)) continue;
    std::unique_ptr<MidiSynthesizer> synth = MidiSynthesizer::Create(candidate, cores, result);
    if (result == MidiSynthesizer::LoadResult::SynthesizerFailed) return nullptr;
    if (!synth) continue;
    std::unique_ptr<AccompanimentRenderer> renderer(
        new AccompanimentRenderer(candidate, std::move(synth)));
    renderer->cores_ = cores;
    return renderer;
  }
  return nullptr;
}

std::vector<uint16_t> AccompanimentRenderer::ChannelGroups(
    const std::array<uint32_t, kChannelCount>& notes, int groups) {
  std::array<int, kChannelCount> order{};
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return notes[static_cast<size_t>(a)] > notes[static_cast<size_t>(b)];
  });
  const auto playing =
      static_cast<int>(std::count_if(notes.begin(), notes.end(), [](uint32_t n) { return n > 0; }));
  const size_t count = static_cast<size_t>(std::clamp(std::min(groups, playing), 1, kMaxGroups));
  std::vector<uint16_t> masks(count, 0);
  std::vector<uint64_t> load(count, 0);
  for (int channel : order) {
    const uint32_t n = notes[static_cast<size_t>(channel)];
    size_t target = 0;
    if (n > 0)
      target = static_cast<size_t>(std::min_element(load.begin(), load.end()) - load.begin());
    masks[target] = static_cast<uint16_t>(masks[target] | (1u << channel));
    load[target] += n;
  }
  return masks;
}

size_t AccompanimentRenderer::EnsureSynthesizers(size_t count, int cores) {
  if (cores != cores_) {
    synths_.clear();
    cores_ = cores;
  }
  if (synths_.size() >= count) return synths_.size();
  const size_t have = synths_.size();
  synths_.resize(count);
  std::vector<std::thread> loaders;
  for (size_t i = have; i < count; ++i) {
    loaders.emplace_back([this, i, cores] {
      MidiSynthesizer::LoadResult ignored = MidiSynthesizer::LoadResult::Loaded;
      synths_[i] = MidiSynthesizer::Create(soundFont_, cores, ignored);
    });
  }
  for (std::thread& t : loaders) t.join();
  // A synthesizer that could not be made leaves its channels to the others.
  std::erase(synths_, nullptr);
  return synths_.size();
}

AccompanimentRenderer::Result AccompanimentRenderer::Render(
    std::span<const uint8_t> midi, const std::array<uint32_t, kChannelCount>& notesPerChannel,
    const std::string& wavPath, int volumePercent, const Progress& progress) {
  const int wanted = g_groups != 0 ? g_groups.load() : DefaultGroups();
  std::vector<uint16_t> masks = ChannelGroups(notesPerChannel, wanted);
  const size_t made = EnsureSynthesizers(masks.size(), std::max(g_cores.load(), 1));
  if (made == 0) return Result::SynthesizerFailed;
  if (made < masks.size()) masks = ChannelGroups(notesPerChannel, static_cast<int>(made));
  const size_t groups = masks.size();
  for (size_t g = 0; g < groups; ++g) {
    if (!synths_[g]->Start(midi, masks[g])) return Result::SynthesizerFailed;
  }

  auto failedWrite = [&wavPath](int error) {
    if (error != 0) ReportPlain("cannot write " + wavPath + ": " + std::strerror(error));
    return Result::WriteFailed;
  };
  WavFileWriter writer(kChannels, kSampleRate);
  if (!writer.Open(wavPath)) return failedWrite(writer.Error());
  // Floating-point samples, brought to their loudness as a whole, then
  // rounded to 16 bits without dither: silence stays exact zeros.
  LoudnessNormalizer level(kSampleRate, volumePercent);
  if (!level.Open()) return Result::WriteFailed;
  if (progress && !progress(Phase::Open, 0.0)) return Result::Cancelled;

  const uint32_t maxSeconds =
      g_maxRenderSeconds != 0 ? g_maxRenderSeconds.load() : kMaxRenderSeconds;
  const uint64_t maxFrames = static_cast<uint64_t>(maxSeconds) * kSampleRate;
  const uint64_t maxTail = static_cast<uint64_t>(kMaxReleaseTailSeconds) * kSampleRate;
  std::vector<GroupRound> rounds(groups);
  std::vector<float> mixLeft(groups > 1 ? size_t{kBlockFrames} : 0);
  std::vector<float> mixRight(mixLeft.size());
  uint64_t frames = 0, tail = 0;
  bool playing = true, done = false;
  double nextReport = kProgressStep;
  {
    RoundWorkers workers(synths_, rounds, groups);
    while (!done) {
      workers.Round(*synths_[0], rounds[0]);
      for (size_t b = 0; b < kBlocksPerRound && !done; ++b) {
        bool anyPlaying = false, anySounding = false;
        for (const GroupRound& r : rounds) {
          anyPlaying = anyPlaying || r.playing[b];
          anySounding = anySounding || r.sounding[b];
        }
        playing = playing && anyPlaying;
        if (playing) {
          if (frames >= maxFrames) return Result::TooLong;
        } else if (tail >= maxTail || !anySounding) {
          done = true;
          break;
        } else {
          tail += kBlockFrames;
        }
        const size_t at = b * kBlockFrames;
        std::span<const float> left = std::span(rounds[0].left).subspan(at, kBlockFrames);
        std::span<const float> right = std::span(rounds[0].right).subspan(at, kBlockFrames);
        if (groups > 1) {
          std::copy(left.begin(), left.end(), mixLeft.begin());
          std::copy(right.begin(), right.end(), mixRight.begin());
          for (size_t g = 1; g < groups; ++g) {
            for (size_t i = 0; i < size_t{kBlockFrames}; ++i) {
              mixLeft[i] += rounds[g].left[at + i];
              mixRight[i] += rounds[g].right[at + i];
            }
          }
          left = mixLeft;
          right = mixRight;
        }
        if (!level.Append(left, right)) return Result::WriteFailed;
        frames += kBlockFrames;
      }
      if (playing && progress) {
        const double fraction = synths_[0]->Fraction();
        if (fraction >= nextReport && fraction < 1.0) {
          if (!progress(Phase::Update, fraction)) return Result::Cancelled;
          while (nextReport <= fraction) nextReport += kProgressStep;
        }
      }
    }
  }
  if (!level.Finish([&writer](std::span<const int16_t> block) { return writer.Append(block); })) {
    return writer.Error() != 0 ? failedWrite(writer.Error()) : Result::WriteFailed;
  }
  if (progress && !progress(Phase::Close, 1.0)) return Result::Cancelled;
  if (!writer.Finish()) return failedWrite(writer.Error());
  return Result::Done;
}

}  // namespace crx::renderer
