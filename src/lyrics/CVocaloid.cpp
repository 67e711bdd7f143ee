#include "lyrics/CVocaloid.h"

#include <utility>

namespace crx {

CVocaloid::CVocaloid() { notes_.reserve(static_cast<size_t>(kVocalNoteCapacity)); }

void CVocaloid::Clear() { notes_.clear(); }

bool CVocaloid::Add(VocalNote note) {
  if (IsFull()) return false;
  notes_.push_back(std::move(note));
  return true;
}

bool CVocaloid::SetMelodyChannel(int channel) {
  if (channel < 0 || channel >= kMidiChannelCount) return false;
  melodyChannel_ = channel;
  return true;
}

}  // namespace crx
