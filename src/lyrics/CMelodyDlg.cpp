#include "lyrics/CMelodyDlg.h"

#include "platform/UiServices.h"

namespace crx {

CMelodyDlg::CMelodyDlg(int lowest, int highest) : lowest_(lowest), highest_(highest) {}

bool CMelodyDlg::IsSingable(int lowest, int highest) {
  return lowest >= kLowestSingableNote && highest <= kHighestSingableNote;
}

bool CMelodyDlg::OnInitDialog() { return true; }

void CMelodyDlg::OnOctaveUp() {
  lowest_ += kOctave;
  highest_ += kOctave;
}

void CMelodyDlg::OnOctaveDown() {
  lowest_ -= kOctave;
  highest_ -= kOctave;
}

bool CMelodyDlg::OnOK() {
  if (IsSingable(lowest_, highest_)) return true;
  Ui().ShowMessage(kRangeMessage, MessageKind::Plain);
  return false;
}

}  // namespace crx
