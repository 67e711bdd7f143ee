#include "app/CRemoveDlg.h"

namespace crx {

CRemoveDlg::CRemoveDlg(std::array<std::string, 4> paths, const DeleteFlags& flags)
    : paths_(std::move(paths)), flags_(flags) {}

bool CRemoveDlg::OnInitDialog() {
  for (size_t i = 0; i < ticked_.size(); ++i) ticked_[i] = flags_[i] == 1;
  return true;
}

bool CRemoveDlg::OnOK() {
  for (size_t i = 0; i < ticked_.size(); ++i) flags_[i] = ticked_[i] ? 1 : 0;
  return true;
}

}  // namespace crx
