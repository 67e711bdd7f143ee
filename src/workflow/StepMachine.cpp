#include "workflow/StepMachine.h"

namespace crx {

void StepMachine::SetAutomatic(bool automatic) {
  automatic_ = automatic;
  Reset();
}

void StepMachine::Reset() {
  working_ = false;
  next_ = 0;
  editable_ = false;
}

void StepMachine::Begin(Step) { working_ = true; }

void StepMachine::Succeeded(Step step) {
  working_ = false;
  next_ = (IndexOf(step) + 1) % kStepCount;
  editable_ = next_ != 0;
}

void StepMachine::Failed(Step step) {
  working_ = false;
  next_ = IndexOf(step);
  editable_ = TraitsOf(step).failureKeepsEarlierFile;
}

bool StepMachine::CanExecute(Step step) const { return Idle() && IndexOf(step) == next_; }

bool StepMachine::CanRedo(Step step) const {
  return Idle() && IndexOf(step) < next_ && TraitsOf(step).redo;
}

bool StepMachine::CanEdit(Step step) const {
  return Idle() && editable_ && IndexOf(step) + 1 == next_ && TraitsOf(step).edit;
}

}  // namespace crx
