#include "renderer/MidiSynthesizer.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "foundation/FileHelpers.h"

namespace crx::renderer {
namespace {

std::mutex g_folderMutex;
std::string g_folderOverride;

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
  static std::once_flag once;
  std::call_once(once, [] {
    for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level) {
      fluid_set_log_function(level, nullptr, nullptr);
    }
  });
}

}  // namespace

struct MidiSynthesizer::Impl {
  std::unique_ptr<fluid_settings_t, SettingsDeleter> settings;
  std::unique_ptr<fluid_synth_t, SynthDeleter> synth;
  std::unique_ptr<fluid_player_t, PlayerDeleter> player;
};

MidiSynthesizer::MidiSynthesizer(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

MidiSynthesizer::~MidiSynthesizer() = default;

std::vector<std::string> MidiSynthesizer::SoundFontCandidates() {
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

void MidiSynthesizer::OverrideSoundFontFolder(const std::string& folder) {
  std::lock_guard lock(g_folderMutex);
  g_folderOverride = folder;
}

bool MidiSynthesizer::IsSoundFont(const std::string& path) {
  SilenceLibraryLog();
  return FileExists(path) != 0 && fluid_is_soundfont(path.c_str()) != 0;
}

std::unique_ptr<MidiSynthesizer> MidiSynthesizer::Create(const std::string& soundFont, int threads,
                                                         LoadResult& result) {
  SilenceLibraryLog();
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
  if (threads > 1) fluid_settings_setint(s, "synth.cpu-cores", threads);
  // The player follows the samples written, not the wall clock.
  fluid_settings_setstr(s, "player.timing-source", "sample");
  impl->synth.reset(new_fluid_synth(s));
  if (!impl->synth) {
    result = LoadResult::SynthesizerFailed;
    return nullptr;
  }
  if (fluid_synth_sfload(impl->synth.get(), soundFont.c_str(), 1) == FLUID_FAILED) {
    result = LoadResult::NoSoundFont;
    return nullptr;
  }
  result = LoadResult::Loaded;
  return std::unique_ptr<MidiSynthesizer>(new MidiSynthesizer(std::move(impl)));
}

bool MidiSynthesizer::Start(std::span<const uint8_t> midi) {
  fluid_synth_t* synth = impl_->synth.get();
  impl_->player.reset();
  fluid_synth_system_reset(synth);
  impl_->player.reset(new_fluid_player(synth));
  fluid_player_t* player = impl_->player.get();
  if (player == nullptr) return false;
  if (fluid_player_add_mem(player, midi.data(), midi.size()) != FLUID_OK ||
      fluid_player_play(player) != FLUID_OK) {
    impl_->player.reset();
    return false;
  }
  return true;
}

bool MidiSynthesizer::Playing() const {
  return impl_->player && fluid_player_get_status(impl_->player.get()) == FLUID_PLAYER_PLAYING;
}

bool MidiSynthesizer::Sounding() const {
  return fluid_synth_get_active_voice_count(impl_->synth.get()) > 0;
}

double MidiSynthesizer::Fraction() const {
  if (!impl_->player) return 0;
  const int total = fluid_player_get_total_ticks(impl_->player.get());
  if (total <= 0) return 0;
  return static_cast<double>(fluid_player_get_current_tick(impl_->player.get())) / total;
}

void MidiSynthesizer::Render(std::span<float> left, std::span<float> right) {
  const int frames = static_cast<int>(std::min(left.size(), right.size()));
  fluid_synth_write_float(impl_->synth.get(), frames, left.data(), 0, 1, right.data(), 0, 1);
}

}  // namespace crx::renderer
