#pragma once

#include <array>
#include <cstddef>

namespace crx {

// The nine steps that turn a karaoke file into a sung song, in their order.
enum class Step { Load, Lyrics, VocalMidi, Voice, Accompaniment, Mix, Mp3, Video, Remove };
inline constexpr int kStepCount = 9;

constexpr int IndexOf(Step step) { return static_cast<int>(step); }
constexpr Step StepAt(int index) { return static_cast<Step>(index); }

// Where the steps stand and what may be started from there. In manual mode
// the steps run one after the other: the next step may run, every step
// before it may run again, and the file the last step made may be opened in
// the sound editor; while a step works nothing may be started. In the
// automatic modes no step may be started by hand, only the automatic run,
// and not again once a run has passed its first checks.
//
// The transitions:
//   Reset                      -> step 1 next, nothing to redo
//   Begin(s)                   -> working (nothing may start)
//   Succeeded(s)               -> step s+1 next (after step 9: step 1), the
//                                 file of s editable
//   Failed(s)                  -> step s next; the earlier step's file stays
//                                 editable only when s leaves it untouched
//                                 on failure (the mix)
// A step asks the user its questions before it begins: one that is
// cancelled there changes nothing.
class StepMachine {
 public:
  struct Traits {
    bool redo;  // the step has a redo button
    bool edit;  // the step's file may be opened in the sound editor
    // A failure of the step leaves the file of the step before it as it was.
    bool failureKeepsEarlierFile;
  };
  static constexpr std::array<Traits, kStepCount> kTraits = {{
      {true, false, false},   // 1 the karaoke file
      {true, false, false},   // 2 the lyrics
      {true, false, false},   // 3 the vocal MIDI
      {true, true, false},    // 4 the vocal WAV
      {true, true, false},    // 5 the accompaniment WAV
      {true, true, true},     // 6 the mix
      {true, false, false},   // 7 the MP3
      {true, false, false},   // 8 the video
      {false, false, false},  // 9 the removal
  }};
  static constexpr const Traits& TraitsOf(Step step) {
    return kTraits[static_cast<size_t>(IndexOf(step))];
  }

  // Manual mode, step 1 next.
  StepMachine() = default;

  void SetAutomatic(bool automatic);
  bool Automatic() const { return automatic_; }

  // Manual mode: back to step 1.
  void Reset();
  void Begin(Step step);
  void Succeeded(Step step);
  void Failed(Step step);

  // The automatic run once past its checks, and when it has ended.
  void BeginAutomaticRun() { automaticRunning_ = true; }
  void EndAutomaticRun() { automaticRunning_ = false; }

  bool Working() const { return working_; }
  // Manual mode with step 1 done and steps still to come: leaving now leaves
  // the song half made.
  bool Midway() const { return !automatic_ && next_ > 0 && next_ < kStepCount; }
  bool CanExecute(Step step) const;
  bool CanRedo(Step step) const;
  bool CanEdit(Step step) const;
  bool CanStart(Step step) const { return CanExecute(step) || CanRedo(step); }
  bool CanRunAutomatically() const { return automatic_ && !automaticRunning_; }
  // The step that runs next in manual mode.
  Step Next() const { return StepAt(next_); }

 private:
  bool Idle() const { return !automatic_ && !working_; }

  bool automatic_ = false;
  bool automaticRunning_ = false;
  bool working_ = false;
  int next_ = 0;           // the index of the next step
  bool editable_ = false;  // the file of the step before next_ may be edited
};

}  // namespace crx
