// The check a movie file passes before the synthesizer plays it.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "renderer/MidiFileCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> image(data, size);
  std::optional<size_t> offset = crx::renderer::MidiFileCheck::HeaderOffset(image);
  if (offset) crx::renderer::MidiFileCheck::Playable(image.subspan(*offset));
  return 0;
}
