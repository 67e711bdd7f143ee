#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "midi/MidiTrackData.h"

namespace crx {

// Capacity of a format 1 image and its number of track slots.
inline constexpr size_t kFormat1ImageCapacity = kMidiLargeChunkCapacity;
inline constexpr int kMaxFormat1Tracks = 65;

// A multi-track file being built: tracks, or their chunks joined in an image.
class MidiFormat1Data {
 public:
  // An empty file in form 2 with the division and an empty image that may
  // grow to capacity bytes.
  explicit MidiFormat1Data(int division, size_t capacity = kFormat1ImageCapacity);
  virtual ~MidiFormat1Data();
  MidiFormat1Data(const MidiFormat1Data&) = delete;
  MidiFormat1Data& operator=(const MidiFormat1Data&) = delete;

  // Appends an empty track (form -1) of the capacity and returns it; the
  // caller sets its form. With all 65 slots taken: M1DT 0x03000019, null.
  MidiTrackData* AddTrack(size_t capacity);
  // Writes the file in the object's form and returns the object to that form
  // (tracks are rebuilt from the written image). 1 if the file was written;
  // 0 without a path (empty).
  int Save(const std::string& path);

  // Form 1 -> 0: the format 1 header and every track's "MTrk" chunk in the
  // image; the tracks are deleted (slots cleared).
  void Serialise();
  // Form 0 -> 1: the chunks after the position taken into new tracks.
  void SplitImage();
  // Form 2 -> 1 and 1 -> 2 for every track (pausing before each track).
  void SplitAllNotes();
  void PairAllNotes();

  // "MThd", 6, format 1, track count, division; image size = position = 14.
  void WriteHeader();

  int Form() const { return form_; }
  void SetForm(int form) { form_ = form; }
  int Division() const { return division_; }
  void SetDivision(int division) { division_ = division; }
  // Milliseconds slept before each track while the forms change, and given
  // to the tracks this file adds or reads (0: no pauses).
  int PauseInterval() const { return pauseInterval_; }
  void SetPauseInterval(int milliseconds);
  int TrackCount() const { return trackCount_; }
  void SetTrackCount(int count);
  // The track in a slot (null for a cleared slot or an index out of range).
  MidiTrackData* Track(int index);
  const MidiTrackData* Track(int index) const;
  // Puts a track into a slot (0-64), owning it.
  void SetTrack(int index, std::unique_ptr<MidiTrackData> track);
  // Takes a track out of its slot, leaving it cleared.
  std::unique_ptr<MidiTrackData> ReleaseTrack(int index);

  std::vector<uint8_t>& Image() { return image_; }
  std::span<const uint8_t> Image() const { return image_; }
  std::span<const uint8_t> ImageBytes() const;
  size_t ImageSize() const { return imageSize_; }
  // Sets the image size (at most the capacity); bytes beyond the old size
  // are zero.
  void SetImageSize(size_t size);
  // Replaces the image with bytes (cut at the capacity); position 0.
  void LoadImage(std::span<const uint8_t> bytes);
  size_t Position() const { return position_; }
  void SetPosition(size_t position) { position_ = position; }
  size_t Capacity() const { return capacity_; }

 protected:
  enum class TrackChunk { Appended, LeftOut, NoRoom };
  // Serialises the track as an "MTrk" chunk and appends the chunk to the
  // image: Appended; LeftOut when the track could not be written (reported
  // there); NoRoom when the image is full (M1DT 0x03000019).
  TrackChunk AppendTrackChunk(MidiTrackData& track);
  // Stores the number of track chunks into the header in the image.
  void StoreTrackCount(int count);

  size_t capacity_;
  size_t imageSize_ = 0;
  size_t position_ = 0;
  int division_;
  int form_ = kFormNotes;
  int trackCount_ = 0;
  int pauseInterval_ = 0;
  std::vector<uint8_t> image_;
  std::vector<std::unique_ptr<MidiTrackData>> tracks_;  // kMaxFormat1Tracks slots
};

}  // namespace crx
