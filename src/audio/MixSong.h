#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "audio/MixSettings.h"

namespace crx {

// The singing-voice program whose output needs no lead-in.
inline constexpr std::string_view kLeadInFreeVoiceProgram = "Lumivoce";
inline constexpr std::string_view kTemporaryWavSuffix = "_tmp.wav";
// 16 quarter notes of the song's first tempo, in microseconds per quarter.
inline constexpr uint32_t kLeadInQuarterNotes = 16;
inline constexpr uint32_t kDefaultFirstTempo = 500000;
inline constexpr uint32_t kMaxTempo = 0xFFFFFF;

// The lead-in in milliseconds: 16 quarter notes of the first tempo, or 0 when
// the singing-voice program's path contains "Lumivoce".
int LeadInMilliseconds(uint32_t firstTempo, std::string_view voiceProgramPath);
// The accompaniment path without its extension, then "_tmp.wav".
std::string TemporaryWavPath(const std::string& accompanimentPath);

// Rewrites a 44100 Hz, 2-channel, 16-bit WAV file in place with its samples
// times factor and the echo reverb of taps taps. Any other file is left as it
// is, after the reader's message. True when the file was rewritten.
bool ApplyVolumeAndReverb(const std::string& path, int taps, double factor);

// The whole mix: volume and reverb on the vocal and the accompaniment (both
// rewritten in place), the accompaniment delayed by the lead-in, the two
// added into the output, the mix's own volume and reverb, and the silence at
// the start and end trimmed. True when the output was written.
bool MixSong(const std::string& vocalPath, const std::string& accompanimentPath,
             const std::string& outputPath, const MixSettings& settings, uint32_t firstTempo,
             std::string_view voiceProgramPath);

}  // namespace crx
