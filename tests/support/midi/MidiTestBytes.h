#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "midi/MidiEvent.h"
#include "midi/MidiTrackData.h"

namespace crx::test {

// Bytes from hexadecimal text: "90 3C 64" (blanks ignored).
std::vector<uint8_t> Hex(std::string_view text);
// Bytes as "90 3C 64", for readable failures.
std::string ToHex(std::span<const uint8_t> bytes);

// A chunk: identifier, 32-bit length, body.
std::vector<uint8_t> Chunk(std::string_view id, std::span<const uint8_t> body);
// A track chunk from hexadecimal event bytes.
std::vector<uint8_t> TrackChunk(std::string_view bodyHex, std::string_view id = "MTrk");
// A header chunk with the format, track count and division.
std::vector<uint8_t> HeaderChunk(int format, int tracks, int division);
// A whole file: header then the chunks.
std::vector<uint8_t> SmfFile(int format, int division,
                             const std::vector<std::vector<uint8_t>>& chunks);

// Parses a track body given in hexadecimal with the running status cleared.
std::unique_ptr<MidiTrackData> ParseTrack(std::string_view bodyHex,
                                          size_t capacity = kMidiChunkCapacity);
// The body bytes (after the 8-byte header) of a serialised track.
std::string BodyHex(const MidiTrackData& track);

// Events in a few words.
MidiEvent NoteOnEvent(int delta, int channel, int note, int velocity);
MidiEvent NoteOffEvent(int delta, int channel, int note);
MidiEvent NoteEvent(int delta, int channel, int note, int velocity, int duration);
MidiEvent ControlEvent(int delta, int channel, int controller, int value);
MidiEvent EndOfTrackEvent(int delta);
MidiEvent SysExEvent(int delta, std::string_view hex);

// A compact description of a track for comparisons: one line per event,
// "t=<absolute> <kind> ch=<c> n=<note> v=<velocity> d=<duration> ..."
std::vector<std::string> Describe(const MidiTrackData& track);

// midicsv's reading of a file, its header lines included; an empty list when
// midicsv fails or is not installed.
std::vector<std::string> MidiCsv(const std::string& path);
bool HaveMidiCsv();

}  // namespace crx::test
