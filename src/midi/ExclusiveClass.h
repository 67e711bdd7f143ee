#pragma once

#include <array>
#include <cstdint>

#include "midi/MidiEvent.h"

namespace crx {

// Classifications of exclusive messages (subtype of a SysEx event).
inline constexpr int kExclusiveNone = 0;
inline constexpr int kExclusiveMasterVolume = 1;
inline constexpr int kExclusiveGsDrumPart = 18;  // GS use-for-rhythm part, channel set
inline constexpr int kExclusiveGsReset = 19;     // GS system mode / reset block
inline constexpr int kExclusiveMasterBalance = 40;
inline constexpr int kExclusiveGsScaleTuning = 69;  // channel set
inline constexpr int kExclusiveGmOn = 9;
inline constexpr int kExclusiveLargeBlock = 127;  // size warnings skip it

// Master volume 127 as stored (with its length byte): F0 07 7F 7F 04 01 00 7F F7.
inline constexpr std::array<uint8_t, 9> kFullMasterVolumeMessage = {0xF0, 0x07, 0x7F, 0x7F, 0x04,
                                                                    0x01, 0x00, 0x7F, 0xF7};

// Puts the classification of a SysEx event's data (0xF0, length, body, 0xF7)
// into its subtype, value and channel. Unrecognised data: subtype 0.
void ClassifyExclusive(MidiEvent& event);

// A classified SysEx event holding the full master volume message.
MidiEvent MakeFullMasterVolume();

}  // namespace crx
