#include "renderer/SynthComponent.h"

#include <fluidsynth.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <mutex>

#include "foundation/FileHelpers.h"
#include "renderer/AiffFileWriter.h"
#include "renderer/LoudnessNormalizer.h"

namespace crx::renderer {
namespace {

std::mutex g_folderMutex;
std::string g_folderOverride;
std::atomic<uint32_t> g_maxRenderSeconds{0};
std::atomic<int> g_volumePercent{LoudnessNormalizer::kReferenceVolumePercent};

struct SettingsDeleter {
  void operator()(fluid_settings_t* s) const { delete_fluid_settings(s); }
};
struct SynthDeleter {
  void operator()(fluid_synth_t* s) const { delete_fluid_synth(s); }
};
struct PlayerDeleter {
  void operator()(fluid_player_t* p) const { delete_fluid_player(p); }
};

// The library writes its complaints to standard error unless told otherwise;
// the system shows its own messages instead.
void SilenceLibraryLog() {
  for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level) {
    fluid_set_log_function(level, nullptr, nullptr);
  }
}

}  // namespace

struct SynthComponent::Impl {
  std::unique_ptr<fluid_settings_t, SettingsDeleter> settings;
  std::unique_ptr<fluid_synth_t, SynthDeleter> synth;
};

SynthComponent::SynthComponent(std::unique_ptr<Impl> impl, std::string soundFontPath)
    : impl_(std::move(impl)), soundFontPath_(std::move(soundFontPath)) {}

SynthComponent::~SynthComponent() = default;

std::vector<std::string> SynthComponent::SoundFontCandidates() {
  std::vector<std::string> out;
  const char* variable = std::getenv(kSoundFontVariable);
  if (variable != nullptr && variable[0] != '\0') out.emplace_back(variable);
  std::string folder = kSoundFontFolder;
  {
    std::lock_guard lock(g_folderMutex);
    if (!g_folderOverride.empty()) folder = g_folderOverride;
  }
  for (const char* name : kSoundFontNames) out.push_back(JoinPath(folder, name));
  return out;
}

void SynthComponent::OverrideSoundFontFolder(const std::string& folder) {
  std::lock_guard lock(g_folderMutex);
  g_folderOverride = folder;
}

void SynthComponent::OverrideMaxRenderSeconds(uint32_t seconds) { g_maxRenderSeconds = seconds; }

void SynthComponent::SetVolumePercent(int percent) { g_volumePercent = percent; }

std::unique_ptr<SynthComponent> SynthComponent::Load(LoadResult& result,
                                                     std::vector<std::string>& tried) {
  SilenceLibraryLog();
  tried.clear();
  result = LoadResult::NoSoundFont;
  for (const std::string& candidate : SoundFontCandidates()) {
    tried.push_back(candidate);
    if (FileExists(candidate) == 0 || fluid_is_soundfont(candidate.c_str()) == 0) continue;
    auto impl = std::make_unique<Impl>();
    impl->settings.reset(new_fluid_settings());
    if (!impl->settings) {
      result = LoadResult::SynthesizerFailed;
      return nullptr;
    }
    fluid_settings_t* s = impl->settings.get();
    fluid_settings_setnum(s, "synth.sample-rate", static_cast<double>(kSampleRate));
    fluid_settings_setnum(s, "synth.gain", kSynthGain);
    fluid_settings_setint(s, "synth.audio-channels", 1);  // one stereo pair
    fluid_settings_setint(s, "synth.lock-memory", 0);
    fluid_settings_setint(s, "synth.threadsafe-api", 0);
    // The player follows the samples written, not the wall clock: the song
    // renders as fast as the machine allows.
    fluid_settings_setstr(s, "player.timing-source", "sample");
    impl->synth.reset(new_fluid_synth(s));
    if (!impl->synth) {
      result = LoadResult::SynthesizerFailed;
      return nullptr;
    }
    if (fluid_synth_sfload(impl->synth.get(), candidate.c_str(), 1) == FLUID_FAILED) continue;
    result = LoadResult::Loaded;
    return std::unique_ptr<SynthComponent>(new SynthComponent(std::move(impl), candidate));
  }
  return nullptr;
}

SynthComponent::RenderResult SynthComponent::RenderToAiff(std::span<const uint8_t> midi,
                                                          const std::string& aiffPath,
                                                          const Progress& progress) {
  fluid_synth_t* synth = impl_->synth.get();
  fluid_synth_system_reset(synth);
  std::unique_ptr<fluid_player_t, PlayerDeleter> player(new_fluid_player(synth));
  if (!player || fluid_player_add_mem(player.get(), midi.data(), midi.size()) != FLUID_OK ||
      fluid_player_play(player.get()) != FLUID_OK) {
    return RenderResult::SynthesizerFailed;
  }

  AiffFileWriter writer(kChannels, kSampleRate);
  if (!writer.Open(aiffPath)) return RenderResult::WriteFailed;
  // Floating-point samples, brought to their loudness as a whole, then
  // rounded to 16 bits without dither: silence stays exact zeros.
  LoudnessNormalizer level(kSampleRate, g_volumePercent.load());
  if (!level.Open()) {
    writer.Abandon();
    return RenderResult::WriteFailed;
  }
  std::vector<float> left(kBlockFrames), right(kBlockFrames);
  auto renderBlock = [&]() {
    fluid_synth_write_float(synth, kBlockFrames, left.data(), 0, 1, right.data(), 0, 1);
    return level.Append(left, right);
  };
  auto stop = [&](RenderResult r) {
    fluid_player_stop(player.get());
    writer.Abandon();
    return r;
  };

  if (progress && !progress(Phase::Open, 0.0)) return stop(RenderResult::Cancelled);
  const uint32_t maxSeconds =
      g_maxRenderSeconds != 0 ? g_maxRenderSeconds.load() : kMaxRenderSeconds;
  const uint64_t maxFrames = static_cast<uint64_t>(maxSeconds) * kSampleRate;
  uint64_t frames = 0;
  double nextReport = kProgressStep;
  while (fluid_player_get_status(player.get()) == FLUID_PLAYER_PLAYING) {
    if (frames >= maxFrames) return stop(RenderResult::TooLong);
    if (!renderBlock()) return stop(RenderResult::WriteFailed);
    frames += kBlockFrames;
    int total = fluid_player_get_total_ticks(player.get());
    if (progress && total > 0) {
      double fraction = static_cast<double>(fluid_player_get_current_tick(player.get())) / total;
      if (fraction >= nextReport && fraction < 1.0) {
        if (!progress(Phase::Update, fraction)) return stop(RenderResult::Cancelled);
        while (nextReport <= fraction) nextReport += kProgressStep;
      }
    }
  }
  const uint64_t maxTail = static_cast<uint64_t>(kMaxReleaseTailSeconds) * kSampleRate;
  for (uint64_t tail = 0; tail < maxTail && fluid_synth_get_active_voice_count(synth) > 0;
       tail += kBlockFrames) {
    if (!renderBlock()) return stop(RenderResult::WriteFailed);
  }
  if (!level.Finish([&writer](std::span<const int16_t> block) { return writer.Append(block); })) {
    return stop(RenderResult::WriteFailed);
  }
  if (progress && !progress(Phase::Close, 1.0)) return stop(RenderResult::Cancelled);
  if (!writer.Finish()) return RenderResult::WriteFailed;
  return RenderResult::Done;
}

}  // namespace crx::renderer
