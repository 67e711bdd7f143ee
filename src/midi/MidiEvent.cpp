#include "midi/MidiEvent.h"

#include <algorithm>

#include "midi/MidiMessages.h"

namespace crx {

namespace {
size_t BufferSizeFor(int length) { return static_cast<size_t>(std::max(length, 0) + kDataSpare); }
}  // namespace

MidiEvent MidiEvent::CopyOf(const MidiEvent* source) {
  if (source == nullptr) {
    MdevError(kMdevError);
    return MidiEvent();
  }
  return *source;
}

void MidiEvent::SetData(std::span<const uint8_t> bytes) {
  if (bytes.size() > static_cast<size_t>(kMaxEventData)) MuevError(kMuevDataTooLarge);
  StoreData(bytes);
}

void MidiEvent::StoreData(std::span<const uint8_t> bytes) {
  int length = static_cast<int>(bytes.size());
  data_.assign(BufferSizeFor(length), 0);
  std::copy(bytes.begin(), bytes.end(), data_.begin());
  dataLength_ = length;
}

void MidiEvent::SetData(std::string_view bytes) {
  SetData(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

void MidiEvent::ResizeData(int length) {
  if (length < 0) length = 0;
  std::vector<uint8_t> fresh(BufferSizeFor(length), 0);
  int keep = std::min(dataLength_, length);
  std::copy_n(data_.begin(), std::min<size_t>(static_cast<size_t>(keep), data_.size()),
              fresh.begin());
  data_ = std::move(fresh);
  dataLength_ = keep;
}

uint8_t MidiEvent::DataByte(int index) const {
  const uint8_t* p = DataAt(index);
  return p == nullptr ? 0 : *p;
}

const uint8_t* MidiEvent::DataAt(int index) const {
  if (data_.empty() || index < 0 || index >= dataLength_ + kDataSpare ||
      static_cast<size_t>(index) >= data_.size()) {
    MuevError(kMuevDataError);
    return nullptr;
  }
  return &data_[static_cast<size_t>(index)];
}

uint8_t* MidiEvent::DataAt(int index) {
  return const_cast<uint8_t*>(static_cast<const MidiEvent*>(this)->DataAt(index));
}

void MidiEvent::SetDataByte(int index, uint8_t byte) {
  if (data_.empty() || index < 0) {
    MuevError(kMuevDataError);
    return;
  }
  if (static_cast<size_t>(index) >= data_.size() || index >= dataLength_ + kDataSpare) {
    std::vector<uint8_t> fresh(std::max(data_.size(), BufferSizeFor(index + 1)), 0);
    std::copy(data_.begin(), data_.end(), fresh.begin());
    data_ = std::move(fresh);
  }
  data_[static_cast<size_t>(index)] = byte;
}

bool MidiEvent::CopyData(std::vector<uint8_t>& out) const {
  if (data_.empty()) {
    MuevError(kMuevDataError);
    return false;
  }
  auto bytes = Bytes();
  out.assign(bytes.begin(), bytes.end());
  return true;
}

std::span<const uint8_t> MidiEvent::Bytes() const {
  if (data_.empty()) return {};
  return std::span<const uint8_t>(data_).first(
      std::min<size_t>(static_cast<size_t>(dataLength_), data_.size()));
}

std::string MidiEvent::Text() const {
  auto bytes = Bytes();
  return std::string(bytes.begin(), bytes.end());
}

void MidiEvent::SetDataLength(int length) {
  if (length < 0) length = 0;
  if (data_.size() < BufferSizeFor(length)) data_.resize(BufferSizeFor(length), 0);
  // Bytes past a shortened length read as zero again (a text stays terminated).
  if (length < dataLength_) std::fill(data_.begin() + length, data_.end(), 0);
  dataLength_ = length;
}

}  // namespace crx
