#include "midi/MidiParseState.h"

#include <algorithm>

#include "platform/Process.h"

namespace crx {

MidiParseState::MidiParseState(int pauseInterval) : pauseInterval_(std::max(pauseInterval, 0)) {}

void MidiParseState::PauseBeforeTrack() const {
  if (pauseInterval_ > 0) SleepMs(pauseInterval_);
}

void PauseEvery(int pauseInterval, int counter, int every) {
  if (pauseInterval > 0 && counter > 0 && every > 0 && counter % every == 0) {
    SleepMs(pauseInterval);
  }
}

}  // namespace crx
