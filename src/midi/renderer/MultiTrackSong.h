#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "midi/MidiFormat1Data.h"

namespace crx::renderer {

// The renderer's multi-track file: up to 32 tracks read from an image into
// notes form, edited, and written back as a format 1 file.
class MultiTrackSong final : public MidiFormat1Data {
 public:
  // Reads the header, takes the track chunks (196,608 bytes each at most),
  // pairs their notes and sees that exactly one track sets the master volume,
  // adding one where none does (form 2). After a header error, or when no
  // track could be taken, the object stays in form 0 with the image as given.
  explicit MultiTrackSong(std::span<const uint8_t> image);

  // Deletes the track and moves the later tracks up by one slot.
  void DeleteTrack(int index);
  // The value of the last tempo event of the last track that has one; 0 when
  // no track has a tempo event.
  uint32_t LastTempo() const;

  // Writes the file; the object keeps its form. True when the file was
  // written.
  bool WriteFile(const std::string& path);
  // Builds the image that WriteFile writes: the header and every track's "MTrk"
  // chunk while the image has room (form 0: the image as read).
  void BuildImage();

 private:
  bool ReadHeader(int& tracks);
  void TakeTracks(int wanted);
  void CheckMasterVolume();
};

}  // namespace crx::renderer
