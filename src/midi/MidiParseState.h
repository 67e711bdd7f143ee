#pragma once

namespace crx {

// What one reading of a MIDI file carries from event to event and from one
// chunk to the next: the running status and the pause between events. Each
// reading owns its state, so readings on different threads never meet; the
// chunks of one file may share one state, so that a chunk that begins under
// the status its predecessor left is read as before.
class MidiParseState {
 public:
  // pauseInterval: milliseconds slept every few hundred events (0: no
  // pauses); a negative value counts as 0.
  explicit MidiParseState(int pauseInterval = 0);

  // The last channel status byte decoded in this reading (0: none yet).
  int RunningStatus() const { return runningStatus_; }
  void SetRunningStatus(int status) { runningStatus_ = status; }

  int PauseInterval() const { return pauseInterval_; }
  // Sleeps the pause interval once (between the tracks of a file).
  void PauseBeforeTrack() const;

 private:
  int runningStatus_ = 0;
  int pauseInterval_ = 0;
};

// Sleeps the pause interval when counter is a positive multiple of every:
// the pause a long operation makes every so many events.
void PauseEvery(int pauseInterval, int counter, int every);

}  // namespace crx
