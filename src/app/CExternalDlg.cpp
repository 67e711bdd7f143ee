#include "app/CExternalDlg.h"

#include "foundation/FixedField.h"
#include "workflow/OutsidePrograms.h"

namespace crx {

CExternalDlg::CExternalDlg(std::string vocalMidiPath, std::string vocalWavPath,
                           std::array<char, kPathFieldSize>& programPath)
    : vocalMidiPath_(std::move(vocalMidiPath)),
      vocalWavPath_(std::move(vocalWavPath)),
      programPath_(programPath) {}

std::string CExternalDlg::ExplanationFor(std::string_view programPath,
                                         std::string_view vocalWavPath) {
  const std::string name = GetFileNameOfPath(programPath);
  const std::string_view format = OutsidePrograms::IsConverter(name)     ? kConverterExplanation
                                  : name == OutsidePrograms::kSingerName ? kSingerExplanation
                                                                         : kEditorExplanation;
  return FillMessage(format, name, vocalWavPath);
}

void CExternalDlg::Refresh() {
  programText_ = ReadFixedField(programPath_);
  explanation_ = ExplanationFor(programText_, vocalWavPath_);
}

bool CExternalDlg::OnInitDialog() {
  Refresh();
  return true;
}

void CExternalDlg::OnBrowse() {
  if (OutsidePrograms::PickProgram(programPath_)) Refresh();
}

}  // namespace crx
