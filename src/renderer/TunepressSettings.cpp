#include "renderer/TunepressSettings.h"

#include <algorithm>

namespace crx::renderer {

int32_t TunepressSettings::EffectiveVolume() const {
  return std::clamp(volume, kMinVolume, kMaxVolume);
}

int32_t TunepressSettings::EffectiveLeadInBeats() const {
  return std::clamp(leadInBeats, kMinLeadIn, kMaxLeadIn);
}

}  // namespace crx::renderer
