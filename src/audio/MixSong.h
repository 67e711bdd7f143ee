#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "audio/MixSettings.h"
#include "foundation/StandardTempo.h"

namespace crx {

// The singing-voice program whose output needs no lead-in.
inline constexpr std::string_view kLeadInFreeVoiceProgram = "Lumivoce";
inline constexpr std::string_view kTemporaryWavSuffix = "_tmp.wav";
// 16 quarter notes of the song's first tempo, in microseconds per quarter.
inline constexpr uint32_t kLeadInQuarterNotes = 16;
inline constexpr uint32_t kDefaultFirstTempo = kStandardTempo;
inline constexpr uint32_t kMaxTempo = 0xFFFFFF;
// Frames the mix reads, processes and writes at once.
inline constexpr size_t kMixBlockFrames = 16384;

// The lead-in in milliseconds: 16 quarter notes of the first tempo, or 0 when
// the singing-voice program's path contains "Lumivoce".
int LeadInMilliseconds(uint32_t firstTempo, std::string_view voiceProgramPath);
// The accompaniment path without its extension, then "_tmp.wav": where the
// whole-file steps kept the delayed accompaniment.
std::string TemporaryWavPath(const std::string& accompanimentPath);

// Rewrites a 44100 Hz, 2-channel, 16-bit WAV file in place with its samples
// times factor and the echo reverb of taps taps. Any other file is left as it
// is, after the reader's message. True when the file was rewritten.
bool ApplyVolumeAndReverb(const std::string& path, int taps, double factor);

// The whole mix, in one pass over both inputs, which are only read: the
// vocal and the accompaniment with their volume and reverb, the
// accompaniment delayed by the lead-in, the two added (saturating at the
// 16-bit limits), the mix's own volume and reverb, and the quiet start and
// end trimmed. Sample for sample what the whole-file steps above give when
// run one after the other. The output is written to a temporary file in
// its folder and renamed over it at the end: a mix that fails, after its
// message, leaves an older file at the output path as it was. True when the
// output was written.
bool MixSong(const std::string& vocalPath, const std::string& accompanimentPath,
             const std::string& outputPath, const MixSettings& settings, uint32_t firstTempo,
             std::string_view voiceProgramPath);
// MixSong in blocks of the given number of frames.
bool MixSongInBlocks(const std::string& vocalPath, const std::string& accompanimentPath,
                     const std::string& outputPath, const MixSettings& settings,
                     uint32_t firstTempo, std::string_view voiceProgramPath, size_t blockFrames);

}  // namespace crx
