#include "app/CMP3Dlg.h"

#include "foundation/FixedField.h"
#include "workflow/OutsidePrograms.h"

namespace crx {

CMP3Dlg::CMP3Dlg(std::array<char, kPathFieldSize>& encoderPath) : encoderPath_(encoderPath) {}

bool CMP3Dlg::OnInitDialog() {
  encoderText_ = ReadFixedField(encoderPath_);
  skip_ = 1;
  return true;
}

void CMP3Dlg::OnBrowse() {
  if (OutsidePrograms::PickProgram(encoderPath_)) encoderText_ = ReadFixedField(encoderPath_);
}

bool CMP3Dlg::OnOK() {
  if (!StorePathField(encoderPath_, encoderText_)) return false;
  skip_ = 0;
  return true;
}

}  // namespace crx
