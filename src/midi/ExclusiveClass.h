#pragma once

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

// Puts the classification of a SysEx event's data (0xF0, length, body, 0xF7)
// into its subtype, value and channel. Unrecognised data: subtype 0.
void ClassifyExclusive(MidiEvent& event);

}  // namespace crx
