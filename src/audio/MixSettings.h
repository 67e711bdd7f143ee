#pragma once

#include <cstdint>

#include "foundation/AppSettings.h"

namespace crx {

// The six values of the mix, kept in AppSettings right after the path of the
// singing-voice program.
struct MixSettings {
  static constexpr int32_t kMinVolume = 0;
  static constexpr int32_t kMaxVolume = 200;  // percent
  static constexpr int32_t kMinReverb = 0;
  static constexpr int32_t kMaxReverb = 32;  // reverb taps

  int32_t vocalVolume = 100;
  int32_t accompanimentVolume = 100;
  int32_t mixVolume = 100;
  int32_t vocalReverb = 0;
  int32_t accompanimentReverb = 0;
  int32_t mixReverb = 0;

  static MixSettings From(const AppSettings& app) {
    return {app.vocalVolume, app.accompanimentVolume, app.mixVolume,
            app.vocalReverb, app.accompanimentReverb, app.mixReverb};
  }
  void StoreIn(AppSettings& app) const {
    app.vocalVolume = vocalVolume;
    app.accompanimentVolume = accompanimentVolume;
    app.mixVolume = mixVolume;
    app.vocalReverb = vocalReverb;
    app.accompanimentReverb = accompanimentReverb;
    app.mixReverb = mixReverb;
  }
  bool operator==(const MixSettings&) const = default;
};

}  // namespace crx
