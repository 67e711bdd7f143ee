#include "midi/MidiFormat0Data.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "foundation/ByteWriter.h"
#include "foundation/FileHelpers.h"
#include "foundation/GeneralError.h"
#include "midi/MidiHeader.h"
#include "midi/MidiMessages.h"

namespace crx {

namespace {
constexpr uint16_t kFormat0 = 0;
constexpr uint16_t kOneTrack = 1;
}  // namespace

bool HasMidiHeaderAt(std::span<const uint8_t> image, size_t imageSize, size_t offset) {
  const size_t size = std::min(imageSize, image.size());
  if (offset > size || size - offset < kHeaderChunkId.size()) return false;
  return std::equal(kHeaderChunkId.begin(), kHeaderChunkId.end(), image.begin() + offset);
}

bool RemoveMacBinaryHeader(std::vector<uint8_t>& image, size_t& imageSize) {
  if (HasMidiHeaderAt(image, imageSize, 0) ||
      !HasMidiHeaderAt(image, imageSize, kMacBinaryHeaderSize)) {
    return false;
  }
  const auto from = image.begin() + static_cast<std::ptrdiff_t>(kMacBinaryHeaderSize);
  const auto to = image.begin() + static_cast<std::ptrdiff_t>(imageSize);
  std::copy(from, to, image.begin());
  imageSize -= kMacBinaryHeaderSize;
  image.resize(imageSize);
  return true;
}

MidiFormat0Data::MidiFormat0Data() : track_(std::make_unique<MidiTrackData>(kMidiChunkCapacity)) {}

MidiFormat0Data::~MidiFormat0Data() = default;

bool MidiFormat0Data::LoadFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  SetImageSize(0);
  if (path.empty()) return false;  // nothing chosen
  if (!ReadFileLimited(path, bytes, capacity_)) return false;
  LoadImage(bytes);
  return true;
}

void MidiFormat0Data::LoadImage(std::span<const uint8_t> bytes) {
  const size_t n = std::min(bytes.size(), capacity_);
  image_.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
  imageSize_ = n;
  position_ = 0;
}

bool MidiFormat0Data::SaveFile(const std::string& path) const {
  if (path.empty()) return false;  // nothing chosen
  return WriteRecord(path, ImageBytes());
}

std::span<const uint8_t> MidiFormat0Data::ImageBytes() const {
  return std::span<const uint8_t>(image_).first(imageSize_);
}

void MidiFormat0Data::SetImageSize(size_t size) {
  imageSize_ = std::min(size, capacity_);
  image_.resize(imageSize_);
}

int MidiFormat0Data::ReadHeader() {
  if (imageSize_ == 0) return 0;
  if (!HasMidiHeaderAt(image_, imageSize_, 0) && !RemoveMacBinaryHeader(image_, imageSize_)) {
    M0dtError(kM0dtNotMidi);
    return 0;
  }
  const std::optional<MidiHeader> header = MidiHeader::Read(ImageBytes());
  if (!header || !header->Format()) {
    M0dtError(kM0dtNotMidi);
    return 0;
  }
  if (*header->Format() != kFormat0) {
    M0dtError(kM0dtNotFormat0);
    return 0;
  }
  if (header->Tracks() != kOneTrack) {
    M0dtError(kM0dtTrackCount);
    return 0;
  }
  if (!header->Division()) {
    M0dtError(kM0dtNotMidi);
    return 0;
  }
  division_ = *header->Division();
  // The track follows a header of the standard length, whatever its length
  // field says.
  position_ = kMidiHeaderSize;
  return 1;
}

void MidiFormat0Data::WriteHeader() {
  ByteWriter out;
  out.Text(kHeaderChunkId);
  out.U32BE(kHeaderChunkLength);
  out.U16BE(kFormat0);
  out.U16BE(kOneTrack);
  out.U16BE(static_cast<uint16_t>(division_));
  image_.clear();
  imageSize_ = 0;
  AppendChunk(out.Data());
  position_ = kMidiHeaderSize;
}

bool MidiFormat0Data::AppendChunk(std::span<const uint8_t> chunk) {
  if (chunk.size() > capacity_ - imageSize_) return false;
  image_.insert(image_.end(), chunk.begin(), chunk.end());
  imageSize_ += chunk.size();
  return true;
}

void MidiFormat0Data::SetTrack(std::unique_ptr<MidiTrackData> track) {
  track_ = track ? std::move(track) : std::make_unique<MidiTrackData>(kMidiChunkCapacity);
}

}  // namespace crx
