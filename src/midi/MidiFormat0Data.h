#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "midi/MidiTrackData.h"

namespace crx {

// Capacity of a format 0 image.
inline constexpr size_t kFormat0ImageCapacity = kMidiChunkCapacity;
// Size of a header chunk ("MThd", length 6, format, tracks, division).
inline constexpr size_t kMidiHeaderSize = 14;
// A Mac binary header in front of "MThd".
inline constexpr size_t kMacBinaryHeaderSize = 128;
// Division until a header is read.
inline constexpr int kDefaultDivision = 960;
// The file filter and default extension of the dialogs that choose a MIDI
// file for these classes.
inline constexpr const char* kMidiFileFilter = "SMF files|*.mid|";
inline constexpr const char* kMidiFileExtension = "mid";

// Moves an image down over a 128-byte Mac binary header when "MThd" is not at
// its start but 128 bytes later; the size shrinks by 128. True if moved.
bool RemoveMacBinaryHeader(std::vector<uint8_t>& image, size_t& imageSize);
// True when the image holds "MThd" at offset 0.
bool HasMidiHeaderAt(std::span<const uint8_t> image, size_t imageSize, size_t offset);

// A single-track file image: the image buffer, its division and one track.
class MidiFormat0Data {
 public:
  // An empty image (that may grow to 393,216 bytes), division 960 and an
  // empty track.
  MidiFormat0Data();
  virtual ~MidiFormat0Data();
  MidiFormat0Data(const MidiFormat0Data&) = delete;
  MidiFormat0Data& operator=(const MidiFormat0Data&) = delete;

  // Reads the whole file into the image (at most the capacity). False when
  // the file cannot be read (reported) or no path was chosen (empty); the
  // image is then empty.
  bool LoadFile(const std::string& path);
  // Replaces the image with bytes (cut at the capacity).
  void LoadImage(std::span<const uint8_t> bytes);
  // Writes image size bytes to the path. False on failure (reported) or when
  // no path was chosen (empty).
  bool SaveFile(const std::string& path) const;

  // Mac binary check, header check, division: 1 on success with the position
  // after the header (14), else 0 after M0DT 0x04000001, 0x04000003 or
  // 0x04000004 (an empty image: 0 without a message).
  int ReadHeader();
  // "MThd", 6, format 0, one track, the division; image size = position = 14.
  void WriteHeader();
  // Appends a chunk at the image size. False (nothing appended) when it would
  // not fit in the capacity.
  bool AppendChunk(std::span<const uint8_t> chunk);

  std::vector<uint8_t>& Image() { return image_; }
  std::span<const uint8_t> Image() const { return image_; }
  // The first image size bytes.
  std::span<const uint8_t> ImageBytes() const;
  size_t ImageSize() const { return imageSize_; }
  // Sets the image size (at most the capacity); bytes beyond the old size
  // are zero.
  void SetImageSize(size_t size);
  size_t Position() const { return position_; }
  void SetPosition(size_t position) { position_ = position; }
  size_t Capacity() const { return capacity_; }
  int Division() const { return division_; }
  void SetDivision(int division) { division_ = division; }

  MidiTrackData& Track() { return *track_; }
  const MidiTrackData& Track() const { return *track_; }
  // Replaces the track (a null track is replaced by an empty one).
  void SetTrack(std::unique_ptr<MidiTrackData> track);

 protected:
  size_t capacity_ = kFormat0ImageCapacity;
  size_t imageSize_ = 0;
  size_t position_ = 0;
  int division_ = kDefaultDivision;
  std::vector<uint8_t> image_;
  std::unique_ptr<MidiTrackData> track_;
};

}  // namespace crx
