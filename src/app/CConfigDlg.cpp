#include "app/CConfigDlg.h"

#include "app/OutsidePrograms.h"
#include "foundation/FixedField.h"

namespace crx {

DeleteFlags DeleteFlagsOf(const AppSettings& settings) {
  return {settings.deleteVocalMidi, settings.deleteVocalWav, settings.deleteAccompanimentWav,
          settings.deleteMixedWav};
}

void StoreDeleteFlags(AppSettings& settings, const DeleteFlags& flags) {
  settings.deleteVocalMidi = flags[0];
  settings.deleteVocalWav = flags[1];
  settings.deleteAccompanimentWav = flags[2];
  settings.deleteMixedWav = flags[3];
}

CConfigDlg::CConfigDlg(const DeleteFlags& flags, std::array<char, kPathFieldSize>& programPath,
                       std::array<char, kPathFieldSize>& encoderPath)
    : flags_(flags), programPath_(programPath), encoderPath_(encoderPath) {}

bool CConfigDlg::OnInitDialog() {
  programText_ = ReadFixedField(programPath_);
  encoderText_ = ReadFixedField(encoderPath_);
  for (size_t i = 0; i < ticked_.size(); ++i) ticked_[i] = flags_[i] == 1;
  return true;
}

void CConfigDlg::OnBrowseProgram() {
  if (OutsidePrograms::PickProgram(programPath_)) programText_ = ReadFixedField(programPath_);
}

void CConfigDlg::OnBrowseEncoder() {
  if (OutsidePrograms::PickProgram(encoderPath_)) encoderText_ = ReadFixedField(encoderPath_);
}

bool CConfigDlg::OnOK() {
  if (!FitsPathField(programText_)) {
    ReportPathTooLong(programText_);
    return false;
  }
  if (!StorePathField(encoderPath_, encoderText_)) return false;
  WriteFixedField(programPath_, programText_);
  for (size_t i = 0; i < ticked_.size(); ++i) flags_[i] = ticked_[i] ? 1 : 0;
  return true;
}

}  // namespace crx
