#pragma once

namespace crx {

// The tempo of a MIDI song until its first Set Tempo event, as every player
// assumes: 500,000 microseconds per quarter note (120 quarter notes a
// minute). Also the tempo put in place of a tempo of 0.
inline constexpr int kStandardTempo = 500000;

}  // namespace crx
