#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "midi/MidiFormat0Data.h"

namespace crx::renderer {

// Tempo taken for the lead-in of a format 0 file without a tempo event.
inline constexpr uint32_t kNoTempoLeadInTempo = 60000;

// The renderer's single-track file: read from an image into notes form,
// edited, and written back as a format 0 file of its "MTrk" chunk alone.
class SingleTrackSong final : public MidiFormat0Data {
 public:
  // Reads the header and the chunk right after it (form 2). After a header
  // error, or when the chunk yields no events, the object stays in form 0
  // with the image as given.
  explicit SingleTrackSong(std::span<const uint8_t> image);

  int Form() const { return form_; }

  // Deletes every event of the channel.
  void DeleteChannel(int channel);
  // The first tempo of the track; 60,000 when there is none.
  uint32_t FirstTempo() const;

  // Writes the file; the object keeps its form. True when the file was
  // written.
  bool WriteFile(const std::string& path);
  // Builds the image that WriteFile writes: the header and the track, its events
  // ordered within each tick (form 0: the image as read). False when the
  // track could not be written.
  bool BuildImage();

 private:
  bool RequireEvents() const;

  int form_ = kFormRaw;
};

}  // namespace crx::renderer
