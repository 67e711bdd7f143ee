#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

#include "foundation/FileHelpers.h"

namespace crx::renderer {

inline constexpr const char* kTunepressSettingsFileName = "fc_setup.ini";

// The renderer's settings record, stored raw in "fc_setup.ini": 332 bytes,
// integers 32-bit little-endian, the MP3 link NUL-terminated in a 260-byte
// field.
struct TunepressSettings {
  static constexpr int kChannels = 16;
  static constexpr int32_t kDefaultVolume = 70;
  static constexpr int32_t kMinVolume = 0;
  static constexpr int32_t kMaxVolume = 100;
  // The lead-in spin of the settings dialog runs over this range; a stored
  // value outside it (a damaged file) is clamped when a conversion uses it.
  static constexpr int32_t kMinLeadIn = 0;
  static constexpr int32_t kMaxLeadIn = 100;

  int32_t volume = kDefaultVolume;             // percent, scales Channel Volume events
  std::array<char, kPathFieldSize> mp3Link{};  // MP3 encoder program; empty = no link
  // 1 = render the channel, 0 = leave it out; MIDI channel 1 first.
  std::array<int32_t, kChannels> channelFlags{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
  int32_t leadInBeats = 0;  // blank quarter notes before the music

  std::span<uint8_t> Bytes() {
    return {reinterpret_cast<uint8_t*>(this), sizeof(TunepressSettings)};
  }
  std::span<const uint8_t> Bytes() const {
    return {reinterpret_cast<const uint8_t*>(this), sizeof(TunepressSettings)};
  }

  // A zero-filled record with the volume 70 and every channel on.
  static TunepressSettings Defaults() { return TunepressSettings{}; }

  // The values a conversion uses: volume and lead-in within the dialog's
  // ranges (a channel is on when its flag is not 0).
  int32_t EffectiveVolume() const;
  int32_t EffectiveLeadInBeats() const;
};

static_assert(std::endian::native == std::endian::little, "records are stored little-endian");
static_assert(sizeof(TunepressSettings) == 332);
static_assert(offsetof(TunepressSettings, volume) == 0);
static_assert(offsetof(TunepressSettings, mp3Link) == 4);
static_assert(offsetof(TunepressSettings, channelFlags) == 264);
static_assert(offsetof(TunepressSettings, leadInBeats) == 328);

}  // namespace crx::renderer
