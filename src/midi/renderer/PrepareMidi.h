#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace crx::renderer {

inline constexpr int kChannelCount = 16;
inline constexpr int32_t kDefaultVolumePercent = 70;

// One flag per MIDI channel, channel 1 first: nonzero renders the channel,
// 0 leaves it out.
using ChannelFlags = std::array<int32_t, kChannelCount>;
inline constexpr ChannelFlags kAllChannelsOn = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};

// Reads the MIDI file at midiPath, scales its channel volumes by
// volumePercent / 100, leaves out the switched-off channels (whole tracks of a
// format 1 file), puts leadInBeats blank beats in front and returns the
// bytes of the prepared file. Messages are reported as diagnostics. Nothing
// when the file could not be read or the prepared song could not be built.
std::optional<std::vector<uint8_t>> PrepareMidiFile(const std::string& midiPath,
                                                    int32_t volumePercent,
                                                    const ChannelFlags& channels,
                                                    int32_t leadInBeats);

// The same for a file image already in memory.
std::optional<std::vector<uint8_t>> PrepareMidiBytes(std::span<const uint8_t> image,
                                                     int32_t volumePercent,
                                                     const ChannelFlags& channels,
                                                     int32_t leadInBeats);

// PrepareMidiFile, with the result written to preparedPath. True when
// preparedPath was written.
bool PrepareMidi(const std::string& midiPath, const std::string& preparedPath,
                 int32_t volumePercent, const ChannelFlags& channels, int32_t leadInBeats);

// PrepareMidiBytes, with the result written to preparedPath.
bool PrepareMidiImage(std::vector<uint8_t> image, const std::string& preparedPath,
                      int32_t volumePercent, const ChannelFlags& channels, int32_t leadInBeats);

// Lead-in ticks for a tempo (microseconds per quarter note) and a number of
// blank beats: tempo / 1000 * beats, cut toward zero; 0 for no beats.
int64_t LeadInTicks(uint32_t tempo, int32_t beats);

}  // namespace crx::renderer
