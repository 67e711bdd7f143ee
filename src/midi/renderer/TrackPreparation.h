#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "midi/MidiTrackData.h"

// The renderer's operations on single tracks and file images: what it does to
// a song before the song is rendered.
namespace crx::renderer {

// Capacities of the renderer's files: one image size for both formats, and
// the tracks taken from a format 1 file (at most 32, half the image each).
inline constexpr size_t kRendererImageCapacity = kMidiChunkCapacity;
inline constexpr size_t kRendererTrackCapacity = kRendererImageCapacity / 2;
inline constexpr int kRendererMaxTracks = 32;
// The controller of the channel volume.
inline constexpr int kChannelVolumeController = 7;
// The highest MIDI channel.
inline constexpr int kMaxMidiChannel = 15;

// 0 for a format 0 file, 1 for format 1, -1 for anything else (another
// format, no "MThd", a header cut short). Moves the image down over a
// 128-byte Mac binary header first.
int DetectFormat(std::vector<uint8_t>& image);

// Scales every channel volume (controller 7) that is not 0 to
// value * percent / 100, cut toward zero and kept within 1-127.
void ScaleVolume(MidiTrackData& track, int32_t percent);

// The channel of the first event that has one and is not an exclusive
// message; 255 when there is none.
int TrackChannel(const MidiTrackData& track);

// Adds the ticks to the delta of the first event (an empty track and
// non-positive ticks change nothing). The delta stays within what a
// variable-length quantity holds.
void AddLeadIn(MidiTrackData& track, int64_t ticks);

// Number of exclusive events classified as master volume.
int CountMasterVolumes(const MidiTrackData& track);
// Puts the event in front of every other event; false when the table is full.
bool PrependEvent(MidiTrackData& track, MidiEvent event);

// The order of events within each tick in which the renderer writes a format
// 0 file (form 1): every event other than NoteOn, NoteOff and end of track to
// the front of its tick, then the exclusive messages in front of those, then
// NoteOffs before NoteOns. Each position keeps its delta.
void OrderEventsWithinTicks(MidiTrackData& track);

}  // namespace crx::renderer
