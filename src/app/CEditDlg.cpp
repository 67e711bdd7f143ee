#include "app/CEditDlg.h"

#include "foundation/FixedField.h"
#include "workflow/OutsidePrograms.h"

namespace crx {

CEditDlg::CEditDlg(std::array<char, kPathFieldSize>& editorPath, std::string wavPath)
    : editorPath_(editorPath), wavPath_(std::move(wavPath)) {}

bool CEditDlg::OnInitDialog() {
  editorText_ = ReadFixedField(editorPath_);
  return true;
}

void CEditDlg::OnBrowse() {
  if (OutsidePrograms::PickProgram(editorPath_)) editorText_ = ReadFixedField(editorPath_);
}

bool CEditDlg::OnOK() { return StorePathField(editorPath_, editorText_); }

}  // namespace crx
